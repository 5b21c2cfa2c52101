#include "VornLib/data/CompressedStream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "VornLib/core/Format.h"

namespace vorn {

Result CompressedStream::begin(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize) {
    end();
    if (!underlying)
        return kResultInvalidArgument;
    underlying_ = underlying;
    memory_ = dynamic_cast<MemoryStream*>(underlying);
    if (memory_ && !memory_->isAttached())
        memory_ = nullptr;
    start_ = underlying->position();
    packedSize_ = packedSize;
    unpackedSize_ = unpackedSize;
    return kResultOk;
}

void CompressedStream::end() {
    underlying_ = nullptr;
    memory_ = nullptr;
    start_ = packedSize_ = packedRead_ = unpackedSize_ = position_ = 0;
}

Result CompressedStream::readPacked(void* destination, uint32_t count) {
    if (count > packedLeft())
        return kResultEndOfData;
    // The underlying stream is shared: a solid group's stream outlives its
    // member, and the next member's header is read between its reads.
    const uint64_t at = start_ + packedRead_;
    Result result = underlying_->position() == at ? kResultOk : underlying_->seek(at);
    if (result == kResultOk)
        result = underlying_->read(destination, count);
    if (result == kResultOk)
        packedRead_ += count;
    return result;
}

const uint8_t* CompressedStream::packedInPlace(uint32_t count) {
    if (!memory_ || count > packedLeft())
        return nullptr;
    const uint64_t at = start_ + packedRead_;
    if (memory_->seek(at + count) != kResultOk)
        return nullptr;
    packedRead_ += count;
    return memory_->bytes() + at;
}

Result CompressedStream::read(void* destination, uint32_t count) {
    if (!underlying_)
        return kResultWrongState;
    if (!destination)
        return kResultNullInput;
    if (!count)
        return kResultOk;
    if (position_ > unpackedSize_ || count > unpackedSize_ - position_)
        return kResultEndOfData;
    const Result result = decode(static_cast<uint8_t*>(destination), count);
    if (result == kResultOk)
        position_ += count;
    return result;
}

Result CompressedStream::write(const void*, uint32_t) {
    return kResultWrongState;
}
Result CompressedStream::seek(uint64_t) {
    return kResultNotSupported;
}

Result CompressedStream::flush(bool toDisk) {
    return underlying_ ? underlying_->flush(toDisk) : kResultWrongState;
}

String CompressedStream::description() {
    return Format(descriptionFormat_, {packedSize_, unpackedSize_});
}

Result BlockBuffer::reserve(uint32_t capacity) {
    if (capacity <= capacity_)
        return kResultOk;
    void* grown = std::realloc(data_, capacity);
    if (!grown)
        return kResultOutOfMemory;
    data_ = static_cast<uint8_t*>(grown);
    capacity_ = capacity;
    return kResultOk;
}

void BlockBuffer::release() {
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
}

Result BlockStream::beginBlocks(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize) {
    endBlocks();
    return begin(underlying, packedSize, unpackedSize);
}

void BlockStream::endBlocks() {
    end();
    packed_.release();
    unpacked_.release();
    blockLength_ = readIndex_ = 0;
    blocksUnpacked_ = 0;
    part_ = BlockPart();
}

Result BlockStream::readVarint(uint32_t* out) {
    *out = 0;
    uint32_t value = 0;
    for (uint32_t shift = 0; shift < 35; shift += 7) {
        uint8_t byte = 0;
        const Result result = readPacked(&byte, 1);
        if (result != kResultOk)
            return result;
        if (shift == 28 && byte > 0x0F)
            return kResultPlatformFailure; // more than 32 bits
        value |= uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80)) {
            *out = value;
            return kResultOk;
        }
    }
    return kResultPlatformFailure;
}

Result BlockStream::blockLengths(uint32_t* unpackedLength, uint32_t* packedLength) {
    Result result = readVarint(unpackedLength);
    if (result == kResultOk)
        result = readVarint(packedLength);
    if (result != kResultOk)
        return result;
    // A block can neither unpack past the entry nor beyond the block limit.
    if (*unpackedLength > size() - blocksUnpacked_ || *unpackedLength > kMaxBlockSize)
        return kResultPlatformFailure;
    return *packedLength > packedLeft() ? kResultEndOfData : kResultOk;
}

