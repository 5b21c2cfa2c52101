#include "VornLib/data/FileStream.h"

#include "VornLib/core/Format.h"

namespace vorn {

FileStream::~FileStream() {
    if (isOpen())
        (void)close();
}

Result FileStream::stackDefaultLayers() {
    (void)cache_.setInner(&raw_);
    top_ = &cache_;
    return kResultOk;
}

Result FileStream::openRead(const char16_t* path) {
    if (!path)
        return kResultInvalidName;
    if (isOpen())
        (void)close();
    const Result result = raw_.openRead(path);
    if (result != kResultOk)
        return result;
    return stackDefaultLayers();
}

Result FileStream::openWrite(const char16_t* path) {
    if (!path)
        return kResultInvalidName;
    if (isOpen())
        (void)close();
    const Result result = raw_.openWrite(path);
    if (result != kResultOk)
        return result;
    return stackDefaultLayers();
}

Result FileStream::setLayers(const uint32_t* codes, uint32_t count) {
    if (!codes && count)
        return kResultNullInput;
    Stream* top = nullptr;
    bool rawUsed = false;
    bool cacheUsed = false;
    for (uint32_t i = count; i-- > 0;) {
        switch (codes[i]) {
        case kRawLayer:
            if (rawUsed)
                return kResultInvalidArgument;
            rawUsed = true;
            top = &raw_;
            break;
        case kCacheLayer:
            // The one cache cannot sit on itself, nor on nothing.
            if (cacheUsed || !top)
                return kResultInvalidArgument;
            cacheUsed = true;
            top = &cache_;
            break;
        default:
            return kResultNotSupported;
        }
    }
    if (!top)
        return kResultInvalidArgument;
    // The new top continues where the old one was.
    const uint64_t position = top_ ? top_->position() : raw_.position();
    const Result result = cache_.setInner(cacheUsed ? &raw_ : nullptr);
    top_ = top;
    if (isOpen())
        (void)top_->seek(position);
    return result;
}

Result FileStream::setLastWriteTime(DateTime time) {
    if (!isOpen())
        return kResultWrongState;
    // Pending bytes written later would move the time again.
    if (top_ == &cache_) {
        const Result result = cache_.writeBack();
        if (result != kResultOk)
            return result;
    }
    return raw_.setLastWriteTime(time);
}

Result FileStream::close() {
    if (!top_ || !isOpen())
        return kResultWrongState;
    const Result result = top_->close();
    top_ = nullptr;
    return result;
}

Result FileStream::read(void* destination, uint32_t count) {
    return top_ ? top_->read(destination, count) : kResultWrongState;
}

Result FileStream::write(const void* source, uint32_t count) {
    return top_ ? top_->write(source, count) : kResultWrongState;
}

Result FileStream::flush(bool toDisk) {
    return top_ ? top_->flush(toDisk) : kResultWrongState;
}
uint64_t FileStream::position() {
    return top_ ? top_->position() : 0;
}
Result FileStream::seek(uint64_t offset) {
    return top_ ? top_->seek(offset) : kResultWrongState;
}
uint64_t FileStream::size() {
    return top_ ? top_->size() : 0;
}

String FileStream::description() {
    return top_ ? Format(u"File({0})", {top_->description()}) : String(u"File(n/a)");
}

} // namespace vorn
