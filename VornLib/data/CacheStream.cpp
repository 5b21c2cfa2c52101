#include "VornLib/data/CacheStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "VornLib/core/Format.h"

namespace vorn {
namespace {

// Fixed-size copies compile to single moves: the 1, 2 and 4 byte reads of
// header parsing never reach the library memcpy.
void CopyBytes(uint8_t* to, const uint8_t* from, uint32_t count) {
    switch (count) {
    case 1:
        *to = *from;
        break;
    case 2:
        std::memcpy(to, from, 2);
        break;
    case 4:
        std::memcpy(to, from, 4);
        break;
    default:
        std::memcpy(to, from, count);
    }
}

} // namespace

CacheStream::CacheStream(Stream* inner) : inner_(inner) {
    buffer_.reset(new (std::nothrow) uint8_t[kBufferSize]);
    capacity_ = buffer_ ? kBufferSize : 0;
}

Result CacheStream::setInner(Stream* inner) {
    const Result result = writeBack();
    resetWindow();
    inner_ = inner;
    position_ = inner ? inner->position() : 0;
    return result;
}

void CacheStream::resetWindow() {
    windowStart_ = position_;
    windowLength_ = 0;
    dirtyStart_ = kClean;
    dirtyEnd_ = 0;
}

Result CacheStream::writeBack() {
    if (!isDirty())
        return kResultOk;
    const uint64_t start = dirtyStart_;
    const uint32_t length = uint32_t(dirtyEnd_ - start);
    dirtyStart_ = kClean; // clean even when the inner stream refuses
    dirtyEnd_ = 0;
    if (!inner_)
        return kResultNullOutput;
    Result result = inner_->seek(start);
    if (result == kResultOk)
        result = inner_->write(buffer_.get() + (start - windowStart_), length);
    return result;
}

Result CacheStream::refill() {
    windowStart_ = position_;
    windowLength_ = 0;
    const uint64_t innerSize = inner_->size();
    if (position_ >= innerSize)
        return kResultEndOfData;
    const uint32_t length = uint32_t(std::min<uint64_t>(capacity_, innerSize - position_));
    Result result = inner_->seek(position_);
    if (result == kResultOk)
        result = inner_->read(buffer_.get(), length);
    if (result != kResultOk) {
        (void)inner_->seek(windowStart_);
        return result;
    }
    windowLength_ = length;
    return kResultOk;
}

Result CacheStream::readDirect(void* destination, uint32_t count) {
    Result result = writeBack();
    if (result != kResultOk)
        return result;
    if ((result = inner_->seek(position_)) != kResultOk ||
        (result = inner_->read(destination, count)) != kResultOk)
        return result;
    const uint64_t innerPosition = inner_->position();
    position_ = innerPosition == ~uint64_t(0) ? 0 : innerPosition;
    return kResultOk;
}

Result CacheStream::writeDirect(const void* source, uint32_t count) {
    Result result = writeBack();
    if (result != kResultOk)
        return result;
    // The window may hold the bytes about to be replaced.
    windowLength_ = 0;
    if ((result = inner_->seek(position_)) != kResultOk ||
        (result = inner_->write(source, count)) != kResultOk)
        return result;
    const uint64_t innerPosition = inner_->position();
    position_ = innerPosition == ~uint64_t(0) ? 0 : innerPosition;
    windowStart_ = position_;
    return kResultOk;
}

Result CacheStream::read(void* destination, uint32_t count) {
    if (!destination)
        return kResultNullOutput;
    if (!count)
        return kResultOk;
    if (!inner_)
        return kResultNullOutput;
    const uint64_t total = size();
    if (position_ > total || count > total - position_)
        return kResultEndOfData;
    const bool insideWindow =
        position_ >= windowStart_ && position_ + count <= windowStart_ + windowLength_;
    if (!insideWindow && (capacity_ == 0 || count > capacity_ / 2))
        return readDirect(destination, count);

    auto* out = static_cast<uint8_t*>(destination);
    while (count) {
        if (position_ < windowStart_ || position_ >= windowStart_ + windowLength_) {
            Result result = writeBack();
            if (result == kResultOk)
                result = refill();
            if (result != kResultOk)
                return result;
        }
        const uint32_t offset = uint32_t(position_ - windowStart_);
        const uint32_t piece = std::min(count, windowLength_ - offset);
        CopyBytes(out, buffer_.get() + offset, piece);
        out += piece;
        position_ += piece;
        count -= piece;
    }
    return kResultOk;
}

Result CacheStream::write(const void* source, uint32_t count) {
    if (!source)
        return kResultNullInput;
    if (!count)
        return kResultOk;
    if (!inner_)
        return kResultNullOutput;
    const bool insideWindow = position_ >= windowStart_ &&
                              position_ <= windowStart_ + windowLength_ &&
                              position_ + count <= windowStart_ + capacity_;
    if (!insideWindow && (capacity_ == 0 || count > capacity_ / 2))
        return writeDirect(source, count);

    auto* in = static_cast<const uint8_t*>(source);
    while (count) {
        // Only a contiguous run is buffered, so the window never holds a gap.
        if (position_ < windowStart_ || position_ > windowStart_ + windowLength_ ||
            position_ >= windowStart_ + capacity_) {
            const Result result = writeBack();
            if (result != kResultOk)
                return result;
            windowStart_ = position_;
            windowLength_ = 0;
        }
        const uint32_t offset = uint32_t(position_ - windowStart_);
        const uint32_t piece = std::min(count, capacity_ - offset);
        CopyBytes(buffer_.get() + offset, in, piece);
        if (!isDirty() || position_ < dirtyStart_)
            dirtyStart_ = position_;
        dirtyEnd_ = std::max(dirtyEnd_, position_ + piece);
        windowLength_ = std::max(windowLength_, offset + piece);
        in += piece;
        position_ += piece;
        count -= piece;
    }
    return kResultOk;
}

Result CacheStream::flush(bool toDisk) {
    const Result result = writeBack();
    if (!inner_)
        return kResultNullOutput;
    const Result innerResult = inner_->flush(toDisk);
    return result != kResultOk ? result : innerResult;
}

uint64_t CacheStream::position() {
    return position_;
}

Result CacheStream::seek(uint64_t offset) {
    if (!inner_)
        return kResultNullOutput;
    if (isDirty() && offset >= dirtyStart_ && offset <= dirtyEnd_) {
        position_ = offset;
        return kResultOk;
    }
    const Result result = writeBack();
    if (result != kResultOk)
        return result;
    if (offset > size())
        return kResultOutOfRange;
    position_ = offset;
    return kResultOk;
}

uint64_t CacheStream::size() {
    const uint64_t innerSize = inner_ ? inner_->size() : 0;
    return isDirty() ? std::max(innerSize, dirtyEnd_) : innerSize;
}

Result CacheStream::close() {
    const Result result = writeBack();
    position_ = 0;
    resetWindow();
    if (!inner_)
        return result != kResultOk ? result : kResultNullOutput;
    const Result innerResult = inner_->close();
    return result != kResultOk ? result : innerResult;
}

String CacheStream::description() {
    if (!inner_)
        return Format(u"Cache({0},n/a)", {capacity_});
    return Format(u"Cache({0},{1})", {capacity_, inner_->description()});
}

} // namespace vorn
