#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "DataTestSupport.h"
#include "TestText.h"
#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/BranchFilter.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/EntryReadAhead.h"
#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

struct Member {
    const char16_t* name;
    std::vector<uint8_t> bytes;
};

struct Group {
    CompressionKind kind;
    BranchFilter filter;
    std::vector<Member> members;
};

// Bytes that look like x86 code: calls and jumps among other instructions.
std::vector<uint8_t> SampleCode(size_t length) {
    std::vector<uint8_t> bytes = SampleMixed(length);
    for (size_t i = 0; i + 5 < length; i += 23)
        bytes[i] = (i / 23) % 2 ? 0xE8 : 0xE9;
    return bytes;
}

std::vector<Group> SampleGroups() {
    return {
        {CompressionKind::Lzma2,
         BranchFilter::X86,
         {{u"bin/app.exe", SampleCode(70000)},
          {u"bin/empty.dll", {}},
          {u"bin/core.dll", SampleCode(33333)}}},
        {CompressionKind::Deflate,
         BranchFilter::None,
         {{u"docs/a.txt", SampleText(5000)}, {u"docs/b.txt", SampleText(7000)}}},
        // A filter on bytes that are no machine code at all still round-trips.
        {CompressionKind::Stored, BranchFilter::Arm64, {{u"data/noise.bin", SampleNoise(4099)}}},
        {CompressionKind::Lzma, BranchFilter::X86, {{u"data/text.txt", SampleText(9000)}}},
    };
}

// Writes `groups`, each in blocks of `blockSize` bytes (0: one block a group),
// and "copy/app.exe", a second name for the first member.
std::vector<uint8_t> BuildGroups(const std::vector<Group>& groups, uint32_t blockSize = 0) {
    GrowableStream out;
    vornpack::ContainerWriter writer;
    EXPECT_EQ(0u, writer.begin(&out, 0, 0));
    for (const Group& group : groups) {
        std::vector<uint8_t> bytes;
        for (const Member& member : group.members)
            bytes.insert(bytes.end(), member.bytes.begin(), member.bytes.end());
        const uint32_t checksum = Crc32(0, bytes.data(), bytes.size());
        ApplyBranchFilter(group.filter, bytes.data(), bytes.size(), true);
        vornpack::EncoderSettings settings;
        settings.blockSize = blockSize ? blockSize : uint32_t(std::max<size_t>(bytes.size(), 1));
        vornpack::EncodedEntry encoded;
        EXPECT_EQ(
            0u, vornpack::EncodeEntry(group.kind, bytes.data(), bytes.size(), settings, &encoded));
        uint64_t offset = 0;
        EXPECT_EQ(0u, writer.addGroup(encoded, group.filter, bytes.size(), checksum, &offset));
        uint64_t start = 0;
        for (const Member& member : group.members) {
            EXPECT_EQ(0u, writer.addMember(member.name, offset, start, member.bytes.size(),
                                           Crc32(0, member.bytes.data(), member.bytes.size())));
            start += member.bytes.size();
        }
    }
    EXPECT_EQ(0u, writer.addAlias(u"copy/app.exe", writer.entries().front().offset));
    EXPECT_EQ(0u, writer.finish());
    return out.bytes();
}

// The group of the member `name`.
uint64_t GroupOffset(const std::vector<uint8_t>& bytes, const char16_t* name) {
    MemberLocator locator;
    locator.parse(bytes.data() + EntryHeaderOffset(bytes, name) + EntryHeader::kSize);
    return locator.groupOffset;
}

template <typename Change>
void PatchHeader(std::vector<uint8_t>* bytes, uint64_t offset, Change change) {
    EntryHeader header;
    header.parse(bytes->data() + offset);
    change(&header);
    header.write(bytes->data() + offset);
}

TEST(ArchiveGroups, EveryMemberReadsBackWhateverItsGroupsKindAndFilter) {
    GrowableStream container(BuildGroups(SampleGroups()));
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    for (const Group& group : SampleGroups()) {
        for (const Member& member : group.members) {
            SCOPED_TRACE(ToPrintable(member.name));
            std::vector<uint8_t> got;
            ASSERT_EQ(0u, ReadWholeEntry(&mount, member.name, &got));
            EXPECT_EQ(member.bytes, got);
        }
    }
    std::vector<uint8_t> copy;
    ASSERT_EQ(0u, ReadWholeEntry(&mount, u"copy/app.exe", &copy));
    EXPECT_EQ(SampleGroups()[0].members[0].bytes, copy);
    // Members that follow one another are served from the group decoded once.
    const uint32_t before = container.reads;
    std::vector<uint8_t> got;
    ASSERT_EQ(0u, ReadWholeEntry(&mount, u"docs/a.txt", &got));
    const uint32_t decoding = container.reads - before;
    ASSERT_EQ(0u, ReadWholeEntry(&mount, u"docs/b.txt", &got));
    EXPECT_LE(container.reads - before - decoding, 3u) << "a header and a locator";
    EXPECT_GT(decoding, 3u);
}

