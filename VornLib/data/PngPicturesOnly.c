/* For a program that shows PNG pictures only: the setup and the programs it
 * carries, whose pictures come from definitions that VornPack accepts in PNG
 * alone. Linked into such a program itself, this answer for JPEG comes before
 * the library's decoder, which then stays out of the program with libjpeg
 * (about a tenth of a setup's stub). Any bytes are "not this format". */
#include "VornLib/data/PictureDecoders.h"

#include <string.h>

uint32_t VornDecodeJpeg(const uint8_t* bytes, size_t size, VornDecodedPicture* out) {
    (void)bytes;
    (void)size;
    memset(out, 0, sizeof *out);
    return kVornDecodeMalformed;
}
