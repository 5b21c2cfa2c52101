#include "VornLib/data/BinaryDelta.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "VornLib/core/LittleEndian.h"
#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

constexpr uint32_t kTargetBlockSize = 1u << 20;
// The shortest triple: three one-byte numbers.
constexpr uint32_t kMinControlSize = 3;

uint32_t WriteNumber(uint64_t value, uint8_t* at) {
    uint32_t length = 0;
    for (; value >= 0x80; value >>= 7)
        at[length++] = uint8_t(value | 0x80);
    at[length++] = uint8_t(value);
    return length;
}

// One LEB128 number; false past the end or when it does not fit 64 bits.
bool ReadNumber(const uint8_t*& at, const uint8_t* end, uint64_t& value) {
    value = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        if (at == end)
            return false;
        const uint8_t byte = *at++;
        // The tenth byte carries the 64th bit alone.
        if (shift == 63 && byte > 1)
            return false;
        value |= uint64_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

// Zigzag: short seeks either way stay short numbers.
uint64_t ZigzagEncode(int64_t value) {
    const uint64_t doubled = uint64_t(value) << 1;
    return value < 0 ? ~doubled : doubled;
}
int64_t ZigzagDecode(uint64_t value) {
    return int64_t((value >> 1) ^ (0 - (value & 1)));
}

bool ReadControl(const uint8_t*& at, const uint8_t* end, BinaryDeltaControl& control) {
    uint64_t seek = 0;
    if (!ReadNumber(at, end, control.addLength) || !ReadNumber(at, end, control.extraLength) ||
        !ReadNumber(at, end, seek))
        return false;
    control.baseSeek = ZigzagDecode(seek);
    return true;
}

// Runs the triples of one delta: target bytes gather in one block, written
// whole when it fills, with their CRC summed on the way out.
class DeltaApplier {
public:
    DeltaApplier(Stream& base, uint64_t baseSize, Stream& target)
        : base_(base), target_(target), baseSize_(baseSize) {}

    Result run(const uint8_t* delta, const BinaryDeltaHeader& header);

private:
    Result addToBase(const uint8_t* adds, uint64_t length);
    Result copyExtra(const uint8_t* extras, uint64_t length);
    bool moveBase(int64_t seek);
    Result flushIfFull();
    Result flush();

    Stream& base_;
    Stream& target_;
    const uint64_t baseSize_;
    uint64_t basePosition_ = 0;
    // Whether the base stream stands at basePosition_: a seek only after a move.
    bool baseInPlace_ = false;
    std::unique_ptr<uint8_t[]> block_;
    uint32_t blockSize_ = 0;
    uint32_t filled_ = 0;
    uint32_t crc_ = 0;
};

Result DeltaApplier::run(const uint8_t* delta, const BinaryDeltaHeader& header) {
    blockSize_ = uint32_t(std::min<uint64_t>(header.targetSize, kTargetBlockSize));
    if (blockSize_) {
        block_.reset(new (std::nothrow) uint8_t[blockSize_]);
        if (!block_)
            return kResultOutOfMemory;
    }
    const uint8_t* controls = delta + BinaryDeltaHeader::kSize;
    const uint8_t* const controlsEnd = controls + header.controlLength;
    const uint8_t* adds = controlsEnd;
    const uint8_t* const addsEnd = adds + header.addLength;
    const uint8_t* extras = addsEnd;
    const uint8_t* const extrasEnd = extras + header.extraLength;
    for (uint64_t i = 0; i < header.controlCount; ++i) {
        BinaryDeltaControl control;
        if (!ReadControl(controls, controlsEnd, control) ||
            control.addLength > uint64_t(addsEnd - adds) ||
            control.addLength > baseSize_ - basePosition_ ||
            control.extraLength > uint64_t(extrasEnd - extras))
            return kResultCrcError;
        Result result = addToBase(adds, control.addLength);
        if (result == kResultOk)
            result = copyExtra(extras, control.extraLength);
        if (result != kResultOk)
            return result;
        adds += control.addLength;
        extras += control.extraLength;
        if (!moveBase(control.baseSeek))
            return kResultCrcError;
    }
    // Every byte of every section used: the sections add up to the target.
    if (controls != controlsEnd || adds != addsEnd || extras != extrasEnd)
        return kResultCrcError;
    const Result result = flush();
    if (result != kResultOk)
        return result;
    return crc_ == header.targetCrc ? kResultOk : kResultCrcError;
}

Result DeltaApplier::addToBase(const uint8_t* adds, uint64_t length) {
    if (!length)
        return kResultOk;
    Result result = kResultOk;
    if (!baseInPlace_) {
        if ((result = base_.seek(basePosition_)) != kResultOk)
            return result;
        baseInPlace_ = true;
    }
    while (length) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(length, blockSize_ - filled_));
        uint8_t* out = block_.get() + filled_;
        if ((result = base_.read(out, piece)) != kResultOk)
            return result;
        for (uint32_t i = 0; i < piece; ++i)
            out[i] = uint8_t(out[i] + adds[i]);
        adds += piece;
        length -= piece;
        basePosition_ += piece;
        filled_ += piece;
        if ((result = flushIfFull()) != kResultOk)
            return result;
    }
    return kResultOk;
}