// How a reader from before groups selects an entry: the header's checksum,
// its packed size against the container, then a switch on the low three
// bits of the compression field that decodes the kinds it knew (0 to 5) and
// refuses any other with 3 before a byte of data is read.
Result SelectAsReaderBeforeGroups(const std::vector<uint8_t>& bytes, uint64_t offset) {
    constexpr uint16_t kKindsKnownBeforeGroups[] = {0, 1, 2, 3, 4, 5};
    EntryHeader header;
    if (header.parse(bytes.data() + offset) != header.checksum)
        return kResultChecksumMismatch;
    if (header.packedSize > bytes.size() - offset - EntryHeader::kSize)
        return kResultEndOfData;
    for (const uint16_t kind : kKindsKnownBeforeGroups) {
        if ((header.compression & 7) == kind)
            return kResultOk;
    }
    return kResultUnsupportedFormat;
}

TEST(ArchiveGroups, ReadersBeforeGroupsRefuseEveryGroupedFileWithUnsupported) {
    const std::vector<uint8_t> bytes = BuildGroups(SampleGroups());
    // The headers are those such readers accept: they reach the kind.
    ArchiveHeader archive;
    const uint32_t expected = archive.parse(bytes.data());
    ASSERT_EQ(expected, archive.checksum);
    EXPECT_EQ(0x0300, archive.formatVersion);
    EXPECT_EQ(0x1010, archive.formatCode);
    std::vector<const char16_t*> names = {u"copy/app.exe"};
    for (const Group& group : SampleGroups()) {
        for (const Member& member : group.members)
            names.push_back(member.name);
    }
    for (const char16_t* name : names) {
        SCOPED_TRACE(ToPrintable(name));
        const uint64_t member = EntryHeaderOffset(bytes, name);
        EntryHeader header;
        header.parse(bytes.data() + member);
        EXPECT_EQ(0x0300, header.formatVersion);
        EXPECT_EQ(0x1012, header.formatCode);
        // A member's data is its locator, a group's is its own stream: either
        // read as a file would be wrong bytes, so both are refused.
        EXPECT_EQ(kResultUnsupportedFormat, SelectAsReaderBeforeGroups(bytes, member));
        EXPECT_EQ(kResultUnsupportedFormat,
                  SelectAsReaderBeforeGroups(bytes, GroupOffset(bytes, name)));
    }
}

TEST(ArchiveGroups, UnitsKeepAGroupsMembersTogether) {
    const std::vector<uint8_t> bytes = BuildGroups(SampleGroups());
    GrowableStream container(bytes);
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    uint64_t a = 0, b = 0, exe = 0, copy = 0, noise = 0;
    ASSERT_EQ(0u, mount.unitOf(u"docs/a.txt", &a));
    ASSERT_EQ(0u, mount.unitOf(u"docs/b.txt", &b));
    ASSERT_EQ(0u, mount.unitOf(u"bin/app.exe", &exe));
    ASSERT_EQ(0u, mount.unitOf(u"copy/app.exe", &copy));
    ASSERT_EQ(0u, mount.unitOf(u"data/noise.bin", &noise));
    EXPECT_EQ(a, b);
    EXPECT_EQ(exe, copy);
    EXPECT_NE(a, exe);
    EXPECT_NE(a, noise);
    EXPECT_EQ(GroupOffset(bytes, u"docs/a.txt"), a);
    EXPECT_EQ(29u, mount.unitOf(u"missing", &a));
    SubStream* open = nullptr;
    ASSERT_EQ(0u, mount.openEntry(u"docs/a.txt", &open));
    EXPECT_EQ(4u, mount.unitOf(u"docs/b.txt", &b)) << "not while an entry is read";
    EXPECT_EQ(0u, mount.releaseEntry(open));
}

