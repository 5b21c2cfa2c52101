#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "DataTestSupport.h"
#include "TestText.h"
#include "VornLib/data/CacheStream.h"
#include "VornLib/data/EmbeddedBigFile.h"
#include "VornLib/data/FileStream.h"
#include "VornLib/data/MemoryStream.h"
#include "VornLib/data/RawFileStream.h"
#include "VornLib/data/SubStream.h"

namespace vorn {
namespace {

const std::vector<uint8_t> kTen = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// Every readable kind over the same ten bytes, so the shared edge cases run on each.
struct ReadableKind {
    const char* name;
    std::function<std::unique_ptr<Stream>(const ScratchFolder&)> make;
};

class OwningSubStream : public SubStream {
public:
    explicit OwningSubStream(std::unique_ptr<GrowableStream> parent)
        : SubStream(parent.get(), parent->size()), parent_(std::move(parent)) {}

private:
    std::unique_ptr<GrowableStream> parent_;
};

const ReadableKind kReadableKinds[] = {
    {"RawFileStream",
     [](const ScratchFolder& folder) -> std::unique_ptr<Stream> {
         WriteWholeFile(folder.path() / "ten", kTen);
         auto stream = std::make_unique<RawFileStream>();
         EXPECT_EQ(0u, stream->openRead(folder.file("ten").c_str()));
         return stream;
     }},
    {"FileStream",
     [](const ScratchFolder& folder) -> std::unique_ptr<Stream> {
         WriteWholeFile(folder.path() / "ten", kTen);
         auto stream = std::make_unique<FileStream>();
         EXPECT_EQ(0u, stream->openRead(folder.file("ten").c_str()));
         return stream;
     }},
    {"MemoryStream",
     [](const ScratchFolder&) -> std::unique_ptr<Stream> {
         return std::make_unique<MemoryStream>(kTen.data(), uint32_t(kTen.size()), u"ten");
     }},
    {"SubStream",
     [](const ScratchFolder&) -> std::unique_ptr<Stream> {
         return std::make_unique<OwningSubStream>(std::make_unique<GrowableStream>(kTen));
     }},
};

TEST(StreamKinds, SharedReadEdgeCases) {
    ScratchFolder folder;
    for (const ReadableKind& kind : kReadableKinds) {
        SCOPED_TRACE(kind.name);
        std::unique_ptr<Stream> stream = kind.make(folder);
        uint8_t bytes[16] = {};
        EXPECT_EQ(10u, stream->size());
        ASSERT_EQ(0u, stream->read(bytes, 4));
        EXPECT_EQ(3, bytes[3]);
        // A read past the end fails whole and moves nothing.
        EXPECT_EQ(19u, stream->read(bytes, 7));
        EXPECT_EQ(4u, stream->position());
        ASSERT_EQ(0u, stream->read(bytes, 6));
        EXPECT_EQ(9, bytes[5]);
        EXPECT_TRUE(stream->atEnd());
        EXPECT_EQ(0u, stream->read(bytes, 0));
        EXPECT_EQ(19u, stream->read(bytes, 1));
    }
}

TEST(StreamKinds, SeekToSizeSucceedsAndOneFurtherIsOutOfRange) {
    ScratchFolder folder;
    for (const ReadableKind& kind : kReadableKinds) {
        SCOPED_TRACE(kind.name);
        std::unique_ptr<Stream> stream = kind.make(folder);
        if (std::string(kind.name) == "SubStream") {
            // Entries only go forward: any offset but the current one is refused.
            EXPECT_EQ(37u, stream->seek(3));
            EXPECT_EQ(0u, stream->seek(0));
            continue;
        }
        EXPECT_EQ(0u, stream->seek(10));
        EXPECT_EQ(37u, stream->seek(11));
        EXPECT_EQ(10u, stream->position());
        EXPECT_EQ(0u, stream->seek(2));
        uint8_t byte = 0;
        ASSERT_EQ(0u, stream->read(&byte, 1));
        EXPECT_EQ(2, byte);
    }
}

TEST(RawFileStream, RefusesBadPathsAndClosedUse) {
    ScratchFolder folder;
    RawFileStream stream;
    uint8_t byte = 0;
    EXPECT_EQ(38u, stream.openRead(nullptr));
    EXPECT_EQ(29u, stream.openRead(folder.file("missing").c_str()));
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(4u, stream.read(&byte, 1));
    EXPECT_EQ(4u, stream.write(&byte, 1));
    EXPECT_EQ(4u, stream.seek(0));
    EXPECT_EQ(4u, stream.flush(true));
    EXPECT_EQ(4u, stream.close());
    EXPECT_EQ(0u, stream.position());
    EXPECT_EQ(0u, stream.size());
}

TEST(RawFileStream, WritesThenReadsBackWithQuotedDescription) {
    ScratchFolder folder;
    const std::u16string path = folder.file("out.bin");
    const std::vector<uint8_t> data = SampleNoise(100000);
    {
        RawFileStream stream;
        ASSERT_EQ(0u, stream.openWrite(path.c_str()));
        EXPECT_EQ(RawFileStream::kWrite, stream.mode());
        EXPECT_EQ(15u, stream.write(nullptr, 1));
        ASSERT_EQ(0u, stream.write(data.data(), uint32_t(data.size())));
        EXPECT_EQ(data.size(), stream.size());
        EXPECT_EQ(0u, stream.flush(true));
        EXPECT_EQ(ToPrintable((u"\"" + path + u"\"").c_str()),
                  ToPrintable(stream.description().data()));
        EXPECT_EQ(0u, stream.close());
        EXPECT_EQ(RawFileStream::kRead, stream.mode());
    }
    EXPECT_EQ(data, ReadWholeFile(folder.path() / "out.bin"));
}

TEST(CacheStream, DescriptionAndNullBuffers) {
    CacheStream cache;
    EXPECT_EQ("Cache(16384,n/a)", ToPrintable(cache.description().data()));
    GrowableStream inner(kTen);
    (void)cache.setInner(&inner);
    EXPECT_EQ("Cache(16384,Bytes)", ToPrintable(cache.description().data()));
    EXPECT_EQ(23u, cache.read(nullptr, 1));
    EXPECT_EQ(15u, cache.write(nullptr, 1));
}

// Random transfers through the cache must leave the inner stream exactly as
// the same transfers applied to a plain array would.
TEST(CacheStream, MatchesDirectTransfersUnderRandomMixedUse) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        std::vector<uint8_t> model = SampleNoise(100000, seed);
        GrowableStream inner(model);
        CacheStream cache(&inner);
        uint64_t position = 0;
        uint32_t state = seed;
        auto next = [&state](uint32_t limit) {
            state = state * 1664525 + 1013904223;
            return (state >> 8) % limit;
        };
        static const uint32_t kCounts[] = {1, 2, 4, 7, 100, 4000, 8192, 8193, 20000};
        for (int step = 0; step < 3000; ++step) {
            const uint32_t count = kCounts[next(9)];
            switch (next(3)) {
            case 0: { // read
                std::vector<uint8_t> got(count);
                const Result result = cache.read(got.data(), count);
                if (position + count > model.size()) {
                    ASSERT_EQ(19u, result);
                } else {
                    ASSERT_EQ(0u, result);
                    ASSERT_TRUE(std::equal(got.begin(), got.end(), model.begin() + position));
                    position += count;
                }
                break;
            }
            case 1: { // write, possibly growing the data
                const std::vector<uint8_t> bytes = SampleNoise(count, state);
                ASSERT_EQ(0u, cache.write(bytes.data(), count));
                if (position + count > model.size())
                    model.resize(position + count);
                std::copy(bytes.begin(), bytes.end(), model.begin() + position);
                position += count;
                break;
            }
            default: { // seek
                const uint64_t target = next(uint32_t(model.size()) + 1);
                ASSERT_EQ(0u, cache.seek(target));
                position = target;
            }
            }
            ASSERT_EQ(position, cache.position());
            ASSERT_EQ(model.size(), cache.size());
        }
        ASSERT_EQ(0u, cache.flush(false));
        EXPECT_FALSE(cache.isDirty());
        EXPECT_EQ(model, inner.bytes());
    }
}

