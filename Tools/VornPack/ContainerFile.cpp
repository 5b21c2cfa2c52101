#include "Tools/VornPack/ContainerFile.h"

#include <vector>

#include "Tools/VornPack/PeFile.h"
#include "Tools/VornPack/VornNames.h"

namespace vornpack {

// The bytes from `offset` to `offset + size` of a stream, as a stream of their own.
class ContainerFile::Window : public vorn::Stream {
public:
    Window(vorn::Stream* file, uint64_t offset, uint64_t size)
        : file_(file), offset_(offset), size_(size) {}

    Result close() override { return vorn::kResultOk; }
    Result read(void* destination, uint32_t count) override {
        if (count > size_ - position_)
            return vorn::kResultEndOfData;
        const Result result = file_->read(destination, count);
        if (result == vorn::kResultOk)
            position_ += count;
        return result;
    }
    Result write(const void*, uint32_t) override { return vorn::kResultNotOpenForWriting; }
    Result flush(bool) override { return vorn::kResultOk; }
    uint64_t position() override { return position_; }
    Result seek(uint64_t offset) override {
        if (offset > size_)
            return vorn::kResultOutOfRange;
        const Result result = file_->seek(offset_ + offset);
        if (result == vorn::kResultOk)
            position_ = offset;
        return result;
    }
    uint64_t size() override { return size_; }
    vorn::String description() override {
        return vorn::Format(u"Window({0} bytes at {1})", {size_, offset_});
    }

private:
    vorn::Stream* file_;
    uint64_t offset_;
    uint64_t size_;
    uint64_t position_ = 0;
};

ContainerFile::ContainerFile() = default;
ContainerFile::~ContainerFile() = default;

Result ContainerFile::open(const vorn::String& path) {
    Result result = file_.openRead(path.data());
    if (result != vorn::kResultOk)
        return result;
    const Result asContainer = mount_.open(&file_);
    if (asContainer != vorn::kResultMalformed)
        return asContainer;
    // Not a container's magic: perhaps a setup that carries one.
    std::vector<uint8_t> start;
    PeImage image;
    uint64_t offset = 0;
    uint64_t size = 0;
    if (ReadImageStart(&file_, &start, &image) != vorn::kResultOk)
        return asContainer;
    result = FindResource(image, ResourceKey::Id(kResourceRcData),
                          ResourceKey::Id(kPayloadResource), &offset, &size);
    if (result != vorn::kResultOk)
        return result;
    window_.reset(new Window(&file_, offset, size));
    if ((result = window_->seek(0)) != vorn::kResultOk)
        return result;
    return mount_.open(window_.get());
}

uint64_t ContainerFile::size() {
    return window_ ? window_->size() : file_.size();
}

} // namespace vornpack