// A damaged group never gives a member's bytes wrong: each member reads back
// whole and right or fails with 22, and the damage fails one at least; other
// entries read. A member without a checksum of its own waits for its group to
// be checked whole: it fails as it is opened.
TEST(ArchiveGroups, ADamagedGroupNeverGivesAMembersBytesWrong) {
    const std::vector<uint8_t> pristine = BuildGroups(SampleGroups());
    for (const Group& group : SampleGroups()) {
        SCOPED_TRACE(ToPrintable(group.members[0].name));
        std::vector<uint8_t> bytes = pristine;
        const uint64_t offset = GroupOffset(bytes, group.members[0].name);
        EntryHeader header;
        header.parse(bytes.data() + offset);
        const size_t middle =
            size_t(offset + EntryHeader::kSize + GroupPrefix::kSize + header.packedSize / 2);
        for (size_t i = middle - 20; i < middle + 20; ++i)
            bytes[i] ^= 0x77;
        std::vector<uint8_t> unchecked = bytes;
        GrowableStream container(bytes);
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        int failed = 0;
        for (const Member& member : group.members) {
            std::vector<uint8_t> got;
            const Result result = ReadWholeEntry(&mount, member.name, &got);
            if (result == kResultOk) {
                EXPECT_EQ(member.bytes, got) << ToPrintable(member.name);
            } else {
                EXPECT_EQ(22u, result) << ToPrintable(member.name);
                ++failed;
            }
        }
        EXPECT_GT(failed, 0);
        const char16_t* other =
            String(group.members[0].name) == u"docs/a.txt" ? u"data/noise.bin" : u"docs/a.txt";
        std::vector<uint8_t> got;
        EXPECT_EQ(0u, ReadWholeEntry(&mount, other, &got));

        const Member& last = group.members.back();
        PatchHeader(&unchecked, EntryHeaderOffset(unchecked, last.name),
                    [](EntryHeader* h) { h->compression &= uint16_t(~kEntryHasChecksum); });
        GrowableStream uncheckedContainer(unchecked);
        ArchiveMount uncheckedMount;
        ASSERT_EQ(0u, uncheckedMount.open(&uncheckedContainer));
        std::unique_ptr<EntryHandle> handle;
        EXPECT_EQ(22u, EntryHandle::open(&uncheckedMount, last.name, &handle));
    }
}

// A group is decoded as far as its members are read: its first member is
// served whole and right even when the group's end is damaged.
TEST(ArchiveGroups, AFirstMemberComesBeforeItsGroupIsDecodedWhole) {
    std::vector<uint8_t> bytes = BuildGroups(SampleGroups());
    const std::vector<Group> groups = SampleGroups();
    const Group& group = groups[0];
    const uint64_t offset = GroupOffset(bytes, group.members[0].name);
    EntryHeader header;
    header.parse(bytes.data() + offset);
    const size_t end = size_t(offset + EntryHeader::kSize + header.packedSize);
    for (size_t i = end - 24; i < end; ++i)
        bytes[i] ^= 0x5A;
    GrowableStream container(bytes);
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    std::vector<uint8_t> got;
    EXPECT_EQ(0u, ReadWholeEntry(&mount, group.members[0].name, &got));
    EXPECT_EQ(group.members[0].bytes, got);
    EXPECT_EQ(22u, ReadWholeEntry(&mount, group.members.back().name, &got));
}

// Members read in order are served as their group decodes, the x86 filter
// undone as they are copied out: reads of any size, across the places where
// the filter stops, give the bytes packed; so does a member read again after.
TEST(ArchiveGroups, MembersReadInPiecesOfAnySizeComeOutAsPacked) {
    const std::vector<Group> groups = SampleGroups();
    GrowableStream container(BuildGroups(groups));
    for (const uint32_t piece : {1u, 3u, 5u, 4099u}) {
        SCOPED_TRACE(piece);
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        for (const Group& group : groups) {
            for (const Member& member : group.members) {
                std::unique_ptr<EntryHandle> handle;
                ASSERT_EQ(0u, EntryHandle::open(&mount, member.name, &handle));
                std::vector<uint8_t> got(member.bytes.size());
                for (size_t done = 0; done < got.size(); done += piece) {
                    const uint32_t count = uint32_t(std::min<size_t>(piece, got.size() - done));
                    ASSERT_EQ(0u, handle->read(got.data() + done, count)) << done;
                }
                EXPECT_EQ(member.bytes, got) << ToPrintable(member.name);
            }
        }
        std::vector<uint8_t> again;
        ASSERT_EQ(0u, ReadWholeEntry(&mount, groups[0].members[0].name, &again));
        EXPECT_EQ(groups[0].members[0].bytes, again);
    }
}

