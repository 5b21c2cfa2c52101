// One entry of an archive seen as a stream of its own: reads are forwarded to
// the archive reader, bounded by the entry's size, and only sequential access
// is possible (the data behind it may be compressed).
#pragma once

#include "VornLib/core/Stream.h"

namespace vorn {

class SubStream : public Stream {
public:
    SubStream(Stream* parent, uint64_t size) : parent_(parent), size_(size) {}

    VORN_STREAM_OPERATIONS;

private:
    Stream* parent_;
    uint64_t position_ = 0;
    uint64_t size_;
};

} // namespace vorn
