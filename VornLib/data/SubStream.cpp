#include "VornLib/data/SubStream.h"

#include "VornLib/core/Format.h"

namespace vorn {

Result SubStream::close() {
    parent_ = nullptr;
    return kResultOk;
}

Result SubStream::read(void* destination, uint32_t count) {
    if (!parent_)
        return kResultNullOutput;
    // A stored entry's bytes run on into the next entry: stop at the entry's end.
    if (count > size_ - position_)
        return kResultEndOfData;
    const Result result = parent_->read(destination, count);
    if (result == kResultOk)
        position_ += count;
    return result;
}

Result SubStream::write(const void* source, uint32_t count) {
    if (!parent_)
        return kResultNullOutput;
    const Result result = parent_->write(source, count);
    if (result == kResultOk)
        position_ += count;
    return result;
}

Result SubStream::flush(bool) {
    return kResultOk;
}

uint64_t SubStream::position() {
    return position_;
}

uint64_t SubStream::size() {
    return size_;
}

Result SubStream::seek(uint64_t offset) {
    if (!parent_)
        return kResultNullOutput;
    return offset == position_ ? kResultOk : kResultOutOfRange;
}

String SubStream::description() {
    return Format(u"SubStream({0} bytes)", {size_});
}

} // namespace vorn
