// LZO1X entries: the block sequence, each block unpacked with LZO's safe
// decompressor (which never reads or writes outside the buffers it is given).
#pragma once

#include "VornLib/data/CompressedStream.h"

namespace vorn {

class LZOStream : public BlockStream {
public:
    LZOStream() : BlockStream(u"LZOStream({0} packed,{1} unpacked)") {}

    // Also initialises the LZO library once per process (7 if its self-check fails).
    Result open(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize);
    Result close() override;

protected:
    Result decodeBlock(const uint8_t* packed, uint32_t packedLength, uint8_t* unpacked,
                       uint32_t unpackedLength) override;
};

} // namespace vorn
