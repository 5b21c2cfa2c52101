/* JPEG decoding with libjpeg into a packed bitmap: three components become
 * RGB, one becomes 8-bit grey, anything else is refused. A stream that ends
 * early is an error here, not the library's grey filler: a truncated payload
 * picture must not pass as a good one. */
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jerror.h>
#include <jpeglib.h>

#include "VornLib/data/DecoderBounds.h"
#include "VornLib/data/PictureDecoders.h"

typedef struct JpegState {
    struct jpeg_decompress_struct decoder;
    struct jpeg_error_mgr errors;
    jmp_buf jump;
} JpegState;

/* Does not return. */
static void RaiseError(j_common_ptr common) {
    JpegState* state = (JpegState*)common->client_data;
    longjmp(state->jump, 1);
}

static void EmitMessage(j_common_ptr common, int level) {
    /* Level -1 is a warning about the data; premature end is the one that
       leaves a half-filled picture behind. */
    if (level == -1 && common->err->msg_code == JWRN_JPEG_EOF)
        RaiseError(common);
}

static void IgnoreOutput(j_common_ptr common) {
    (void)common;
}

static uint32_t DecodeSteps(JpegState* state, const uint8_t* bytes, size_t size,
                            VornDecodedPicture* out) {
    struct jpeg_decompress_struct* decoder = &state->decoder;
    uint32_t bitsPerPixel;
    uint32_t rowBytes;
    uint32_t total;

    jpeg_create_decompress(decoder);
    decoder->client_data = state;
    jpeg_mem_src(decoder, (unsigned char*)bytes, (unsigned long)size);
    if (jpeg_read_header(decoder, TRUE) != JPEG_HEADER_OK)
        return kVornDecodeMalformed;
    if (decoder->num_components == 3 &&
        (decoder->jpeg_color_space == JCS_YCbCr || decoder->jpeg_color_space == JCS_RGB)) {
        decoder->out_color_space = JCS_RGB;
        out->format = kVornRgb24;
        bitsPerPixel = 24;
    } else if (decoder->num_components == 1 && decoder->jpeg_color_space == JCS_GRAYSCALE) {
        decoder->out_color_space = JCS_GRAYSCALE;
        out->format = kVornGrey8;
        bitsPerPixel = 8;
    } else {
        return kVornDecodeUnsupportedFormat;
    }
    /* The size is checked before decoding starts: a progressive picture's
       start allocates the coefficients of the whole picture, gigabytes for a
       few bytes of header. Those take two bytes a sample plus the padding of
       the last blocks, so three times the largest picture is plenty. */
    jpeg_calc_output_dimensions(decoder);
    if (decoder->output_components * 8 != (int)bitsPerPixel)
        return kVornDecodeUnsupportedFormat;
    total = VornPictureBytes(decoder->output_width, decoder->output_height, bitsPerPixel,
                             VORN_PICTURE_BYTES_BOUND);
    if (!total)
        return kVornDecodeCapacityExceeded;
    decoder->mem->max_memory_to_use = (long)(3u * VORN_PICTURE_BYTES_BOUND);
    jpeg_start_decompress(decoder);
    rowBytes = VornPictureRowBytes(decoder->output_width, bitsPerPixel);
    out->pixels = (uint8_t*)malloc(total);
    if (!out->pixels)
        return kVornDecodeOutOfMemory;
    while (decoder->output_scanline < decoder->output_height) {
        JSAMPROW row = out->pixels + (size_t)decoder->output_scanline * rowBytes;
        if (jpeg_read_scanlines(decoder, &row, 1) != 1)
            return kVornDecodePlatformFailure;
    }
    jpeg_finish_decompress(decoder);
    out->width = decoder->output_width;
    out->height = decoder->output_height;
    return kVornDecodeOk;
}

static uint32_t Decode(JpegState* state, const uint8_t* bytes, size_t size,
                       VornDecodedPicture* out) {
    if (setjmp(state->jump))
        return kVornDecodePlatformFailure;
    return DecodeSteps(state, bytes, size, out);
}

uint32_t VornDecodeJpeg(const uint8_t* bytes, size_t size, VornDecodedPicture* out) {
    JpegState* state;
    uint32_t result;
    memset(out, 0, sizeof *out);
    if (!bytes || size < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF)
        return kVornDecodeMalformed;
    /* The error manager is set up before anything can jump. */
    state = (JpegState*)calloc(1, sizeof *state);
    if (!state)
        return kVornDecodeOutOfMemory;
    state->decoder.err = jpeg_std_error(&state->errors);
    state->errors.error_exit = RaiseError;
    state->errors.emit_message = EmitMessage;
    state->errors.output_message = IgnoreOutput;
    state->decoder.client_data = state;
    result = Decode(state, bytes, size, out);
    /* Safe on a decoder that was never created: the state starts zeroed. */
    jpeg_destroy_decompress(&state->decoder);
    free(state);
    if (result != kVornDecodeOk) {
        free(out->pixels);
        memset(out, 0, sizeof *out);
    }
    return result;
}
