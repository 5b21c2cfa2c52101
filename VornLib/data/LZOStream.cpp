#include "VornLib/data/LZOStream.h"

#include <lzo/lzo1x.h>
#include <mutex>

namespace vorn {
namespace {

Result InitialiseLzo() {
    static std::once_flag once;
    static int status = LZO_E_ERROR;
    std::call_once(once, [] { status = lzo_init(); });
    return status == LZO_E_OK ? kResultOk : kResultPlatformFailure;
}

} // namespace

Result LZOStream::open(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize) {
    endBlocks();
    const Result result = InitialiseLzo();
    if (result != kResultOk)
        return result;
    return beginBlocks(underlying, packedSize, unpackedSize);
}

Result LZOStream::close() {
    endBlocks();
    return kResultOk;
}

Result LZOStream::decodeBlock(const uint8_t* packed, uint32_t packedLength, uint8_t* unpacked,
                              uint32_t unpackedLength) {
    lzo_uint length = unpackedLength;
    const int status = lzo1x_decompress_safe(packed, packedLength, unpacked, &length, nullptr);
    return status == LZO_E_OK && length == unpackedLength ? kResultOk : kResultPlatformFailure;
}

} // namespace vorn