// A group of several blocks is read block by block as its members need them,
// from its own place in the container, whatever was read in between: other
// members' headers and locators, another entry's header, or a whole other
// entry; on a container in a stream or mapped in memory.
TEST(ArchiveGroups, AGroupOfSeveralBlocksReadsInAnyOrder) {
    const std::vector<Group> groups = {
        {CompressionKind::Lzma2,
         BranchFilter::None,
         {{u"f1", SampleText(5000)}, {u"f2", SampleMixed(9000)}, {u"f3", SampleText(6000)}}},
        {CompressionKind::Stored, BranchFilter::None, {{u"other", SampleText(300)}}},
    };
    const std::vector<uint8_t> bytes = BuildGroups(groups, 4096);
    const Member& f1 = groups[0].members[0];
    const Member& f2 = groups[0].members[1];
    const Member& f3 = groups[0].members[2];
    // A step reads a member whole, or the first half of one, or learns
    // another entry's unit (its header and nothing else).
    struct Step {
        const Member* member;
        bool half;
    };
    const Step kHeaderOfOther = {nullptr, false};
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case kCases[] = {
        {"the second alone", {{&f2, false}}},
        {"the first then the second", {{&f1, false}, {&f2, false}}},
        {"another header between two members", {{&f1, false}, kHeaderOfOther, {&f2, false}}},
        {"another header inside the first block",
         {{&f1, true}, kHeaderOfOther, {&f2, false}, {&f3, false}}},
        {"every member in reverse order", {{&f3, false}, {&f2, false}, {&f1, false}}},
        {"another entry between two members",
         {{&f1, false}, {&groups[1].members[0], false}, {&f2, false}, {&f3, false}}},
    };
    MemoryStream mapped;
    ASSERT_EQ(0u,
              mapped.attach(bytes.data(), uint32_t(bytes.size()), u"mapped", MemoryStream::kRead));
    GrowableStream growable(bytes);
    for (Stream* container : {static_cast<Stream*>(&growable), static_cast<Stream*>(&mapped)}) {
        for (const Case& test : kCases) {
            SCOPED_TRACE(test.name);
            ArchiveMount mount;
            ASSERT_EQ(0u, mount.open(container));
            for (const Step& step : test.steps) {
                if (!step.member) {
                    uint64_t unit = 0;
                    ASSERT_EQ(0u, mount.unitOf(u"other", &unit));
                    continue;
                }
                SCOPED_TRACE(ToPrintable(step.member->name));
                std::unique_ptr<EntryHandle> handle;
                ASSERT_EQ(0u, EntryHandle::open(&mount, step.member->name, &handle));
                std::vector<uint8_t> got(step.member->bytes.size() / (step.half ? 2 : 1));
                ASSERT_EQ(0u, handle->read(got.data(), uint32_t(got.size())));
                EXPECT_TRUE(std::equal(got.begin(), got.end(), step.member->bytes.begin()));
            }
        }
    }
}

TEST(ArchiveGroups, TruncatedGroupsAndDamagedLocators) {
    const std::vector<uint8_t> pristine = BuildGroups(SampleGroups());
    const uint64_t group = GroupOffset(pristine, u"bin/app.exe");
    const uint64_t member = EntryHeaderOffset(pristine, u"bin/core.dll");
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>*)> damage;
        Result expected;
    };
    auto locator = [member](uint64_t groupOffset, uint64_t start) {
        return [=](std::vector<uint8_t>* bytes) {
            MemberLocator{groupOffset, start}.write(bytes->data() + member + EntryHeader::kSize);
        };
    };
    const Case kCases[] = {
        {"its packed data cut short",
         [group](std::vector<uint8_t>* b) {
             PatchHeader(b, group, [](EntryHeader* h) { h->packedSize -= 100; });
         },
         kResultCrcError},
        {"more bytes than it decodes to",
         [group](std::vector<uint8_t>* b) {
             PatchHeader(b, group, [](EntryHeader* h) { h->unpackedSize += 1; });
         },
         kResultCrcError},
        {"larger than a reader holds",
         [group](std::vector<uint8_t>* b) {
             PatchHeader(b, group, [](EntryHeader* h) { h->unpackedSize = kMaxGroupSize + 1ull; });
         },
         kResultUnsupportedFormat},
        {"an unknown filter",
         [group](std::vector<uint8_t>* b) { (*b)[group + EntryHeader::kSize + 1] = 9; },
         kResultUnsupportedFormat},
        {"a member past its group's end", locator(group, 70000 + 33333 - 10), kResultMalformed},
        {"a member of a data entry", locator(EntryHeaderOffset(pristine, u"docs/a.txt"), 0),
         kResultMalformed},
        {"a member of no group", locator(0, 0), kResultMalformed},
        // Another slice of the right group: only the member's checksum can tell.
        {"a member shifted by one byte", locator(group, 69999), kResultCrcError},
        {"a locator of the wrong length",
         [member](std::vector<uint8_t>* b) {
             PatchHeader(b, member, [](EntryHeader* h) { h->packedSize = 15; });
         },
         kResultMalformed},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        std::vector<uint8_t> bytes = pristine;
        test.damage(&bytes);
        GrowableStream container(bytes);
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        std::vector<uint8_t> got;
        EXPECT_EQ(test.expected, ReadWholeEntry(&mount, u"bin/core.dll", &got));
    }
}

