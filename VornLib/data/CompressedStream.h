// What every compressed entry stream shares: it is opened over the container's
// stream at the first packed byte with the entry's packed and unpacked sizes,
// and delivers the unpacked bytes in order. No seeking, no writing. It reads
// its packed bytes from its own place, wherever the container's stream was
// moved between its reads (a solid group's stream is kept while the headers
// of its next members are read).
//
// BlockStream adds the block sequence used by LZO and the LZMA family: each
// block is "U varint, P varint, P packed bytes" (or U raw bytes when P = 0),
// decoded from a fresh state into a buffer grown to the largest block.
#pragma once

#include "VornLib/core/Stream.h"
#include "VornLib/data/MemoryStream.h"

namespace vorn {

class CompressedStream : public Stream {
public:
    bool isOpen() const { return underlying_ != nullptr; }
    uint64_t packedSize() const { return packedSize_; }
    uint64_t packedStart() const { return start_; }

    Result read(void* destination, uint32_t count) override;
    Result write(const void* source, uint32_t count) override;
    Result flush(bool toDisk) override;
    uint64_t position() override { return position_; }
    Result seek(uint64_t offset) override;
    uint64_t size() override { return unpackedSize_; }
    String description() override;

protected:
    explicit CompressedStream(const char16_t* descriptionFormat)
        : descriptionFormat_(descriptionFormat) {}

    // Records the sizes; the packed data starts at the underlying position.
    Result begin(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize);
    void end();
    // Reads packed bytes, refusing to go past the entry's packed size.
    Result readPacked(void* destination, uint32_t count);
    // The next `count` packed bytes where they lie, when the underlying stream
    // holds its bytes in memory (the mapped payload); null otherwise, or
    // past the packed size. They count as read.
    const uint8_t* packedInPlace(uint32_t count);
    uint64_t packedLeft() const { return packedSize_ - packedRead_; }

    // Fills exactly count bytes; the base has checked the bounds already.
    virtual Result decode(uint8_t* destination, uint32_t count) = 0;

private:
    const char16_t* descriptionFormat_;
    Stream* underlying_ = nullptr;
    MemoryStream* memory_ = nullptr; // the underlying stream, when it is one
    uint64_t start_ = 0;
    uint64_t packedSize_ = 0;
    uint64_t packedRead_ = 0;
    uint64_t unpackedSize_ = 0;
    uint64_t position_ = 0;
};

// A buffer that only grows, kept between blocks.
class BlockBuffer {
public:
    BlockBuffer() = default;
    BlockBuffer(const BlockBuffer&) = delete;
    BlockBuffer& operator=(const BlockBuffer&) = delete;
    ~BlockBuffer() { release(); }

    Result reserve(uint32_t capacity);
    void release();
    uint8_t* data() const { return data_; }
    uint32_t capacity() const { return capacity_; }

private:
    uint8_t* data_ = nullptr;
    uint32_t capacity_ = 0;
};

class BlockStream : public CompressedStream {
public:
    // No block may unpack to more than this: a damaged length must not be able
    // to ask for gigabytes. The payload's blocks hold at most 4 MiB.
    static constexpr uint32_t kMaxBlockSize = 64u << 20;

    // Unpacks the entry into `whole`, which has room for all its bytes, until
    // at least `upTo` of them are there; `decoded` says how many are. Each
    // block goes straight into its place, and a codec that can stop inside a
    // block stops there, so that a caller can use the first bytes of a large
    // block before the rest is decoded. Not mixed with read().
    Result decodeInto(uint8_t* whole, uint64_t upTo, uint64_t* decoded);

protected:
    // A block being unpacked into its place a part at a time.
    struct BlockPart {
        const uint8_t* packed = nullptr;
        uint32_t packedLength = 0;
        uint32_t packedUsed = 0;
        uint8_t* unpacked = nullptr;
        uint32_t length = 0;
        uint32_t done = 0; // bytes of `unpacked` decoded
    };

    using CompressedStream::CompressedStream;

    Result beginBlocks(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize);
    void endBlocks();
    Result decode(uint8_t* destination, uint32_t count) override;
    // Unpacks one block of `packedLength` bytes to exactly `unpackedLength` bytes.
    virtual Result decodeBlock(const uint8_t* packed, uint32_t packedLength, uint8_t* unpacked,
                               uint32_t unpackedLength) = 0;
    // Unpacks `part` until at least `limit` of its bytes are done; by default
    // the whole block at once.
    virtual Result decodeBlockPart(BlockPart* part, uint32_t limit);

private:
    Result readVarint(uint32_t* out);
    // Reads the next block's lengths and checks them against what is left.
    Result blockLengths(uint32_t* unpackedLength, uint32_t* packedLength);
    // The next `packedLength` packed bytes, where they lie or in the packed buffer.
    Result packedBlock(uint32_t packedLength, const uint8_t** packed);
    // Unpacks the next block: into `destination` when it fits in `room` bytes
    // (`delivered` says how many), else into the block buffer.
    Result nextBlock(uint8_t* destination, uint32_t room, uint32_t* delivered);

    BlockBuffer packed_;
    BlockBuffer unpacked_;
    uint32_t blockLength_ = 0;
    uint32_t readIndex_ = 0;
    uint64_t blocksUnpacked_ = 0;
    BlockPart part_; // decodeInto's block, while one is unfinished
};

} // namespace vorn
