// A growable in-memory Stream for the text and XML tests: unlike MemoryStream
// it can be empty, it can be written without a fixed capacity, and it can be
// told to fail its reads.
#pragma once

#include <cstring>
#include <vector>

#include "VornLib/core/Stream.h"

namespace vorn {

class ByteStream : public Stream {
public:
    ByteStream() = default;
    explicit ByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::vector<uint8_t>& bytes() { return bytes_; }
    Result failReadsWith = kResultOk;

    Result close() override { return kResultOk; }
    Result read(void* destination, uint32_t count) override {
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
        const uint8_t* bytes = static_cast<const uint8_t*>(source);
        bytes_.insert(bytes_.end(), bytes, bytes + count);
        position_ = bytes_.size();
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
