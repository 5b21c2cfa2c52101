/* The PNG and JPEG decoders behind Picture, in C. libpng and libjpeg report
 * errors by longjmp, which must never cross a frame holding an object with a
 * destructor: the decoders therefore live in C translation units of their own
 * and hand back plain memory (malloc) that Picture then owns. They also stay
 * apart from the LZMA SDK, whose types clash with jpeglib.h. */
#ifndef VORN_DATA_PICTURE_DECODERS_H
#define VORN_DATA_PICTURE_DECODERS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What the decoders answer: result codes of the framework (vorn::Result),
 * declared once for the C side; Picture.cpp checks that the numbers agree. */
enum {
    kVornDecodeOk = 0,
    kVornDecodeUnsupportedFormat = 3,
    kVornDecodePlatformFailure = 7,
    kVornDecodeOutOfMemory = 12,
    kVornDecodeCapacityExceeded = 24,
    kVornDecodeMalformed = 33
};

/* The pixel formats they produce, as vorn::PixelFormat numbers them. */
enum {
    kVornGrey8 = 1,
    kVornGrey16 = 2,
    kVornGreyAlpha16 = 3,
    kVornGreyAlpha32 = 4,
    kVornRgb24 = 5,
    kVornRgba32 = 6,
    kVornPalette8 = 7
};

/* Format numbers as above. */
typedef struct VornDecodedPicture {
    uint32_t width;
    uint32_t height;
    uint32_t format;
    uint8_t* pixels; /* malloc'd, rows packed without padding */
    uint8_t palette[256 * 4];
} VornDecodedPicture;

/* Both return a result code: 0, 3 (colour type, depth or colour space not
 * handled), 7 (the library refused the data), 12 (out of memory), 24 (too
 * large) or 33 (not this format). On failure `out->pixels` is null. */
uint32_t VornDecodePng(const uint8_t* bytes, size_t size, VornDecodedPicture* out);
uint32_t VornDecodeJpeg(const uint8_t* bytes, size_t size, VornDecodedPicture* out);

/* Row length and whole size of a packed picture; 0 when it exceeds the limit. */
uint32_t VornPictureRowBytes(uint32_t width, uint32_t bitsPerPixel);
uint32_t VornPictureBytes(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t limit);

#ifdef __cplusplus
}
#endif

#endif
