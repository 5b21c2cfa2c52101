// Helpers of the data tests: a growable in-memory stream (which can be told to
// fail), scratch files in the temporary folder, and sample contents.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>
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
    String description() override { return String(u"Growable"); }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::u16string file(const char* name) const { return (path_ / name).u16string(); }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Contents with the character of real payload files.
std::vector<uint8_t> SampleText(size_t length);
std::vector<uint8_t> SampleNoise(size_t length, uint32_t seed = 1);
std::vector<uint8_t> SampleMixed(size_t length);

} // namespace vorn
