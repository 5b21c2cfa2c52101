// Reads a sequence of entries on a thread of its own, a few chunks ahead of
// the caller, so that decoding the next bytes overlaps with whatever the
// caller does with the last ones (writing them to disk). Entries come in the
// order given, each cut into chunks of at most `chunkSize` bytes; an error
// reaches the caller at the place in that order where it happened, and
// nothing is read past it.
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
    // Opens entry `index` (0 … count - 1); called on the read-ahead thread.
    using Opener = std::function<Result(uint32_t index, std::unique_ptr<Stream>* out)>;

    // `depth` chunk buffers (at least 2): one held by the caller, the others
    // filled ahead.
    EntryReadAhead(uint32_t chunkSize, uint32_t depth);
    EntryReadAhead(const EntryReadAhead&) = delete;
    EntryReadAhead& operator=(const EntryReadAhead&) = delete;
    ~EntryReadAhead() { stop(); }

    // Allocates the buffers (12 without memory) and starts reading `count` entries.
    Result start(uint32_t count, Opener opener);
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
    static constexpr uint32_t kNoBuffer = ~0u;

    void readAll(uint32_t count, const Opener& opener);
    bool takeFreeBuffer(uint32_t* buffer);
    void push(const Item& item);
    Result pop(bool wantEntry, Item* item);

    const uint32_t chunkSize_;
    const uint32_t depth_;
    std::vector<std::unique_ptr<uint8_t[]>> buffers_;
    std::vector<uint32_t> free_;
    std::deque<Item> ready_;
    uint32_t held_ = kNoBuffer;
    bool finished_ = false;
    bool stopping_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::thread thread_;
};

} // namespace vorn
