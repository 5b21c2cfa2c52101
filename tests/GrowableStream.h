// A growable in-memory Stream for the tests: unlike MemoryStream it can be
// empty, it can be written anywhere without a fixed capacity, it can be told to
// fail its reads, and it counts them.
#pragma once

#include <cstring>
#include <vector>

#include "VornLib/core/Stream.h"

namespace vorn {

class GrowableStream : public Stream {
public:
    GrowableStream() = default;
    explicit GrowableStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::vector<uint8_t>& bytes() { return bytes_; }
    Result failReadsWith = kResultOk;
    uint32_t reads = 0;

    Result close() override { return kResultOk; }
    Result read(void* destination, uint32_t count) override {
        ++reads;
        if (failReadsWith != kResultOk)
            return failReadsWith;
        if (count > bytes_.size() - position_)
            return kResultEndOfData;
        if (count)
            std::memcpy(destination, bytes_.data() + position_, count);
        position_ += count;
        return kResultOk;
    }
    Result write(const void* source, uint32_t count) override {
        if (position_ + count > bytes_.size())
            bytes_.resize(position_ + count);
        if (count)
            std::memcpy(bytes_.data() + position_, source, count);
        position_ += count;
        return kResultOk;
    }
    Result flush(bool) override { return kResultOk; }
    uint64_t position() override { return position_; }
    Result seek(uint64_t offset) override {
        if (offset > bytes_.size())
            return kResultOutOfRange;
        position_ = size_t(offset);
        return kResultOk;
    }
    uint64_t size() override { return bytes_.size(); }
    String description() override { return String(u"Bytes"); }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

} // namespace vorn
