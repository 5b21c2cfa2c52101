#include "PictureEncoders.h"

#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>

typedef struct Sink {
    uint8_t* bytes;
    size_t size;
    size_t capacity;
    int failed;
} Sink;

static void WriteToSink(png_structp png, png_bytep data, size_t count) {
    Sink* sink = (Sink*)png_get_io_ptr(png);
    if (sink->size + count > sink->capacity) {
        size_t capacity = (sink->capacity + count) * 2;
        uint8_t* grown = (uint8_t*)realloc(sink->bytes, capacity);
        if (!grown) {
            sink->failed = 1;
            png_error(png, "out of memory");
        }
        sink->bytes = grown;
        sink->capacity = capacity;
    }
    memcpy(sink->bytes + sink->size, data, count);
    sink->size += count;
}

static void FlushSink(png_structp png) {
    (void)png;
}

static void WritePngSteps(png_structp png, png_infop info, Sink* sink, uint32_t width,
                          uint32_t height, int colourType, int bitDepth, int interlaced,
                          const uint8_t* rows, const uint8_t* palette, int paletteCount) {
    png_colorp colours = NULL;
    size_t rowBytes;
    uint32_t y;
    int passes;
    int pass;
    png_set_write_fn(png, sink, WriteToSink, FlushSink);
    png_set_IHDR(png, info, width, height, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        int i;
        colours = (png_colorp)png_malloc(png, sizeof(png_color) * (size_t)paletteCount);
        for (i = 0; i < paletteCount; ++i) {
            colours[i].red = palette[i * 3];
            colours[i].green = palette[i * 3 + 1];
            colours[i].blue = palette[i * 3 + 2];
        }
        png_set_PLTE(png, info, colours, paletteCount);
    }
    png_write_info(png, info);
    rowBytes = png_get_rowbytes(png, info);
    passes = png_set_interlace_handling(png);
    for (pass = 0; pass < passes; ++pass) {
        for (y = 0; y < height; ++y)
            png_write_row(png, rows + y * rowBytes);
    }
    png_write_end(png, NULL);
    if (colours)
        png_free(png, colours);
}

static int WritePng(png_structp png, png_infop info, Sink* sink, uint32_t width, uint32_t height,
                    int colourType, int bitDepth, int interlaced, const uint8_t* rows,
                    const uint8_t* palette, int paletteCount) {
    if (setjmp(png_jmpbuf(png)))
        return 0;
    WritePngSteps(png, info, sink, width, height, colourType, bitDepth, interlaced, rows, palette,
                  paletteCount);
    return 1;
}

uint8_t* TestEncodePng(uint32_t width, uint32_t height, int colourType, int bitDepth,
                       int interlaced, const uint8_t* rows, const uint8_t* palette,
                       int paletteCount, size_t* size) {
    Sink sink = {NULL, 0, 0, 0};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png ? png_create_info_struct(png) : NULL;
    int written = info && WritePng(png, info, &sink, width, height, colourType, bitDepth,
                                   interlaced, rows, palette, paletteCount);
    png_destroy_write_struct(&png, &info);
    if (!written || sink.failed) {
        free(sink.bytes);
        return NULL;
    }
    *size = sink.size;
    return sink.bytes;
}

typedef struct JpegEncoder {
    struct jpeg_compress_struct encoder;
    struct jpeg_error_mgr errors;
    jmp_buf jump;
} JpegEncoder;

static void JumpOut(j_common_ptr common) {
    longjmp(((JpegEncoder*)common->client_data)->jump, 1);
}

static void WriteJpegSteps(JpegEncoder* state, uint32_t width, uint32_t height, int components,
                           int colourSpace, const uint8_t* pixels, int quality,
                           unsigned char** bytes, unsigned long* size) {
    struct jpeg_compress_struct* encoder = &state->encoder;
    jpeg_create_compress(encoder);
    jpeg_mem_dest(encoder, bytes, size);
    encoder->image_width = width;
    encoder->image_height = height;
    encoder->input_components = components;
    encoder->in_color_space = (J_COLOR_SPACE)colourSpace;
    jpeg_set_defaults(encoder);
    jpeg_set_colorspace(
        encoder, (J_COLOR_SPACE)colourSpace == JCS_RGB ? JCS_YCbCr : (J_COLOR_SPACE)colourSpace);
    jpeg_set_quality(encoder, quality, TRUE);
    jpeg_start_compress(encoder, TRUE);
    while (encoder->next_scanline < height) {
        JSAMPROW row = (JSAMPROW)(pixels + (size_t)encoder->next_scanline * width * components);
        jpeg_write_scanlines(encoder, &row, 1);
    }
    jpeg_finish_compress(encoder);
}

static int WriteJpeg(JpegEncoder* state, uint32_t width, uint32_t height, int components,
                     int colourSpace, const uint8_t* pixels, int quality, unsigned char** bytes,
                     unsigned long* size) {
    if (setjmp(state->jump))
        return 0;
    WriteJpegSteps(state, width, height, components, colourSpace, pixels, quality, bytes, size);
    return 1;
}

uint8_t* TestEncodeJpeg(uint32_t width, uint32_t height, int components, int colourSpace,
                        const uint8_t* pixels, int quality, size_t* size) {
    JpegEncoder* state = (JpegEncoder*)calloc(1, sizeof *state);
    unsigned char* bytes = NULL;
    unsigned long length = 0;
    int written;
    uint8_t* copy = NULL;
    if (!state)
        return NULL;
    state->encoder.err = jpeg_std_error(&state->errors);
    state->errors.error_exit = JumpOut;
    state->encoder.client_data = state;
    written =
        WriteJpeg(state, width, height, components, colourSpace, pixels, quality, &bytes, &length);
    jpeg_destroy_compress(&state->encoder);
    free(state);
    /* jpeg_mem_dest's buffer comes from the library's own malloc. */
    if (written && bytes && (copy = (uint8_t*)malloc(length)) != NULL) {
        memcpy(copy, bytes, length);
        *size = length;
    }
    free(bytes);
    return copy;
}
