// libFuzzer target: decodes the input as a picture (PNG first, then JPEG) and
// asks a few pixels for their colour. Any outcome but a result code (crash,
// leak, abort from inside libpng or libjpeg, out-of-bounds access) is a finding.
#include <cstdint>
#include <cstdlib>

#include "VornLib/data/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    vorn::Picture picture;
    if (picture.decode(data, uint32_t(size)) != vorn::kResultOk)
        return 0;
    vorn::Rgba colour;
    const uint32_t w = picture.width();
    const uint32_t h = picture.height();
    // A decoded picture has pixels, and each of them has a colour.
    if (picture.pixel(0, 0, &colour) != vorn::kResultOk ||
        picture.pixel(w - 1, h - 1, &colour) != vorn::kResultOk ||
        picture.pixel(w / 2, h / 2, &colour) != vorn::kResultOk)
        std::abort();
    return 0;
}
