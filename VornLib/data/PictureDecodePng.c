/* PNG decoding with libpng into a packed bitmap. Only plain C data lives in
 * the frames between setjmp and the library's longjmp; whatever was allocated
 * is reached through `out` and the state struct, never through locals. */
#include <png.h>
#include <stdlib.h>
#include <string.h>

#include "VornLib/data/DecoderBounds.h"
#include "VornLib/data/PictureDecoders.h"

#define kMaxDimension 65535u
/* Ancillary chunks whose contents libpng would hold in memory whole. */
static const png_byte kSkippedChunks[] = "iCCP\0sPLT\0tEXt\0zTXt\0iTXt\0pCAL\0sCAL\0eXIf";

typedef struct PngSource {
    const uint8_t* bytes;
    size_t size;
    size_t position;
} PngSource;

typedef struct PngState {
    png_structp png;
    png_infop info;
    png_bytep* rows;
} PngState;

static void ReadFromMemory(png_structp png, png_bytep destination, size_t count) {
    PngSource* source = (PngSource*)png_get_io_ptr(png);
    if (count > source->size - source->position)
        png_error(png, "truncated");
    memcpy(destination, source->bytes + source->position, count);
    source->position += count;
}

static void IgnoreWarning(png_structp png, png_const_charp message) {
    (void)png;
    (void)message;
}

/* Does not return: libpng's error path jumps back to the setjmp below. */
static void RaiseError(png_structp png, png_const_charp message) {
    (void)message;
    png_longjmp(png, 1);
}

static uint32_t FormatOf(int colourType, int bitDepth, uint32_t* bitsPerPixel) {
    static const struct {
        int colourType;
        int bitDepth;
        uint32_t format;
        uint32_t bits;
    } kFormats[] = {
        {PNG_COLOR_TYPE_GRAY, 8, kVornGrey8, 8},
        {PNG_COLOR_TYPE_GRAY, 16, kVornGrey16, 16},
        {PNG_COLOR_TYPE_RGB, 8, kVornRgb24, 24},
        {PNG_COLOR_TYPE_PALETTE, 8, kVornPalette8, 8},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, kVornGreyAlpha16, 16},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, kVornGreyAlpha32, 32},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8, kVornRgba32, 32},
    };
    size_t i;
    for (i = 0; i < sizeof kFormats / sizeof kFormats[0]; ++i) {
        if (kFormats[i].colourType == colourType && kFormats[i].bitDepth == bitDepth) {
            *bitsPerPixel = kFormats[i].bits;
            return kFormats[i].format;
        }
    }
    *bitsPerPixel = 0;
    return 0;
}

static void CopyPalette(PngState* state, VornDecodedPicture* out) {
    png_colorp colours = NULL;
    int count = 0;
    int i;
    if (!png_get_PLTE(state->png, state->info, &colours, &count))
        return;
    if (count > 256)
        count = 256;
    for (i = 0; i < count; ++i) {
        out->palette[i * 4] = colours[i].red;
        out->palette[i * 4 + 1] = colours[i].green;
        out->palette[i * 4 + 2] = colours[i].blue;
        out->palette[i * 4 + 3] = 255;
    }
}

/* Runs under the setjmp of Decode; keeps its locals out of that frame. */
static uint32_t DecodeSteps(PngState* state, PngSource* source, VornDecodedPicture* out) {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t rowBytes = 0;
    uint32_t total = 0;
    uint32_t y;

    png_set_read_fn(state->png, source, ReadFromMemory);
    png_set_user_limits(state->png, kMaxDimension, kMaxDimension);
    png_read_info(state->png, state->info);
    png_get_IHDR(state->png, state->info, &width, &height, &bitDepth, &colourType, NULL, NULL,
                 NULL);
    out->format = FormatOf(colourType, bitDepth, &bitsPerPixel);
    if (!out->format)
        return kVornDecodeUnsupportedFormat;
    total = VornPictureBytes(width, height, bitsPerPixel, VORN_PICTURE_BYTES_BOUND);
    if (!total)
        return kVornDecodeCapacityExceeded;
    rowBytes = VornPictureRowBytes(width, bitsPerPixel);
    if (png_get_rowbytes(state->png, state->info) != rowBytes)
        return kVornDecodePlatformFailure;
    if (out->format == kVornPalette8)
        CopyPalette(state, out);

    out->pixels = (uint8_t*)malloc(total);
    state->rows = (png_bytep*)malloc(sizeof(png_bytep) * height);
    if (!out->pixels || !state->rows)
        return kVornDecodeOutOfMemory;
    for (y = 0; y < height; ++y)
        state->rows[y] = out->pixels + (size_t)y * rowBytes;
    png_set_interlace_handling(state->png);
    png_read_image(state->png, state->rows);
    png_read_end(state->png, NULL);
    out->width = width;
    out->height = height;
    return kVornDecodeOk;
}

static uint32_t Decode(PngState* state, PngSource* source, VornDecodedPicture* out) {
    if (setjmp(png_jmpbuf(state->png)))
        return kVornDecodePlatformFailure;
    return DecodeSteps(state, source, out);
}

uint32_t VornDecodePng(const uint8_t* bytes, size_t size, VornDecodedPicture* out) {
    PngSource source;
    PngState state;
    uint32_t result;
    memset(out, 0, sizeof *out);
    if (!bytes || size < 8 || png_sig_cmp(bytes, 0, 8) != 0)
        return kVornDecodeMalformed;

    source.bytes = bytes;
    source.size = size;
    source.position = 0;
    state.rows = NULL;
    state.info = NULL;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, RaiseError, IgnoreWarning);
    if (!state.png)
        return kVornDecodeOutOfMemory;
    /* libpng allocates a text, profile or palette-suggestion chunk whole, at
     * its declared length, before reading it: a 130-byte file declaring a
     * 1.9 GB sPLT chunk took that much. The pixels need none of them; skipped
     * chunks are read through without being kept. */
    png_set_keep_unknown_chunks(state.png, PNG_HANDLE_CHUNK_NEVER, NULL, 0);
    png_set_keep_unknown_chunks(state.png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                                (int)(sizeof kSkippedChunks / 5));
    state.info = png_create_info_struct(state.png);
    result = state.info ? Decode(&state, &source, out) : kVornDecodeOutOfMemory;
    png_destroy_read_struct(&state.png, state.info ? &state.info : NULL, NULL);
    free(state.rows);
    if (result != kVornDecodeOk) {
        free(out->pixels);
        memset(out, 0, sizeof *out);
    }
    return result;
}

uint32_t VornPictureRowBytes(uint32_t width, uint32_t bitsPerPixel) {
    return (uint32_t)(((uint64_t)width * bitsPerPixel + 7) / 8);
}

uint32_t VornPictureBytes(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t limit) {
    const uint64_t total = (((uint64_t)width * bitsPerPixel + 7) / 8) * height;
    return total && total <= limit ? (uint32_t)total : 0;
}
