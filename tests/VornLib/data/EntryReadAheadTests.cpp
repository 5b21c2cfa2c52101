#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "VornLib/data/EntryReadAhead.h"

namespace vorn {
namespace {

constexpr uint32_t kChunk = 64;

std::vector<uint8_t> Bytes(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = uint8_t(seed + i * 7 + i / 251);
    return bytes;
}

// An entry's bytes, counting the reads made from any thread, failing the
// read numbered `failAt` (1-based) when it is set.
class EntrySource : public Stream {
public:
    EntrySource(std::vector<uint8_t> bytes, std::atomic<uint32_t>* reads, uint32_t failAt = 0)
        : bytes_(std::move(bytes)), reads_(reads), failAt_(failAt) {}

    Result close() override { return kResultOk; }
    Result read(void* destination, uint32_t count) override {
        ++ownReads_;
        ++*reads_;
        if (ownReads_ == failAt_)
            return kResultMalformed;
        if (count > bytes_.size() - position_)
            return kResultEndOfData;
        std::memcpy(destination, bytes_.data() + position_, count);
        position_ += count;
        return kResultOk;
    }
    Result write(const void*, uint32_t) override { return kResultWrongState; }
    Result flush(bool) override { return kResultOk; }
    uint64_t position() override { return position_; }
    Result seek(uint64_t) override { return kResultNotSupported; }
    uint64_t size() override { return bytes_.size(); }
    String description() override { return String(u"EntrySource"); }

private:
    std::vector<uint8_t> bytes_;
    std::atomic<uint32_t>* reads_;
    uint32_t failAt_;
    uint32_t ownReads_ = 0;
    size_t position_ = 0;
};

struct Entries {
    std::vector<std::vector<uint8_t>> contents;
    uint32_t failOpenAt = ~0u; // index whose opening fails
    uint32_t failReadOf = ~0u; // index whose second read fails
    std::atomic<uint32_t> opened{0};
    std::atomic<uint32_t> reads{0};

    EntryReadAhead::Opener opener() {
        return [this](uint32_t index, uint32_t, std::unique_ptr<Stream>* out) -> Result {
            ++opened;
            if (index == failOpenAt)
                return kResultNotFound;
            out->reset(new EntrySource(contents[index], &reads, index == failReadOf ? 2 : 0));
            return kResultOk;
        };
    }
};

// Everything the read-ahead delivers for one entry, chunk by chunk.
Result Drain(EntryReadAhead& ahead, std::vector<uint8_t>* bytes, std::vector<uint32_t>* chunks) {
    uint64_t size = 0;
    Result result = ahead.nextEntry(&size);
    if (result != kResultOk)
        return result;
    while (bytes->size() < size) {
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        if ((result = ahead.nextChunk(&chunk, &count)) != kResultOk)
            return result;
        bytes->insert(bytes->end(), chunk, chunk + count);
        chunks->push_back(count);
    }
    return kResultOk;
}

bool WaitFor(const std::atomic<uint32_t>& value, uint32_t wanted) {
    for (int i = 0; i < 2000 && value.load() < wanted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return value.load() >= wanted;
}

class EntryReadAheadLanes : public testing::TestWithParam<uint32_t> {};

TEST_P(EntryReadAheadLanes, DeliversEveryEntryInOrderInChunks) {
    Entries entries;
    const size_t sizes[] = {0, 1, kChunk - 1, kChunk, kChunk * 5 / 2, 0, kChunk * 3};
    for (size_t i = 0; i < std::size(sizes); ++i)
        entries.contents.push_back(Bytes(sizes[i], uint8_t(i)));
    EntryReadAhead ahead(kChunk, 3, GetParam());
    ASSERT_EQ(kResultOk, ahead.start(uint32_t(entries.contents.size()), entries.opener()));
    for (size_t i = 0; i < std::size(sizes); ++i) {
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> chunks;
        ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks)) << "entry " << i;
        EXPECT_EQ(entries.contents[i], bytes) << "entry " << i;
        for (size_t c = 0; c < chunks.size(); ++c)
            EXPECT_EQ(c + 1 < chunks.size() ? kChunk : sizes[i] - c * kChunk, chunks[c]);
        EXPECT_EQ((sizes[i] + kChunk - 1) / kChunk, chunks.size()) << "no empty chunks";
    }
    uint64_t size = 7;
    EXPECT_EQ(kResultEndOfData, ahead.nextEntry(&size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(kResultEndOfData, ahead.nextEntry(&size)) << "and stays at the end";
}

TEST_P(EntryReadAheadLanes, AnErrorArrivesInItsPlace) {
    Entries entries;
    for (int i = 0; i < 9; ++i)
        entries.contents.push_back(Bytes(kChunk * 2, uint8_t(i)));
    entries.failReadOf = 4;
    EntryReadAhead ahead(kChunk, 2, GetParam());
    ASSERT_EQ(kResultOk, ahead.start(9, entries.opener()));
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> chunks;
        ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks));
        EXPECT_EQ(entries.contents[i], bytes);
    }
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> chunks;
    EXPECT_EQ(kResultMalformed, Drain(ahead, &bytes, &chunks));
    EXPECT_EQ(size_t(kChunk), bytes.size()) << "the first chunk came through";
}

