#include "VornLib/data/EntryReadAhead.h"

#include <algorithm>
#include <new>

namespace vorn {

EntryReadAhead::EntryReadAhead(uint32_t chunkSize, uint32_t depth)
    : chunkSize_(chunkSize ? chunkSize : 1), depth_(std::max<uint32_t>(depth, 2)) {}

Result EntryReadAhead::start(uint32_t count, Opener opener) {
    stop();
    if (!opener)
        return kResultNullInput;
    buffers_.clear();
    free_.clear();
    for (uint32_t i = 0; i < depth_; ++i) {
        buffers_.emplace_back(new (std::nothrow) uint8_t[chunkSize_]);
        if (!buffers_.back()) {
            buffers_.clear();
            return kResultOutOfMemory;
        }
        free_.push_back(i);
    }
    ready_.clear();
    held_ = kNoBuffer;
    finished_ = stopping_ = false;
    thread_ = std::thread([this, count, opener = std::move(opener)] { readAll(count, opener); });
    return kResultOk;
}

void EntryReadAhead::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    ready_.clear();
    held_ = kNoBuffer;
    buffers_.clear();
    free_.clear();
}

void EntryReadAhead::readAll(uint32_t count, const Opener& opener) {
    for (uint32_t index = 0; index < count; ++index) {
        std::unique_ptr<Stream> entry;
        Result result = opener(index, &entry);
        if (result == kResultOk && !entry)
            result = kResultNullOutput;
        uint64_t left = result == kResultOk ? entry->size() : 0;
        push({true, result, left, kNoBuffer});
        while (result == kResultOk && left) {
            uint32_t buffer = kNoBuffer;
            if (!takeFreeBuffer(&buffer))
                return;
            const uint32_t piece = uint32_t(std::min<uint64_t>(left, chunkSize_));
            result = entry->read(buffers_[buffer].get(), piece);
            push({false, result, piece, buffer});
            left -= piece;
        }
        if (result != kResultOk)
            break; // the caller ends at this error; nothing after it is read
    }
    std::lock_guard<std::mutex> guard(lock_);
    finished_ = true;
    changed_.notify_all();
}

bool EntryReadAhead::takeFreeBuffer(uint32_t* buffer) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return stopping_ || !free_.empty(); });
    if (stopping_)
        return false;
    *buffer = free_.back();
    free_.pop_back();
    return true;
}

void EntryReadAhead::push(const Item& item) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        ready_.push_back(item);
    }
    changed_.notify_all();
}

Result EntryReadAhead::pop(bool wantEntry, Item* item) {
    std::unique_lock<std::mutex> guard(lock_);
    if (held_ != kNoBuffer) {
        free_.push_back(held_);
        held_ = kNoBuffer;
        changed_.notify_all();
    }
    if (buffers_.empty())
        return kResultWrongState;
    changed_.wait(guard, [this] { return !ready_.empty() || finished_ || stopping_; });
    if (ready_.empty())
        return stopping_ ? kResultWrongState : kResultEndOfData;
    // Asking for an entry while chunks of the last one are left (or the
    // reverse) is the caller's mistake; the queue stays as it is.
    if (ready_.front().isEntry != wantEntry)
        return kResultWrongState;
    *item = ready_.front();
    ready_.pop_front();
    held_ = item->buffer;
    return kResultOk;
}

Result EntryReadAhead::nextEntry(uint64_t* size) {
    if (!size)
        return kResultNullOutput;
    *size = 0;
    Item item{};
    const Result result = pop(true, &item);
    if (result != kResultOk)
        return result;
    *size = item.size;
    return item.result;
}

Result EntryReadAhead::nextChunk(const uint8_t** bytes, uint32_t* count) {
    if (!bytes || !count)
        return kResultNullOutput;
    *bytes = nullptr;
    *count = 0;
    Item item{};
    const Result result = pop(false, &item);
    if (result != kResultOk)
        return result;
    if (item.result == kResultOk) {
        *bytes = buffers_[item.buffer].get();
        *count = uint32_t(item.size);
    }
    return item.result;
}

} // namespace vorn
