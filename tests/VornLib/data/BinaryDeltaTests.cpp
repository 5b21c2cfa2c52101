#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

#include "DataTestSupport.h"
#include "Tools/VornPack/BinaryDeltaMaker.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/data/BinaryDelta.h"
#include "VornLib/data/MemoryStream.h"
#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes MakeDelta(const Bytes& base, const Bytes& target) {
    return vornpack::MakeBinaryDelta(base.data(), base.size(), target.data(), target.size());
}

// Applies `delta` to `base` into a memory target of `capacity` bytes; `written`
// gets what the target holds afterwards.
Result Apply(const Bytes& base, const Bytes& delta, Bytes* written, size_t capacity) {
    MemoryStream baseStream;
    if (!base.empty()) {
        EXPECT_EQ(0u,
                  baseStream.attach(base.data(), uint32_t(base.size()), u"base", Stream::kRead));
    }
    // A memory stream needs room for one byte at least.
    Bytes buffer(std::max<size_t>(capacity, 1));
    MemoryStream targetStream(buffer.data(), uint32_t(buffer.size()));
    const Result result = ApplyBinaryDelta(baseStream, delta.data(), delta.size(), targetStream);
    buffer.resize(size_t(targetStream.size()));
    *written = buffer;
    return result;
}

Result Apply(const Bytes& base, const Bytes& delta) {
    Bytes written;
    return Apply(base, delta, &written, 1 << 20);
}

// What the container would store for these bytes.
size_t PackedSize(const Bytes& bytes) {
    vornpack::EncodedEntry encoded;
    EXPECT_EQ(0u, vornpack::EncodeEntry(CompressionKind::Lzma2, bytes.data(), bytes.size(),
                                        vornpack::EncoderSettings(), &encoded));
    return encoded.packed.size();
}

BinaryDeltaHeader HeaderOf(const Bytes& delta) {
    BinaryDeltaHeader header;
    EXPECT_EQ(0u, ReadBinaryDeltaHeader(delta.data(), delta.size(), header));
    return header;
}

Bytes Spliced(Bytes bytes, size_t at, size_t removed, const Bytes& inserted) {
    bytes.erase(bytes.begin() + at, bytes.begin() + at + removed);
    bytes.insert(bytes.begin() + at, inserted.begin(), inserted.end());
    return bytes;
}

// Machine code in miniature: runs of random instruction bytes, each followed
// by the absolute address of some place in the image. `inserted` new bytes at
// about `insertAt` move everything after them, and so change every address
// that points there, as a rebuilt program's addresses change.
Bytes ExecutableLike(size_t length, size_t insertAt, size_t inserted) {
    constexpr uint32_t kImageBase = 0x00400000;
    const Bytes insertion = SampleNoise(inserted, 77);
    Bytes out;
    uint32_t state = 7;
    const auto next = [&state] {
        state = state * 1103515245 + 12345;
        return state >> 8;
    };
    bool moved = inserted == 0;
    for (size_t place = 0; place < length;) {
        if (!moved && place >= insertAt) {
            out.insert(out.end(), insertion.begin(), insertion.end());
            moved = true;
        }
        const size_t run = 8 + next() % 24;
        for (size_t i = 0; i < run; ++i)
            out.push_back(uint8_t(next()));
        const uint32_t pointee = next() % uint32_t(length);
        const uint32_t address =
            kImageBase + pointee + (pointee >= insertAt ? uint32_t(inserted) : 0);
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(address >> (8 * i)));
        place += run + 4;
    }
    return out;
}

// The suffix order against a plain sort, on texts that make the induced
// sorting recurse: small alphabets, repeats, runs.
TEST(BinaryDelta, SortsSuffixes) {
    uint32_t state = 1;
    const auto next = [&state] {
        state = state * 1103515245 + 12345;
        return state >> 16;
    };
    for (int round = 0; round < 400; ++round) {
        const size_t length = next() % (round < 200 ? 24 : 900);
        const uint32_t alphabet = 1 + next() % (round % 2 ? 3 : 256);
        Bytes text(length);
        for (size_t i = 0; i < length; ++i)
            text[i] =
                uint8_t(round % 3 == 0 && i >= 5 && next() % 4 ? text[i - 5] : next() % alphabet);
        std::vector<int32_t> expected(length);
        for (size_t i = 0; i < length; ++i)
            expected[i] = int32_t(i);
        std::sort(expected.begin(), expected.end(), [&](int32_t a, int32_t b) {
            return std::lexicographical_compare(text.begin() + a, text.end(), text.begin() + b,
                                                text.end());
        });
        ASSERT_EQ(expected, vornpack::SortedSuffixes(text.data(), text.size())) << round;
    }
}