TEST(CacheStream, FailedRefillLeavesItEmptyButUsable) {
    GrowableStream inner(SampleNoise(50000));
    CacheStream cache(&inner);
    uint8_t bytes[4];
    inner.failReadsWith = kResultPlatformFailure;
    EXPECT_EQ(7u, cache.read(bytes, 4));
    EXPECT_EQ(0u, cache.position());
    inner.failReadsWith = kResultOk;
    ASSERT_EQ(0u, cache.read(bytes, 4));
    EXPECT_EQ(inner.bytes()[3], bytes[3]);
}

TEST(CacheStream, SmallReadsAreServedFromOneRefill) {
    GrowableStream inner(SampleNoise(40000));
    CacheStream cache(&inner);
    uint32_t value = 0;
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(0u, cache.read(&value, 4));
    EXPECT_EQ(1u, inner.reads);
}

TEST(FileStream, LayerListsAreAppliedOrRefused) {
    ScratchFolder folder;
    WriteWholeFile(folder.path() / "ten", kTen);
    struct Case {
        std::vector<uint32_t> layers;
        uint32_t expected;
        const char* description; // of the stack that results
    };
    const Case kCases[] = {
        {{1, 1}, 5, nullptr},      {{2}, 2, nullptr},
        {{}, 5, nullptr},          {{0}, 5, nullptr},
        {{0, 0, 1}, 5, nullptr},   {{1, 0}, 5, nullptr},
        {{1}, 0, "File(\"ten\")"}, {{0, 1}, 0, "File(Cache(16384,\"ten\"))"},
    };
    for (const Case& test : kCases) {
        FileStream stream;
        ASSERT_EQ(0u, stream.openRead(folder.file("ten").c_str()));
        const String before = stream.description();
        EXPECT_EQ(test.expected,
                  stream.setLayers(test.layers.data(), uint32_t(test.layers.size())));
        const std::string got = ToPrintable(stream.description().data());
        const std::string path = ToPrintable(folder.file("ten").c_str());
        if (test.description) {
            std::string want = test.description;
            want.replace(want.find("ten"), 3, path);
            EXPECT_EQ(want, got);
        } else {
            EXPECT_EQ(ToPrintable(before.data()), got); // a refused list changes nothing
        }
        uint8_t bytes[10];
        ASSERT_EQ(0u, stream.read(bytes, 10));
        EXPECT_EQ(9, bytes[9]);
    }
}

