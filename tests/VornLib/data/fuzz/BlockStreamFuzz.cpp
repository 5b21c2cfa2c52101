// libFuzzer target for each compressed stream kind's framing and decoder, and
// the branch filters of solid groups. The input is: one byte selecting the
// kind (1 deflate, 2 LZO, 3 LZMA, 4 PPMd, 5 LZMA2; taken modulo 5) and the
// filter undone on what is read (none, x86, ARM64: the byte divided by 5,
// modulo 3), a little-endian u32 unpacked size, then the packed data as it
// would follow an entry header.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "VornLib/data/BranchFilter.h"
#include "VornLib/data/LZHStream.h"
#include "VornLib/data/LZMAStream.h"
#include "VornLib/data/LZOStream.h"
#include "VornLib/data/MemoryStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6 || size > 0xFFFFFFFFu)
        return 0;
    const uint32_t kind = data[0] % 5 + 1;
    const auto filter = vorn::BranchFilter(data[0] / 5 % 3);
    const uint32_t unpacked = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 |
                              uint32_t(data[4]) << 24;
    vorn::MemoryStream underlying(data + 5, uint32_t(size - 5), u"fuzz");
    static vorn::LZHStream deflate;
    static vorn::LZOStream lzo;
    static vorn::LZMAStream lzma(vorn::LZMAMethod::Lzma);
    static vorn::LZMAStream ppmd(vorn::LZMAMethod::Ppmd);
    static vorn::LZMAStream lzma2(vorn::LZMAMethod::Lzma2);
    vorn::CompressedStream* stream = nullptr;
    vorn::Result result = vorn::kResultOk;
    switch (kind) {
    case 1:
        result = deflate.open(&underlying, size - 5, unpacked);
        stream = &deflate;
        break;
    case 2:
        result = lzo.open(&underlying, size - 5, unpacked);
        stream = &lzo;
        break;
    case 3:
        result = lzma.open(&underlying, size - 5, unpacked);
        stream = &lzma;
        break;
    case 4:
        result = ppmd.open(&underlying, size - 5, unpacked);
        stream = &ppmd;
        break;
    default:
        result = lzma2.open(&underlying, size - 5, unpacked);
        stream = &lzma2;
    }
    static std::vector<uint8_t> buffer(1 << 16);
    // Uneven pieces exercise the copy-out of partly consumed blocks.
    uint32_t piece = 1;
    for (uint64_t left = unpacked; result == vorn::kResultOk && left;) {
        const uint32_t count = uint32_t(std::min<uint64_t>(left, piece));
        result = stream->read(buffer.data(), count);
        if (result == vorn::kResultOk)
            vorn::ApplyBranchFilter(filter, buffer.data(), count, false);
        left -= count;
        piece = piece * 3 % 65521 + 1;
    }
    (void)stream->close();
    return 0;
}
