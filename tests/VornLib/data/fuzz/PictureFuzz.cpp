// libFuzzer target: decodes the input as a picture (PNG first, then JPEG) and
// asks a few pixels for their colour. Any outcome but a result code (crash,
// leak, abort from inside libpng or libjpeg, out-of-bounds access) is a finding.
// Mutations rarely keep a PNG chunk's CRC right, so an input whose CRCs are
// wrong is decoded a second time with them mended: the chunk contents get
// fuzzed too, and the refusal of bad CRCs still runs.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "VornLib/data/NameHash.h"
#include "VornLib/data/Picture.h"

namespace {

uint32_t ReadBigEndian32(const uint8_t* at) {
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}

// Each chunk: length, type, data, CRC-32 of type and data; all big-endian.
void MendChunkCrcs(std::vector<uint8_t>& bytes) {
    constexpr size_t kSignature = 8;
    for (size_t at = kSignature; bytes.size() - at >= 12;) {
        const size_t length = ReadBigEndian32(bytes.data() + at);
        if (length > bytes.size() - at - 12)
            return;
        const uint32_t crc = vorn::Crc32(0, bytes.data() + at + 4, 4 + length);
        uint8_t* stored = bytes.data() + at + 8 + length;
        for (int i = 0; i < 4; ++i)
            stored[i] = uint8_t(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

void DecodeAndLook(const uint8_t* data, size_t size) {
    vorn::Picture picture;
    if (picture.decode(data, uint32_t(size)) != vorn::kResultOk)
        return;
    vorn::Rgba colour;
    const uint32_t w = picture.width();
    const uint32_t h = picture.height();
    // A decoded picture has pixels, and each of them has a colour.
    if (picture.pixel(0, 0, &colour) != vorn::kResultOk ||
        picture.pixel(w - 1, h - 1, &colour) != vorn::kResultOk ||
        picture.pixel(w / 2, h / 2, &colour) != vorn::kResultOk)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    DecodeAndLook(data, size);
    if (size < 8 || data[0] != 0x89)
        return 0;
    // An exact copy, so that the sanitizer still sees any read past the end.
    std::vector<uint8_t> mended(data, data + size);
    MendChunkCrcs(mended);
    if (!std::equal(mended.begin(), mended.end(), data))
        DecodeAndLook(mended.data(), mended.size());
    return 0;
}