struct DeltaCase {
    const char* name;
    Bytes base;
    Bytes target;
    // At most this many target bytes are carried literally: what is new.
    size_t maxExtra;
    // What the container may store for the delta at most.
    size_t maxPacked;
};

TEST(BinaryDelta, RoundTripsAndStaysSmall) {
    const Bytes noise = SampleNoise(200000);
    const Bytes text = SampleText(100000);
    const Bytes large = SampleNoise(2 << 20, 3);
    Bytes largeChanged = Spliced(large, 1500000, 1000, {});
    largeChanged = Spliced(largeChanged, 700000, 0, SampleNoise(300, 4));
    for (size_t at : {1000u, 250000u, 1900000u})
        largeChanged[at] ^= 0x5A;
    const Bytes halves(noise.begin() + 100000, noise.end());
    Bytes swapped = halves;
    swapped.insert(swapped.end(), noise.begin(), noise.begin() + 100000);
    // New bytes, then old ones whose first 300 differ every sixth byte: no
    // exact match there is long enough to switch for, the run widened
    // backwards from the first one after them takes them in.
    Bytes edited = SampleNoise(1000, 5);
    edited.insert(edited.end(), noise.begin() + 20000, noise.end());
    for (size_t at = 1000; at < 1300; at += 6)
        edited[at] ^= 0xFF;
    const DeltaCase cases[] = {
        {"identical", noise, noise, 0, 200},
        {"empty base", {}, text, text.size(), PackedSize(text) + 200},
        {"empty target", noise, {}, 0, 200},
        {"both empty", {}, {}, 0, 200},
        {"insertion in the middle", noise, Spliced(noise, 100000, 0, SampleNoise(1000, 2)), 1000,
         1500},
        {"deletion in the middle", noise, Spliced(noise, 100000, 5000, {}), 0, 300},
        {"halves swapped", noise, swapped, 0, 300},
        {"shorter text", text, Bytes(text.begin(), text.begin() + 60000), 0, 200},
        {"new bytes before edited old ones", noise, edited, 1000 + 16, 1500},
        {"large file, a few changes", large, largeChanged, 300, 1200},
    };
    for (const DeltaCase& test : cases) {
        SCOPED_TRACE(test.name);
        const Bytes delta = MakeDelta(test.base, test.target);
        const BinaryDeltaHeader header = HeaderOf(delta);
        EXPECT_EQ(test.base.size(), header.baseSize);
        EXPECT_EQ(test.target.size(), header.targetSize);
        EXPECT_EQ(Crc32(0, test.target.data(), test.target.size()), header.targetCrc);
        Bytes written;
        EXPECT_EQ(0u, Apply(test.base, delta, &written, test.target.size()));
        EXPECT_TRUE(written == test.target);
        EXPECT_LE(header.extraLength, test.maxExtra);
        EXPECT_LE(PackedSize(delta), test.maxPacked);
    }
}

// Code whose addresses all moved stays one approximate run: the changed
// address bytes become non-zero add bytes, not thousands of triples.
TEST(BinaryDelta, ShiftedAddressesStayOneRun) {
    constexpr size_t kLength = 256 << 10;
    constexpr size_t kInserted = 64;
    const Bytes base = ExecutableLike(kLength, kLength, 0);
    const Bytes target = ExecutableLike(kLength, kLength / 2, kInserted);
    const Bytes delta = MakeDelta(base, target);
    Bytes written;
    EXPECT_EQ(0u, Apply(base, delta, &written, target.size()));
    EXPECT_TRUE(written == target);
    const BinaryDeltaHeader header = HeaderOf(delta);
    EXPECT_LE(header.controlCount, 4u);
    EXPECT_LE(header.extraLength, kInserted + 16);
    EXPECT_LE(PackedSize(delta), PackedSize(target) / 8);
}