Result BlockStream::packedBlock(uint32_t packedLength, const uint8_t** packed) {
    *packed = packedInPlace(packedLength);
    if (*packed)
        return kResultOk;
    Result result = packed_.reserve(packedLength);
    if (result == kResultOk && (result = readPacked(packed_.data(), packedLength)) == kResultOk)
        *packed = packed_.data();
    return result;
}

Result BlockStream::nextBlock(uint8_t* destination, uint32_t room, uint32_t* delivered) {
    *delivered = 0;
    uint32_t unpackedLength = 0;
    uint32_t packedLength = 0;
    Result result = blockLengths(&unpackedLength, &packedLength);
    if (result != kResultOk)
        return result;
    // A whole block that fits goes straight into the caller's buffer: no copy,
    // and no block buffer at all for a caller that reads block by block.
    const bool straight = unpackedLength <= room;
    if (!straight && (result = unpacked_.reserve(unpackedLength)) != kResultOk)
        return result;
    uint8_t* target = straight ? destination : unpacked_.data();
    if (packedLength == 0) {
        result = readPacked(target, unpackedLength);
    } else {
        const uint8_t* packed = nullptr;
        result = packedBlock(packedLength, &packed);
        if (result == kResultOk)
            result = decodeBlock(packed, packedLength, target, unpackedLength);
    }
    if (result != kResultOk)
        return result;
    blocksUnpacked_ += unpackedLength;
    if (straight) {
        *delivered = unpackedLength;
    } else {
        blockLength_ = unpackedLength;
        readIndex_ = 0;
    }
    return kResultOk;
}

Result BlockStream::decodeBlockPart(BlockPart* part, uint32_t) {
    const Result result =
        decodeBlock(part->packed, part->packedLength, part->unpacked, part->length);
    if (result == kResultOk)
        part->done = part->length;
    return result;
}

Result BlockStream::decodeInto(uint8_t* whole, uint64_t upTo, uint64_t* decoded) {
    upTo = std::min(upTo, size());
    Result result = kResultOk;
    while (result == kResultOk && blocksUnpacked_ + part_.done < upTo) {
        if (!part_.unpacked) {
            uint32_t unpackedLength = 0;
            uint32_t packedLength = 0;
            if ((result = blockLengths(&unpackedLength, &packedLength)) != kResultOk)
                break;
            part_ = BlockPart();
            part_.unpacked = whole + blocksUnpacked_;
            part_.length = unpackedLength;
            if (packedLength == 0) {
                result = readPacked(part_.unpacked, unpackedLength);
                part_.done = unpackedLength;
            } else {
                part_.packedLength = packedLength;
                result = packedBlock(packedLength, &part_.packed);
            }
        }
        if (result == kResultOk && part_.done < part_.length) {
            const uint64_t wanted = std::min<uint64_t>(upTo - blocksUnpacked_, part_.length);
            result = decodeBlockPart(&part_, uint32_t(wanted));
        }
        if (result == kResultOk && part_.done == part_.length) {
            blocksUnpacked_ += part_.length;
            part_ = BlockPart();
            // The packed data ends where the entry's bytes do, not before.
            if (blocksUnpacked_ < size() && packedLeft() == 0)
                result = kResultEndOfData;
        }
    }
    *decoded = blocksUnpacked_ + part_.done;
    return result;
}

Result BlockStream::decode(uint8_t* destination, uint32_t count) {
    while (count) {
        if (readIndex_ == blockLength_) {
            uint32_t delivered = 0;
            const Result result = nextBlock(destination, count, &delivered);
            if (result != kResultOk)
                return result;
            destination += delivered;
            count -= delivered;
            continue;
        }
        const uint32_t piece = std::min(count, blockLength_ - readIndex_);
        std::memcpy(destination, unpacked_.data() + readIndex_, piece);
        destination += piece;
        readIndex_ += piece;
        count -= piece;
    }
    return kResultOk;
}

} // namespace vorn
