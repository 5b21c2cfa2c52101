// Deflate entries: one zlib stream (header and Adler-32 trailer) inflated
// straight into the caller's buffer, pulling packed bytes 32768 at a time.
#pragma once

#include <zlib.h>

#include "VornLib/data/CompressedStream.h"

namespace vorn {

class LZHStream : public CompressedStream {
public:
    static constexpr uint32_t kInputSize = 32768;

    LZHStream() : CompressedStream(u"LZHStream({0} packed,{1} unpacked)") {}
    ~LZHStream() override { endInflate(); }

    Result open(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize);
    Result close() override;
    Result flush(bool toDisk) override;

protected:
    Result decode(uint8_t* destination, uint32_t count) override;

private:
    void endInflate();

    z_stream zlib_{};
    bool inflating_ = false;
    uint8_t input_[kInputSize];
};

} // namespace vorn
