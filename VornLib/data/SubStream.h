// One entry of an archive seen as a stream of its own: reads are forwarded to
// the archive reader, bounded by the entry's size, and only sequential access
// is possible (the data behind it may be compressed).
#pragma once

#include "VornLib/core/Stream.h"

namespace vorn {

class SubStream : public Stream {
public:
    SubStream(Stream* parent, uint64_t size) : parent_(parent), size_(size) {}

    Result close() override;
    Result read(void* destination, uint32_t count) override;
    Result write(const void* source, uint32_t count) override;
    Result flush(bool toDisk) override;
    uint64_t position() override { return position_; }
    Result seek(uint64_t offset) override;
    uint64_t size() override { return size_; }
    String description() override;

private:
    Stream* parent_;
    uint64_t position_ = 0;
    uint64_t size_;
};

} // namespace vorn
