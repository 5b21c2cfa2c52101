// Reads a sequence of entries on threads of their own, a few chunks ahead of
// the caller, so that decoding the next bytes overlaps with whatever the
// caller does with the last ones (writing them to disk). With several lanes,
// each a thread with its own buffers (and the caller's reader of its own),
// the entries are dealt out by unit: entries of one unit that follow one
// another (the members of one solid group) go to one lane, which decodes
// their group once, and each next unit to the next lane in turn, so that the
// next groups decode on other cores while one is written. Without units each
// entry is a unit of its own. Entries come in the order given, each cut into
// chunks of at most `chunkSize` bytes; an error reaches the caller at the
// place in that order where it happened, and its lane reads nothing past it
// (the other lanes stop when their buffers are full, or at stop()).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "VornLib/core/Stream.h"

namespace vorn {

class EntryReadAhead {
public:
    // Opens entry `index` (0 … count - 1); called on the thread of `lane`, so
    // that state kept per lane (a reader of its own) is used by one thread only.
    using Opener =
        std::function<Result(uint32_t index, uint32_t lane, std::unique_ptr<Stream>* out)>;
    // The unit of entry `index`.
    using UnitOf = std::function<uint64_t(uint32_t index)>;
    // Work a lane may do while its buffers are full (decoding further into the
    // group it reads), on its own thread; false when there is none.
    using WorkAhead = std::function<bool(uint32_t lane)>;

    // `depth` chunk buffers per lane (at least 2): one held by the caller, the
    // others filled ahead.
    EntryReadAhead(uint32_t chunkSize, uint32_t depth, uint32_t lanes = 1);
    EntryReadAhead(const EntryReadAhead&) = delete;
    EntryReadAhead& operator=(const EntryReadAhead&) = delete;
    ~EntryReadAhead() { stop(); }

    // Allocates the buffers (12 without memory) and starts reading `count` entries.
    Result start(uint32_t count, Opener opener, const UnitOf& unitOf = UnitOf(),
                 WorkAhead workAhead = WorkAhead());
    // The next entry's size, or the error opening it gave; 19 after the last entry.
    Result nextEntry(uint64_t* size);
    // The current entry's next chunk, min(bytes left, chunkSize) long and valid
    // until the next call; or the error reading it gave.
    Result nextChunk(const uint8_t** bytes, uint32_t* count);
    // Ends the thread (after the chunk it is reading) and drops what it read.
    void stop();

private:
    struct Item {
        bool isEntry;
        Result result;
        uint64_t size;
        uint32_t buffer;
    };
    struct Lane {
        std::vector<uint32_t> entries; // in order
        std::vector<std::unique_ptr<uint8_t[]>> buffers;
        std::vector<uint32_t> free;
        std::deque<Item> ready;
        bool finished = false;
        std::thread thread;
    };
    static constexpr uint32_t kNoBuffer = ~0u;

    void readAll(uint32_t lane, const Opener& opener, const WorkAhead& workAhead);
    bool takeFreeBuffer(uint32_t lane, const WorkAhead& workAhead, uint32_t* buffer);
    void push(Lane& lane, const Item& item);
    Result pop(bool wantEntry, Item* item);

    const uint32_t chunkSize_;
    const uint32_t depth_;
    std::vector<Lane> lanes_;
    std::vector<uint32_t> laneOf_; // of each entry
    uint32_t current_ = 0;         // the lane of the entry the caller is on
    uint32_t nextEntry_ = 0;
    uint32_t held_ = kNoBuffer; // a buffer of lane current_
    bool started_ = false;
    bool stopping_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
};

} // namespace vorn
