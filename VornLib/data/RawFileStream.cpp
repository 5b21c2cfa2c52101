#include "VornLib/data/RawFileStream.h"

#include "VornLib/core/Format.h"

namespace vorn {

RawFileStream::~RawFileStream() {
    if (isOpen())
        (void)close();
}

Result RawFileStream::openRead(const char16_t* path) {
    return open(path, kRead);
}
Result RawFileStream::openWrite(const char16_t* path) {
    return open(path, kWrite);
}

Result RawFileStream::open(const char16_t* path, Mode mode) {
    if (!path)
        return kResultInvalidName;
    if (isOpen())
        (void)close();
    platform::FileHandle file = platform::kInvalidFile;
    Result result = platform::OpenFile(path, mode == kWrite, &file);
    if (result != kResultOk)
        return result;
    uint64_t size = 0;
    if (mode == kRead && (result = platform::FileSize(file, &size)) != kResultOk) {
        (void)platform::CloseFile(file);
        return result;
    }
    file_ = file;
    path_ = path;
    size_ = size;
    position_ = 0;
    mode_ = mode;
    return kResultOk;
}

Result RawFileStream::setLastWriteTime(DateTime time) {
    if (!isOpen())
        return kResultWrongState;
    return platform::SetFileLastWriteTime(file_, FileTimeFromDateTime(time));
}

Result RawFileStream::close() {
    if (!isOpen())
        return kResultWrongState;
    const Result result = platform::CloseFile(file_);
    file_ = platform::kInvalidFile;
    path_.clear();
    size_ = position_ = 0;
    mode_ = kRead;
    return result;
}

Result RawFileStream::read(void* destination, uint32_t count) {
    if (!isOpen())
        return kResultWrongState;
    if (!destination)
        return kResultNullInput;
    if (!count)
        return kResultOk;
    if (count > size_ - position_ || position_ > size_)
        return kResultEndOfData;
    const Result result = platform::ReadFile(file_, destination, count);
    if (result != kResultOk) {
        // Keep the handle where this object believes it is.
        (void)platform::SeekFile(file_, position_);
        return result;
    }
    position_ += count;
    return kResultOk;
}

Result RawFileStream::write(const void* source, uint32_t count) {
    if (!isOpen())
        return kResultWrongState;
    if (!source)
        return kResultNullInput;
    if (!count)
        return kResultOk;
    const Result result = platform::WriteFile(file_, source, count);
    if (result != kResultOk)
        return result;
    position_ += count;
    if (position_ > size_)
        size_ = position_;
    return kResultOk;
}

Result RawFileStream::flush(bool toDisk) {
    if (!isOpen())
        return kResultWrongState;
    if (mode_ == kWrite && toDisk)
        return platform::FlushFile(file_);
    return kResultOk;
}

uint64_t RawFileStream::position() {
    return isOpen() ? position_ : 0;
}
uint64_t RawFileStream::size() {
    return isOpen() ? size_ : 0;
}

Result RawFileStream::seek(uint64_t offset) {
    if (!isOpen())
        return kResultWrongState;
    if (offset > size_)
        return kResultOutOfRange;
    if (offset == position_)
        return kResultOk;
    const Result result = platform::SeekFile(file_, offset);
    if (result == kResultOk)
        position_ = offset;
    return result;
}

String RawFileStream::description() {
    return Format(u"\"{0}\"", {path_});
}

} // namespace vorn