INSTANTIATE_TEST_SUITE_P(OneToThree, EntryReadAheadLanes, testing::Values(1u, 2u, 3u));

// Entries of one unit (a solid group) are opened on one lane and thread, each
// next unit on the next lane in turn, so that a reader kept per lane is never
// shared between threads and decodes each group once.
TEST(EntryReadAhead, EachUnitGoesToTheNextLaneAndItsThread) {
    constexpr uint32_t kLanes = 3;
    const std::vector<uint64_t> kUnits = {7, 7, 7, 1, 9, 9, 7, 7, 7, 7, 5};
    const std::vector<uint32_t> kLaneOf = {0, 0, 0, 1, 2, 2, 0, 0, 0, 0, 1};
    const uint32_t count = uint32_t(kUnits.size());
    std::vector<std::thread::id> openedOn(count);
    std::vector<uint32_t> laneOf(count, 99);
    Entries entries;
    for (uint32_t i = 0; i < count; ++i)
        entries.contents.push_back(Bytes(kChunk, uint8_t(i)));
    EntryReadAhead ahead(kChunk, 2, kLanes);
    const EntryReadAhead::Opener inner = entries.opener();
    ASSERT_EQ(kResultOk, ahead.start(
                             count,
                             [&](uint32_t index, uint32_t lane, std::unique_ptr<Stream>* out) {
                                 openedOn[index] = std::this_thread::get_id();
                                 laneOf[index] = lane;
                                 return inner(index, lane, out);
                             },
                             [&](uint32_t index) { return kUnits[index]; }));
    for (uint32_t i = 0; i < count; ++i) {
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> chunks;
        ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks));
        EXPECT_EQ(entries.contents[i], bytes);
    }
    ahead.stop();
    EXPECT_EQ(kLaneOf, laneOf);
    for (uint32_t i = 0; i < count; ++i) {
        EXPECT_NE(std::this_thread::get_id(), openedOn[i]);
        for (uint32_t j = 0; j < i; ++j)
            EXPECT_EQ(kLaneOf[i] == kLaneOf[j], openedOn[i] == openedOn[j]) << i << " " << j;
    }
}

TEST(EntryReadAhead, ErrorsArriveInPlaceAndNothingAfterThemIsRead) {
    {
        Entries entries;
        for (int i = 0; i < 5; ++i)
            entries.contents.push_back(Bytes(kChunk * 2, uint8_t(i)));
        entries.failOpenAt = 2;
        EntryReadAhead ahead(kChunk, 4);
        ASSERT_EQ(kResultOk, ahead.start(5, entries.opener()));
        for (int i = 0; i < 2; ++i) {
            std::vector<uint8_t> bytes;
            std::vector<uint32_t> chunks;
            ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks));
            EXPECT_EQ(entries.contents[i], bytes);
        }
        uint64_t size = 1;
        EXPECT_EQ(kResultNotFound, ahead.nextEntry(&size));
        EXPECT_EQ(0u, size);
        EXPECT_EQ(kResultEndOfData, ahead.nextEntry(&size));
        EXPECT_EQ(3u, entries.opened.load()) << "entries after the failing one are not opened";
    }
    {
        Entries entries;
        for (int i = 0; i < 3; ++i)
            entries.contents.push_back(Bytes(kChunk * 3, uint8_t(i)));
        entries.failReadOf = 1;
        EntryReadAhead ahead(kChunk, 4);
        ASSERT_EQ(kResultOk, ahead.start(3, entries.opener()));
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> chunks;
        ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks));
        bytes.clear();
        EXPECT_EQ(kResultMalformed, Drain(ahead, &bytes, &chunks)) << "the second chunk fails";
        EXPECT_EQ(size_t(kChunk), bytes.size()) << "the first chunk came through";
        uint64_t size = 0;
        EXPECT_EQ(kResultEndOfData, ahead.nextEntry(&size));
        EXPECT_EQ(2u, entries.opened.load());
        EXPECT_EQ(5u, entries.reads.load()) << "3 of the first entry, 2 of the second";
    }
}