TEST(BranchFilters, EveryFilterRoundTripsAnyBytes) {
    const std::vector<std::vector<uint8_t>> samples = {
        SampleCode(100000), SampleNoise(7777), SampleText(3000), std::vector<uint8_t>(3, 0xE8)};
    for (const std::vector<uint8_t>& original : samples) {
        for (BranchFilter filter : {BranchFilter::None, BranchFilter::X86, BranchFilter::Arm64}) {
            std::vector<uint8_t> bytes = original;
            ApplyBranchFilter(filter, bytes.data(), bytes.size(), true);
            if (filter == BranchFilter::X86 && &original == &samples[0]) {
                EXPECT_NE(original, bytes) << "calls were made absolute";
            }
            ApplyBranchFilter(filter, bytes.data(), bytes.size(), false);
            EXPECT_EQ(original, bytes);
        }
    }
}

// Bytes that arrive in pieces of any size unfilter as the whole does.
TEST(BranchFilters, UndoingX86InPiecesEqualsUndoingTheWhole) {
    std::vector<uint8_t> filtered = SampleCode(50001);
    ApplyBranchFilter(BranchFilter::X86, filtered.data(), filtered.size(), true);
    std::vector<uint8_t> whole = filtered;
    ApplyBranchFilter(BranchFilter::X86, whole.data(), whole.size(), false);
    for (const size_t piece : {size_t(1), size_t(3), size_t(4), size_t(4097)}) {
        std::vector<uint8_t> bytes = filtered;
        uint32_t state = 0;
        size_t done = 0;
        for (size_t arrived = 0; arrived < bytes.size();) {
            arrived = std::min(bytes.size(), arrived + piece);
            done += UndoX86FilterAt(bytes.data() + done, arrived - done, uint32_t(done), &state);
            EXPECT_LE(done, arrived);
        }
        EXPECT_EQ(whole, bytes) << "pieces of " << piece;
    }
}

// The installer reads a group's members on one lane; when it is stopped inside
// a group (a cancellation), no lane keeps an entry open: the mounts serve the
// next reading from the start.
TEST(ArchiveGroups, StoppingInsideAGroupLeavesEveryMountFree) {
    const std::vector<uint8_t> bytes = BuildGroups(SampleGroups());
    std::vector<std::unique_ptr<GrowableStream>> containers;
    std::vector<std::unique_ptr<ArchiveMount>> mounts;
    for (int lane = 0; lane < 2; ++lane) {
        containers.emplace_back(new GrowableStream(bytes));
        mounts.emplace_back(new ArchiveMount);
        ASSERT_EQ(0u, mounts.back()->open(containers.back().get()));
    }
    const std::vector<const char16_t*> names = {u"bin/app.exe", u"bin/core.dll", u"docs/a.txt",
                                                u"docs/b.txt"};
    auto opener = [&](uint32_t index, uint32_t lane, std::unique_ptr<Stream>* out) {
        std::unique_ptr<EntryHandle> entry;
        const Result result = EntryHandle::open(mounts[lane].get(), names[index], &entry);
        *out = std::move(entry);
        return result;
    };
    auto unitOf = [&](uint32_t index) {
        uint64_t unit = 0;
        EXPECT_EQ(0u, mounts[0]->unitOf(names[index], &unit));
        return unit;
    };
    for (int round = 0; round < 2; ++round) {
        EntryReadAhead ahead(4096, 2, 2);
        ASSERT_EQ(0u, ahead.start(uint32_t(names.size()), opener, unitOf));
        uint64_t size = 0;
        ASSERT_EQ(0u, ahead.nextEntry(&size));
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        ASSERT_EQ(0u, ahead.nextChunk(&chunk, &count));
        EXPECT_TRUE(std::equal(chunk, chunk + count, SampleGroups()[0].members[0].bytes.begin()));
        ahead.stop();
        for (const auto& mount : mounts) {
            std::vector<uint8_t> got;
            EXPECT_EQ(0u, ReadWholeEntry(mount.get(), u"bin/core.dll", &got))
                << "nothing left open";
            EXPECT_EQ(SampleGroups()[0].members[2].bytes, got);
        }
    }
}

} // namespace
} // namespace vorn
