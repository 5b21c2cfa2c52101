#include "VornLib/data/EntryReadAhead.h"

#include <algorithm>
#include <new>

namespace vorn {

EntryReadAhead::EntryReadAhead(uint32_t chunkSize, uint32_t depth, uint32_t lanes)
    : chunkSize_(chunkSize ? chunkSize : 1), depth_(std::max<uint32_t>(depth, 2)),
      lanes_(std::max<uint32_t>(lanes, 1)) {}

Result EntryReadAhead::start(uint32_t count, Opener opener, const UnitOf& unitOf,
                             WorkAhead workAhead) {
    stop();
    if (!opener)
        return kResultNullInput;
    laneOf_.assign(count, 0);
    for (Lane& lane : lanes_)
        lane.entries.clear();
    uint32_t units = 0;
    uint64_t previous = 0;
    for (uint32_t index = 0; index < count; ++index) {
        const uint64_t unit = unitOf ? unitOf(index) : index;
        if (index && unit != previous)
            ++units;
        previous = unit;
        laneOf_[index] = units % uint32_t(lanes_.size());
        lanes_[laneOf_[index]].entries.push_back(index);
    }
    for (Lane& lane : lanes_) {
        for (uint32_t i = 0; i < depth_; ++i) {
            lane.buffers.emplace_back(new (std::nothrow) uint8_t[chunkSize_]);
            if (!lane.buffers.back()) {
                stop();
                return kResultOutOfMemory;
            }
            lane.free.push_back(i);
        }
        lane.finished = false;
    }
    current_ = nextEntry_ = 0;
    held_ = kNoBuffer;
    stopping_ = false;
    started_ = true;
    auto shared =
        std::make_shared<std::pair<Opener, WorkAhead>>(std::move(opener), std::move(workAhead));
    for (uint32_t i = 0; i < lanes_.size(); ++i)
        lanes_[i].thread =
            std::thread([this, i, shared] { readAll(i, shared->first, shared->second); });
    return kResultOk;
}

void EntryReadAhead::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (Lane& lane : lanes_) {
        if (lane.thread.joinable())
            lane.thread.join();
        lane.ready.clear();
        lane.buffers.clear();
        lane.free.clear();
    }
    held_ = kNoBuffer;
    started_ = false;
}

void EntryReadAhead::readAll(uint32_t laneIndex, const Opener& opener, const WorkAhead& workAhead) {
    Lane& lane = lanes_[laneIndex];
    for (const uint32_t index : lane.entries) {
        std::unique_ptr<Stream> entry;
        Result result = opener(index, laneIndex, &entry);
        if (result == kResultOk && !entry)
            result = kResultNullOutput;
        uint64_t left = result == kResultOk ? entry->size() : 0;
        push(lane, {true, result, left, kNoBuffer});
        while (result == kResultOk && left) {
            uint32_t buffer = kNoBuffer;
            if (!takeFreeBuffer(laneIndex, workAhead, &buffer))
                return;
            const uint32_t piece = uint32_t(std::min<uint64_t>(left, chunkSize_));
            result = entry->read(lane.buffers[buffer].get(), piece);
            push(lane, {false, result, piece, buffer});
            left -= piece;
        }
        if (result != kResultOk)
            break; // the caller ends at this error; nothing after it is read
    }
    std::lock_guard<std::mutex> guard(lock_);
    lane.finished = true;
    changed_.notify_all();
}

bool EntryReadAhead::takeFreeBuffer(uint32_t laneIndex, const WorkAhead& workAhead,
                                    uint32_t* buffer) {
    Lane& lane = lanes_[laneIndex];
    std::unique_lock<std::mutex> guard(lock_);
    bool workLeft = bool(workAhead);
    while (!stopping_ && lane.free.empty()) {
        if (workLeft) {
            guard.unlock();
            workLeft = workAhead(laneIndex);
            guard.lock();
            continue;
        }
        changed_.wait(guard, [this, &lane] { return stopping_ || !lane.free.empty(); });
    }
    if (stopping_)
        return false;
    *buffer = lane.free.back();
    lane.free.pop_back();
    return true;
}

void EntryReadAhead::push(Lane& lane, const Item& item) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        lane.ready.push_back(item);
    }
    changed_.notify_all();
}

Result EntryReadAhead::pop(bool wantEntry, Item* item) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!started_)
        return kResultWrongState;
    if (held_ != kNoBuffer) {
        lanes_[current_].free.push_back(held_);
        held_ = kNoBuffer;
        changed_.notify_all();
    }
    if (wantEntry && nextEntry_ >= laneOf_.size())
        return kResultEndOfData;
    const uint32_t laneIndex = wantEntry ? laneOf_[nextEntry_] : current_;
    Lane& lane = lanes_[laneIndex];
    changed_.wait(guard,
                  [this, &lane] { return !lane.ready.empty() || lane.finished || stopping_; });
    if (lane.ready.empty())
        return stopping_ ? kResultWrongState : kResultEndOfData;
    // Asking for an entry while chunks of the last one are left (or the
    // reverse) is the caller's mistake; the queue stays as it is.
    if (lane.ready.front().isEntry != wantEntry)
        return kResultWrongState;
    *item = lane.ready.front();
    lane.ready.pop_front();
    if (wantEntry) {
        current_ = laneIndex;
        ++nextEntry_;
    }
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
        *bytes = lanes_[current_].buffers[item.buffer].get();
        *count = uint32_t(item.size);
    }
    return item.result;
}

} // namespace vorn
