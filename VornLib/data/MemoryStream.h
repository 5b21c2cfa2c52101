// A stream over bytes owned by someone else: read mode over existing bytes, or
// write mode into a fixed buffer. It never allocates or frees the bytes.
#pragma once

#include "VornLib/core/Stream.h"

namespace vorn {

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    MemoryStream(const void* bytes, uint32_t length, const char16_t* name);
    MemoryStream(void* buffer, uint32_t capacity);

    Result attach(const void* bytes, uint32_t length, const char16_t* name, Mode mode);
    bool isAttached() const { return base_ != nullptr; }
    const uint8_t* bytes() const { return base_; }

    VORN_STREAM_OPERATIONS;

private:
    String name_;
    uint8_t* base_ = nullptr;
    uint8_t* current_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t size_ = 0;
    Mode mode_ = kRead;
};

} // namespace vorn
