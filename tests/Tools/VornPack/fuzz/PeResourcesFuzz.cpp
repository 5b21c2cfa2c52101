// Stubs come from vendors' build folders: whatever the bytes, reading the
// image and writing it with a payload must refuse cleanly, never read or
// write outside the image.
#include <cstring>
#include <vector>

#include "Tools/VornPack/PeResources.h"

namespace {

// Takes what is written; gives the payload's bytes.
class Sink : public vorn::Stream {
public:
    vorn::Result close() override { return vorn::kResultOk; }
    vorn::Result read(void* destination, uint32_t count) override {
        std::memset(destination, 0x5A, count);
        return vorn::kResultOk;
    }
    vorn::Result write(const void*, uint32_t count) override {
        written_ += count;
        return vorn::kResultOk;
    }
    vorn::Result flush(bool) override { return vorn::kResultOk; }
    uint64_t position() override { return written_; }
    vorn::Result seek(uint64_t offset) override {
        written_ = offset;
        return vorn::kResultOk;
    }
    uint64_t size() override { return written_; }
    vorn::String description() override { return vorn::String(u"Sink"); }

private:
    uint64_t written_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that the sanitizer sees any read past the end.
    std::vector<uint8_t> bytes(data, data + size);
    vornpack::PeImage image;
    if (image.parse(bytes.data(), bytes.size()) != vorn::kResultOk)
        return 0;
    for (const vornpack::ResourceLeaf& leaf : image.resources()) {
        if (leaf.fileOffset + leaf.size > size)
            __builtin_trap();
    }
    Sink payload;
    Sink out;
    // Refusing the image here is as good as writing it.
    (void)image.writeWithResource(vornpack::ResourceKey::Id(vornpack::kResourceRcData),
                                  vornpack::ResourceKey::Id(4096), &payload, 100, &out);
    return 0;
}
