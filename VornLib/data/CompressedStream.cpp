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
    const Result result = underlying_->read(destination, count);
    if (result == kResultOk)
        packedRead_ += count;
    return result;
}

const uint8_t* CompressedStream::packedInPlace(uint32_t count) {
    if (!memory_ || count > packedLeft())
        return nullptr;
    const uint64_t at = memory_->position();
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

Result BlockStream::nextBlock(uint8_t* destination, uint32_t room, uint32_t* delivered) {
    *delivered = 0;
    uint32_t unpackedLength = 0;
    uint32_t packedLength = 0;
    Result result = readVarint(&unpackedLength);
    if (result == kResultOk)
        result = readVarint(&packedLength);
    if (result != kResultOk)
        return result;
    // A block can neither unpack past the entry nor beyond the block limit.
    if (unpackedLength > size() - blocksUnpacked_ || unpackedLength > kMaxBlockSize)
        return kResultPlatformFailure;
    // A whole block that fits goes straight into the caller's buffer: no copy,
    // and no block buffer at all for a caller that reads block by block.
    const bool straight = unpackedLength <= room;
    if (!straight && (result = unpacked_.reserve(unpackedLength)) != kResultOk)
        return result;
    uint8_t* target = straight ? destination : unpacked_.data();
    if (packedLength == 0) {
        result = readPacked(target, unpackedLength);
    } else {
        if (packedLength > packedLeft())
            return kResultEndOfData;
        const uint8_t* packed = packedInPlace(packedLength);
        if (!packed) {
            if ((result = packed_.reserve(packedLength)) != kResultOk ||
                (result = readPacked(packed_.data(), packedLength)) != kResultOk)
                return result;
            packed = packed_.data();
        }
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
