// Feeds arbitrary bytes to the TextReader. The first byte picks the default
// kind and the second when to switch kinds mid-stream; the reader must never
// read out of bounds, and reaching the end must mean every byte was counted.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "VornLib/core/TextReader.h"

namespace {

class FuzzStream : public vorn::Stream {
public:
    FuzzStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    vorn::Result close() override { return vorn::kResultOk; }
    vorn::Result read(void* destination, uint32_t count) override {
        if (count > size_ - position_)
            return vorn::kResultEndOfData;
        std::memcpy(destination, data_ + position_, count);
        position_ += count;
        return vorn::kResultOk;
    }
    vorn::Result write(const void*, uint32_t) override { return vorn::kResultNotOpenForWriting; }
    vorn::Result flush(bool) override { return vorn::kResultOk; }
    uint64_t position() override { return position_; }
    vorn::Result seek(uint64_t) override { return vorn::kResultNotSupported; }
    uint64_t size() override { return size_; }
    vorn::String description() override { return vorn::String(u"fuzz"); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const vorn::TextEncoding first = vorn::TextEncoding(data[0] % 5);
    const vorn::TextEncoding second = vorn::TextEncoding(data[0] / 5 % 5);
    const uint32_t switchAfter = data[1];
    FuzzStream stream(data + 2, size - 2);
    vorn::TextReader reader;
    if (reader.attach(&stream) != vorn::kResultOk)
        std::abort();
    reader.setEncoding(first);
    uint32_t count = 0;
    vorn::Result result = vorn::kResultOk;
    for (;;) {
        char16_t unit = 0;
        result = reader.readUnit(&unit);
        if (result != vorn::kResultOk)
            break;
        if (++count == switchAfter)
            reader.setEncoding(second);
        if (reader.bytePosition() > size - 2)
            std::abort();
    }
    if (result == vorn::kResultEndOfData && reader.bytePosition() != size - 2)
        std::abort();
    return 0;
}