// Writes a header with these facts over the one at the start of `delta`.
void Rewrite(Bytes& delta, const std::function<void(BinaryDeltaHeader&)>& change) {
    BinaryDeltaHeader header = HeaderOf(delta);
    change(header);
    header.write(delta.data());
}

TEST(BinaryDelta, RefusesDamagedDeltas) {
    const Bytes base = SampleText(50000);
    Bytes target = Spliced(base, 30000, 2000, SampleNoise(500, 9));
    target[10000] ^= 1;
    const Bytes intact = MakeDelta(base, target);
    ASSERT_EQ(0u, Apply(base, intact));
    const BinaryDeltaHeader header = HeaderOf(intact);
    const size_t addsAt = BinaryDeltaHeader::kSize + size_t(header.controlLength);
    ASSERT_GT(header.controlCount, 1u);
    ASSERT_GT(header.extraLength, 0u);
    struct Damage {
        const char* name;
        std::function<void(Bytes&)> apply;
    };
    const Damage damages[] = {
        {"bad magic", [](Bytes& d) { d[0] ^= 0xFF; }},
        {"unknown version", [](Bytes& d) { d[8] = 2; }},
        {"shorter than a header", [](Bytes& d) { d.resize(BinaryDeltaHeader::kSize - 1); }},
        {"truncated", [](Bytes& d) { d.pop_back(); }},
        {"a byte too many", [](Bytes& d) { d.push_back(0); }},
        {"wrong CRC", [](Bytes& d) { d[12] ^= 1; }},
        {"changed add byte", [&](Bytes& d) { d[addsAt + 10000] ^= 1; }},
        {"changed extra byte", [](Bytes& d) { d.back() ^= 1; }},
        {"target longer than the sections",
         [](Bytes& d) { Rewrite(d, [](BinaryDeltaHeader& h) { ++h.targetSize; }); }},
        {"target shorter than the sections",
         [](Bytes& d) { Rewrite(d, [](BinaryDeltaHeader& h) { --h.targetSize; }); }},
        {"huge target",
         [](Bytes& d) { Rewrite(d, [](BinaryDeltaHeader& h) { h.targetSize = ~0ull; }); }},
        {"a triple more than there are",
         [](Bytes& d) { Rewrite(d, [](BinaryDeltaHeader& h) { ++h.controlCount; }); }},
        {"a triple fewer",
         [](Bytes& d) { Rewrite(d, [](BinaryDeltaHeader& h) { --h.controlCount; }); }},
        {"sections shifted",
         [](Bytes& d) {
             Rewrite(d, [](BinaryDeltaHeader& h) {
                 ++h.addLength;
                 --h.extraLength;
             });
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        Bytes delta = intact;
        damage.apply(delta);
        EXPECT_EQ(22u, Apply(base, delta));
    }
    // Made for another base: one of another size is refused before anything is written.
    Bytes written;
    EXPECT_EQ(22u, Apply(Bytes(base.begin(), base.end() - 1), intact, &written, target.size()));
    EXPECT_TRUE(written.empty());
}

// A delta by hand: the control section as given, its sections and a header
// that matches them, with the CRC of `target`.
Bytes Compose(size_t baseSize, const std::vector<BinaryDeltaControl>& controls, const Bytes& adds,
              const Bytes& extras, const Bytes& target) {
    Bytes section;
    for (const BinaryDeltaControl& control : controls) {
        uint8_t bytes[BinaryDeltaControl::kMaxSize];
        section.insert(section.end(), bytes, bytes + control.write(bytes));
    }
    BinaryDeltaHeader header;
    header.targetCrc = Crc32(0, target.data(), target.size());
    header.baseSize = baseSize;
    header.targetSize = adds.size() + extras.size();
    header.controlCount = controls.size();
    header.controlLength = section.size();
    header.addLength = adds.size();
    header.extraLength = extras.size();
    Bytes delta(BinaryDeltaHeader::kSize);
    header.write(delta.data());
    for (const Bytes* part : {static_cast<const Bytes*>(&section), &adds, &extras})
        delta.insert(delta.end(), part->begin(), part->end());
    return delta;
}

TEST(BinaryDelta, RefusesTriplesOutsideTheBaseOrTheirSections) {
    Bytes base(16);
    for (size_t i = 0; i < base.size(); ++i)
        base[i] = uint8_t('a' + i);
    const Bytes adds(12, 0);
    const Bytes extras = {'x', 'y'};
    // Eight base bytes, "xy", then the last four: seeks forwards and back to the start.
    const Bytes target = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'x', 'y', 'm', 'n', 'o', 'p'};
    Bytes written;
    ASSERT_EQ(0u, Apply(base, Compose(16, {{8, 2, 4}, {4, 0, -16}}, adds, extras, target), &written,
                        target.size()));
    ASSERT_TRUE(written == target);
    constexpr uint64_t kHuge = std::numeric_limits<uint64_t>::max();
    struct Fault {
        const char* name;
        std::vector<BinaryDeltaControl> controls;
        Bytes adds;
    };
    const Fault faults[] = {
        {"seek before the base's start", {{8, 2, 4}, {4, 0, -17}}, adds},
        {"seek past the base's end", {{8, 2, 9}, {4, 0, 0}}, adds},
        {"most negative seek", {{8, 2, std::numeric_limits<int64_t>::min()}, {4, 0, 0}}, adds},
        {"add bytes past the base's end", {{8, 2, 5}, {4, 0, 0}}, adds},
        {"add length past the add section", {{8, 2, 4}, {5, 0, 0}}, Bytes(13, 0)},
        {"extra length past the extra section", {{8, 3, 4}, {3, 0, 0}}, Bytes(11, 0)},
        {"huge add length", {{kHuge, 2, 4}, {4, 0, 0}}, adds},
        {"huge extra length", {{8, kHuge, 4}, {4, 0, 0}}, adds},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        EXPECT_EQ(22u, Apply(base, Compose(16, fault.controls, fault.adds, extras, target)));
    }
    // A control number of more than 64 bits.
    Bytes delta = Compose(16, {{8, 2, 4}, {4, 0, -16}}, adds, extras, target);
    const Bytes overlong = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02};
    Rewrite(delta, [&](BinaryDeltaHeader& h) { h.controlLength += overlong.size(); });
    delta.insert(delta.begin() + BinaryDeltaHeader::kSize, overlong.begin(), overlong.end());
    EXPECT_EQ(22u, Apply(base, delta));
}

