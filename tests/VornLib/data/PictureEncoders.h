/* Encoders for the picture tests: PNG of any colour type and bit depth, and
 * JPEG of any colour space, into malloc'd memory (free it with free). They
 * live in C, like the decoders, so that libpng's and libjpeg's longjmp never
 * crosses a C++ frame. Null on failure. */
#ifndef VORN_TESTS_PICTURE_ENCODERS_H
#define VORN_TESTS_PICTURE_ENCODERS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* `rows`: packed rows as PNG stores them; `palette`: `paletteCount` RGB triples. */
uint8_t* TestEncodePng(uint32_t width, uint32_t height, int colourType, int bitDepth,
                       int interlaced, const uint8_t* rows, const uint8_t* palette,
                       int paletteCount, size_t* size);
/* `colourSpace`: a J_COLOR_SPACE with `components` samples a pixel. */
uint8_t* TestEncodeJpeg(uint32_t width, uint32_t height, int components, int colourSpace,
                        const uint8_t* pixels, int quality, size_t* size);

#ifdef __cplusplus
}
#endif

#endif
