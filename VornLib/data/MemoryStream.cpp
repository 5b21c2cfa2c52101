#include "VornLib/data/MemoryStream.h"

#include <cstring>

#include "VornLib/core/Format.h"

namespace vorn {

MemoryStream::MemoryStream(const void* bytes, uint32_t length, const char16_t* name) {
    (void)attach(bytes, length, name, kRead);
}

MemoryStream::MemoryStream(void* buffer, uint32_t capacity) {
    (void)attach(buffer, capacity, nullptr, kWrite);
}

Result MemoryStream::attach(const void* bytes, uint32_t length, const char16_t* name, Mode mode) {
    (void)close();
    if (!bytes)
        return kResultNullOutput;
    if (!length)
        return kResultCapacityExceeded;
    // Read mode never writes through the pointer; one member serves both modes.
    base_ = current_ = static_cast<uint8_t*>(const_cast<void*>(bytes));
    capacity_ = length;
    size_ = mode == kRead ? length : 0;
    mode_ = mode;
    name_ = name;
    return kResultOk;
}

Result MemoryStream::close() {
    base_ = current_ = nullptr;
    capacity_ = size_ = 0;
    mode_ = kRead;
    return kResultOk;
}

Result MemoryStream::read(void* destination, uint32_t count) {
    if (!destination)
        return kResultNullOutput;
    if (mode_ != kRead)
        return kResultNotOpenForReading;
    if (!base_)
        return kResultNullInput;
    if (!count)
        return kResultOk;
    if (count > uint32_t(base_ + capacity_ - current_))
        return kResultEndOfData;
    std::memcpy(destination, current_, count);
    current_ += count;
    return kResultOk;
}

Result MemoryStream::write(const void* source, uint32_t count) {
    if (!source)
        return kResultNullInput;
    if (mode_ != kWrite)
        return kResultNotOpenForWriting;
    if (!base_)
        return kResultNullOutput;
    if (!count)
        return kResultOk;
    if (count > uint32_t(base_ + capacity_ - current_))
        return kResultCapacityExceeded;
    std::memcpy(current_, source, count);
    current_ += count;
    const uint32_t offset = uint32_t(current_ - base_);
    if (offset > size_)
        size_ = offset;
    return kResultOk;
}

Result MemoryStream::flush(bool) {
    return kResultOk;
}

uint64_t MemoryStream::position() {
    return base_ ? uint64_t(current_ - base_) : 0;
}

Result MemoryStream::seek(uint64_t offset) {
    if (!base_)
        return kResultNullOutput;
    if (offset > capacity_)
        return kResultOutOfRange;
    current_ = base_ + offset;
    return kResultOk;
}

uint64_t MemoryStream::size() {
    return size_;
}

String MemoryStream::description() {
    return Format(u"Memory({0}h,{1} bytes,\"{2}\")",
                  {FormatArgument::Address(base_), capacity_, name_});
}

} // namespace vorn