// Counts the writes that reach it.
class CountingStream : public GrowableStream {
public:
    uint32_t writes = 0;
    Result write(const void* source, uint32_t count) override {
        ++writes;
        return GrowableStream::write(source, count);
    }
};

TEST(BinaryDelta, WritesInLargeBlocksAndPassesStreamFailuresOn) {
    // Thousands of triples: a byte inserted every kilobyte.
    const Bytes base = SampleNoise(5 << 19, 5);
    Bytes target;
    for (size_t at = 0; at < base.size(); at += 1024) {
        target.insert(target.end(), base.begin() + at, base.begin() + at + 1024);
        target.push_back(uint8_t(at >> 10));
    }
    const Bytes delta = MakeDelta(base, target);
    ASSERT_GT(HeaderOf(delta).controlCount, 1000u);
    GrowableStream baseStream(base);
    CountingStream targetStream;
    ASSERT_EQ(0u, ApplyBinaryDelta(baseStream, delta.data(), delta.size(), targetStream));
    EXPECT_TRUE(targetStream.bytes() == target);
    // Blocks of 1 MiB: three for a target of 2.5 MiB and a bit.
    EXPECT_EQ(3u, targetStream.writes);

    GrowableStream failingBase(base);
    failingBase.failReadsWith = kResultDeviceNotReady;
    GrowableStream anyTarget;
    EXPECT_EQ(kResultDeviceNotReady,
              ApplyBinaryDelta(failingBase, delta.data(), delta.size(), anyTarget));
    Bytes written;
    EXPECT_EQ(kResultCapacityExceeded, Apply(base, delta, &written, target.size() - 1));
}

} // namespace
} // namespace vorn