TEST(FileStream, WritesThroughTheCacheAndStampsTheTime) {
    ScratchFolder folder;
    const std::u16string path = folder.file("written");
    const std::vector<uint8_t> data = SampleMixed(70001);
    FileStream stream;
    EXPECT_EQ(4u, stream.setLastWriteTime(0));
    ASSERT_EQ(0u, stream.openWrite(path.c_str()));
    for (size_t done = 0; done < data.size(); done += 1000)
        ASSERT_EQ(0u, stream.write(data.data() + done,
                                   uint32_t(std::min<size_t>(1000, data.size() - done))));
    const DateTime first = DateTime(1540382400) * kMicrosecondsPerSecond; // 2018-10-24 12:00 UTC
    ASSERT_EQ(0u, stream.setLastWriteTime(first));
    const auto stampedFirst = std::filesystem::last_write_time(folder.path() / "written");
    ASSERT_EQ(0u, stream.setLastWriteTime(first + 3600 * kMicrosecondsPerSecond));
    const auto stampedSecond = std::filesystem::last_write_time(folder.path() / "written");
    EXPECT_EQ(
        3600,
        std::chrono::duration_cast<std::chrono::seconds>(stampedSecond - stampedFirst).count());
    ASSERT_EQ(0u, stream.close());
    EXPECT_EQ(data, ReadWholeFile(folder.path() / "written"));
    EXPECT_EQ(stampedSecond, std::filesystem::last_write_time(folder.path() / "written"));
}

TEST(MemoryStream, WriteModeStopsAtCapacityKeepingWhatWasWritten) {
    uint8_t buffer[8] = {};
    MemoryStream stream(buffer, sizeof(buffer));
    const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(0u, stream.write(bytes, 6));
    EXPECT_EQ(24u, stream.write(bytes, 3));
    EXPECT_EQ(6u, stream.size());
    EXPECT_EQ(6, buffer[5]);
    EXPECT_EQ(16u, stream.read(buffer, 1));
    EXPECT_EQ(23u, stream.attach(nullptr, 4, u"x", MemoryStream::kRead));
    EXPECT_FALSE(stream.isAttached());
    EXPECT_EQ(24u, stream.attach(buffer, 0, u"x", MemoryStream::kRead));
    EXPECT_FALSE(stream.isAttached());
}

TEST(SubStream, ForwardsCountsAndNeedsAParent) {
    GrowableStream parent(kTen);
    SubStream entry(&parent, 6);
    uint8_t bytes[8];
    EXPECT_EQ("SubStream(6 bytes)", ToPrintable(entry.description().data()));
    ASSERT_EQ(0u, entry.read(bytes, 4));
    EXPECT_EQ(4u, entry.position());
    EXPECT_EQ(0u, entry.seek(4));
    EXPECT_EQ(37u, entry.seek(5));
    EXPECT_EQ(19u, entry.read(bytes, 3)); // not into the bytes after the entry
    EXPECT_EQ(0u, entry.flush(true));
    (void)entry.close();
    EXPECT_EQ(23u, entry.read(bytes, 1));
    EXPECT_EQ(23u, entry.seek(4));
}

TEST(EmbeddedBigFile, AnExecutableWithoutPayloadHasNone) {
    EmbeddedBigFile payload;
    EXPECT_EQ(29u, payload.open());
    EXPECT_FALSE(payload.isAttached());
}

} // namespace
} // namespace vorn
