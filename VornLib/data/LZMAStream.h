// The LZMA family's entries: LZMA, PPMd variant H (the 7z range coder) and
// LZMA2, each as 5 property bytes followed by the block sequence. The decoder
// state is created at open from the properties; every block is decoded from a
// fresh state into a buffer of exactly its unpacked length.
#pragma once

#include <memory>

#include "VornLib/data/CompressedStream.h"

namespace vorn {

enum class LZMAMethod : uint32_t { Lzma = 3, Ppmd = 4, Lzma2 = 5 };

class LZMAStream : public BlockStream {
public:
    static constexpr uint32_t kPropertySize = 5;
    // Larger PPMd models are refused as damaged properties: the payload's take
    // 192 MiB and a 32-bit installer could not hold much more.
    static constexpr uint32_t kMaxPpmdMemory = 1u << 30;

    explicit LZMAStream(LZMAMethod method);
    ~LZMAStream() override;

    LZMAMethod method() const { return method_; }
    Result open(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize);
    Result close() override;

protected:
    Result decodeBlock(const uint8_t* packed, uint32_t packedLength, uint8_t* unpacked,
                       uint32_t unpackedLength) override;
    // LZMA and LZMA2 stop inside a block; PPMd decodes it whole.
    Result decodeBlockPart(BlockPart* part, uint32_t limit) override;

private:
    struct Decoder;

    void freeDecoder();

    LZMAMethod method_;
    std::unique_ptr<Decoder> decoder_;
};

} // namespace vorn