TEST(EntryReadAhead, TheHeldChunkStaysIntactWhileTheNextOnesAreRead) {
    Entries entries;
    entries.contents.push_back(Bytes(kChunk * 8, 3));
    EntryReadAhead ahead(kChunk, 3);
    ASSERT_EQ(kResultOk, ahead.start(1, entries.opener()));
    uint64_t size = 0;
    ASSERT_EQ(kResultOk, ahead.nextEntry(&size));
    const uint8_t* chunk = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(kResultOk, ahead.nextChunk(&chunk, &count));
    // The other two buffers fill; then the reader waits for this one.
    ASSERT_TRUE(WaitFor(entries.reads, 3));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(3u, entries.reads.load()) << "no read without a free buffer";
    ASSERT_EQ(size_t(kChunk), size_t(count));
    EXPECT_EQ(0, std::memcmp(entries.contents[0].data(), chunk, kChunk));
    ASSERT_EQ(kResultOk, ahead.nextChunk(&chunk, &count));
    EXPECT_EQ(0, std::memcmp(entries.contents[0].data() + kChunk, chunk, kChunk));
}

// A lane whose buffers are full works ahead on its own thread until there is
// no work left, then waits without spinning; what it delivers is unchanged.
TEST(EntryReadAhead, AWaitingLaneWorksAheadUntilNoWorkIsLeft) {
    Entries entries;
    entries.contents.push_back(Bytes(kChunk * 6, 5));
    std::atomic<uint32_t> worked{0};
    std::atomic<bool> onCaller{false};
    const std::thread::id caller = std::this_thread::get_id();
    EntryReadAhead ahead(kChunk, 2);
    ASSERT_EQ(kResultOk,
              ahead.start(1, entries.opener(), EntryReadAhead::UnitOf(), [&](uint32_t lane) {
                  onCaller = onCaller || std::this_thread::get_id() == caller;
                  EXPECT_EQ(0u, lane);
                  return ++worked < 3;
              }));
    ASSERT_TRUE(WaitFor(worked, 3));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(3u, worked.load()) << "no work is asked for after the last";
    EXPECT_EQ(2u, entries.reads.load()) << "both buffers were full";
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> chunks;
    ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks));
    EXPECT_EQ(entries.contents[0], bytes);
    EXPECT_FALSE(onCaller.load());
}

TEST(EntryReadAhead, MisuseAndStoppingEarly) {
    Entries entries;
    for (int i = 0; i < 3; ++i)
        entries.contents.push_back(Bytes(kChunk * 10, uint8_t(i)));
    {
        EntryReadAhead ahead(kChunk, 2);
        uint64_t size = 0;
        EXPECT_EQ(kResultWrongState, ahead.nextEntry(&size)) << "not started";
        EXPECT_EQ(kResultNullInput, ahead.start(3, nullptr));
        ASSERT_EQ(kResultOk, ahead.start(3, entries.opener()));
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        EXPECT_EQ(kResultWrongState, ahead.nextChunk(&chunk, &count)) << "an entry comes first";
        ASSERT_EQ(kResultOk, ahead.nextEntry(&size));
        EXPECT_EQ(kResultWrongState, ahead.nextEntry(&size)) << "its chunks come first";
        EXPECT_EQ(kResultNullOutput, ahead.nextEntry(nullptr));
        ASSERT_EQ(kResultOk, ahead.nextChunk(&chunk, &count));
        EXPECT_EQ(0, std::memcmp(entries.contents[0].data(), chunk, count));
        // Leaving with the reader blocked on a full queue ends it.
        ASSERT_TRUE(WaitFor(entries.reads, 2));
    }
    EXPECT_LE(entries.reads.load(), 3u) << "stopping reads no further";
    EXPECT_EQ(1u, entries.opened.load());

    // Stopped, then started again from the first entry.
    EntryReadAhead ahead(kChunk, 2);
    ASSERT_EQ(kResultOk, ahead.start(3, entries.opener()));
    ahead.stop();
    uint64_t size = 0;
    EXPECT_EQ(kResultWrongState, ahead.nextEntry(&size));
    ASSERT_EQ(kResultOk, ahead.start(1, entries.opener()));
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> chunks;
    ASSERT_EQ(kResultOk, Drain(ahead, &bytes, &chunks));
    EXPECT_EQ(entries.contents[0], bytes);
}

} // namespace
} // namespace vorn
