#include "VornLib/data/LZHStream.h"

#include <algorithm>

namespace vorn {
namespace {

// The interface version the entries were written for; zlib checks that the
// library it links is compatible with it.
constexpr char kZlibInterfaceVersion[] = "1.2.8";

} // namespace

Result LZHStream::open(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize) {
    endInflate();
    return begin(underlying, packedSize, unpackedSize);
}

void LZHStream::endInflate() {
    if (inflating_)
        inflateEnd(&zlib_);
    zlib_ = z_stream{};
    inflating_ = false;
}

Result LZHStream::close() {
    endInflate();
    end();
    return kResultOk;
}

// Keeps the inflate state: ending it here would make the next read restart
// decoding in the middle of the packed data.
Result LZHStream::flush(bool toDisk) {
    return CompressedStream::flush(toDisk);
}

Result LZHStream::decode(uint8_t* destination, uint32_t count) {
    if (!inflating_) {
        zlib_ = z_stream{};
        const int status = inflateInit2_(&zlib_, 15, kZlibInterfaceVersion, int(sizeof(z_stream)));
        if (status == Z_VERSION_ERROR)
            return kResultUnsupportedFormat;
        if (status == Z_MEM_ERROR)
            return kResultOutOfMemory;
        if (status != Z_OK)
            return kResultFailed;
        inflating_ = true;
    }
    zlib_.next_out = destination;
    zlib_.avail_out = count;
    for (;;) {
        if (zlib_.avail_in == 0) {
            if (packedLeft() == 0)
                return kResultEndOfData;
            const uint32_t piece = uint32_t(std::min<uint64_t>(packedLeft(), kInputSize));
            const Result result = readPacked(input_, piece);
            if (result != kResultOk)
                return result;
            zlib_.next_in = input_;
            zlib_.avail_in = piece;
        }
        const int status = inflate(&zlib_, Z_NO_FLUSH);
        switch (status) {
        case Z_OK:
            if (zlib_.avail_out == 0)
                return kResultOk;
            break;
        case Z_STREAM_END:
            // The stream ended early: the rest of the buffer would be garbage.
            return zlib_.avail_out == 0 ? kResultOk : kResultEndOfData;
        case Z_VERSION_ERROR:
            return kResultUnsupportedFormat;
        case Z_DATA_ERROR:
        case Z_STREAM_ERROR:
        case Z_BUF_ERROR:
        case Z_NEED_DICT:
            return kResultNullInput;
        case Z_MEM_ERROR:
            return kResultOutOfMemory;
        default:
            return kResultFailed;
        }
    }
}

} // namespace vorn