Result DeltaApplier::copyExtra(const uint8_t* extras, uint64_t length) {
    while (length) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(length, blockSize_ - filled_));
        std::memcpy(block_.get() + filled_, extras, piece);
        extras += piece;
        length -= piece;
        filled_ += piece;
        const Result result = flushIfFull();
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

bool DeltaApplier::moveBase(int64_t seek) {
    if (!seek)
        return true;
    if (seek > 0) {
        if (uint64_t(seek) > baseSize_ - basePosition_)
            return false;
        basePosition_ += uint64_t(seek);
    } else {
        // The distance without negating, which could overflow.
        const uint64_t back = uint64_t(-(seek + 1)) + 1;
        if (back > basePosition_)
            return false;
        basePosition_ -= back;
    }
    baseInPlace_ = false;
    return true;
}

Result DeltaApplier::flushIfFull() {
    return filled_ == blockSize_ ? flush() : kResultOk;
}

Result DeltaApplier::flush() {
    if (!filled_)
        return kResultOk;
    crc_ = Crc32(crc_, block_.get(), filled_);
    const Result result = target_.write(block_.get(), filled_);
    filled_ = 0;
    return result;
}

} // namespace

void BinaryDeltaHeader::write(uint8_t* bytes) const {
    std::memcpy(bytes, kBinaryDeltaMagic, sizeof kBinaryDeltaMagic);
    WriteLittleEndian32(bytes + 8, kVersion);
    WriteLittleEndian32(bytes + 12, targetCrc);
    WriteLittleEndian64(bytes + 16, baseSize);
    WriteLittleEndian64(bytes + 24, targetSize);
    WriteLittleEndian64(bytes + 32, controlCount);
    WriteLittleEndian64(bytes + 40, controlLength);
    WriteLittleEndian64(bytes + 48, addLength);
    WriteLittleEndian64(bytes + 56, extraLength);
}

uint32_t BinaryDeltaControl::write(uint8_t* bytes) const {
    uint32_t length = WriteNumber(addLength, bytes);
    length += WriteNumber(extraLength, bytes + length);
    return length + WriteNumber(ZigzagEncode(baseSeek), bytes + length);
}

Result ReadBinaryDeltaHeader(const uint8_t* delta, size_t size, BinaryDeltaHeader& header) {
    header = BinaryDeltaHeader();
    if (!delta)
        return kResultNullInput;
    if (size < BinaryDeltaHeader::kSize ||
        std::memcmp(delta, kBinaryDeltaMagic, sizeof kBinaryDeltaMagic) != 0 ||
        ReadLittleEndian32(delta + 8) != BinaryDeltaHeader::kVersion)
        return kResultCrcError;
    BinaryDeltaHeader read;
    read.targetCrc = ReadLittleEndian32(delta + 12);
    read.baseSize = ReadLittleEndian64(delta + 16);
    read.targetSize = ReadLittleEndian64(delta + 24);
    read.controlCount = ReadLittleEndian64(delta + 32);
    read.controlLength = ReadLittleEndian64(delta + 40);
    read.addLength = ReadLittleEndian64(delta + 48);
    read.extraLength = ReadLittleEndian64(delta + 56);
    // Each section is measured against what is left, so no sum can overflow.
    uint64_t left = size - BinaryDeltaHeader::kSize;
    if (read.controlLength > left)
        return kResultCrcError;
    left -= read.controlLength;
    if (read.addLength > left)
        return kResultCrcError;
    left -= read.addLength;
    if (read.extraLength != left || read.addLength + read.extraLength != read.targetSize ||
        read.controlCount > read.controlLength / kMinControlSize)
        return kResultCrcError;
    header = read;
    return kResultOk;
}

Result ApplyBinaryDelta(Stream& base, const uint8_t* delta, size_t deltaSize, Stream& target) {
    BinaryDeltaHeader header;
    const Result result = ReadBinaryDeltaHeader(delta, deltaSize, header);
    if (result != kResultOk)
        return result;
    if (base.size() != header.baseSize)
        return kResultCrcError;
    DeltaApplier applier(base, header.baseSize, target);
    return applier.run(delta, header);
}

} // namespace vorn
