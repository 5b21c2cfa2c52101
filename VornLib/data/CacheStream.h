// A write-back buffer of 16384 bytes over another stream. Small transfers are
// served from one buffered window; large ones go straight to the inner stream,
// so bulk copies are not slowed by an extra memcpy. The inner stream is not
// owned, but the cache's close closes it.
#pragma once

#include <memory>

#include "VornLib/core/Stream.h"

namespace vorn {

class CacheStream : public Stream {
public:
    static constexpr uint32_t kBufferSize = 16384;

    explicit CacheStream(Stream* inner = nullptr);

    // Writes back what is dirty for the previous inner stream, then forgets its window.
    Result setInner(Stream* inner);
    Stream* inner() const { return inner_; }
    uint32_t capacity() const { return capacity_; }
    bool isDirty() const { return dirtyStart_ != kClean; }
    Result writeBack();

    VORN_STREAM_OPERATIONS;

private:
    static constexpr uint64_t kClean = ~uint64_t(0);

    Result refill();
    Result readDirect(void* destination, uint32_t count);
    Result writeDirect(const void* source, uint32_t count);
    void resetWindow();

    Stream* inner_ = nullptr;
    std::unique_ptr<uint8_t[]> buffer_;
    uint32_t capacity_ = 0;
    uint64_t position_ = 0;
    uint64_t windowStart_ = 0;
    uint32_t windowLength_ = 0;
    uint64_t dirtyStart_ = kClean;
    uint64_t dirtyEnd_ = 0;
};

} // namespace vorn
