#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "DataTestSupport.h"
#include "TestText.h"
#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

struct SampleEntry {
    const char16_t* name;
    CompressionKind kind;
    std::vector<uint8_t> bytes;
};

std::vector<SampleEntry> SampleEntries() {
    return {
        {u"Data/Xml/Configuration.xml", CompressionKind::Ppmd, SampleText(7000)},
        {u"Data/Pictures/Logo.png", CompressionKind::Stored, SampleNoise(3000)},
        {u"Data/Pictures/Banner.png", CompressionKind::Deflate, SampleMixed(9000)},
        {u"Program/App.exe", CompressionKind::Lzma, SampleMixed(12000)},
        {u"Program/Fast.dll", CompressionKind::Lzo, SampleMixed(5000)},
        {u"Program/Big.bin", CompressionKind::Lzma2, SampleMixed(30000)},
        {u"Empty.txt", CompressionKind::Stored, {}},
    };
}

vornpack::EncodedEntry Encoded(const SampleEntry& entry) {
    vornpack::EncoderSettings settings;
    settings.blockSize = 8192;
    settings.ppmdMemory = 16u << 20;
    vornpack::EncodedEntry encoded;
    EXPECT_EQ(0u, vornpack::EncodeEntry(entry.kind, entry.bytes.data(), entry.bytes.size(),
                                        settings, &encoded));
    return encoded;
}

std::vector<uint8_t> BuildContainer(const std::vector<SampleEntry>& entries) {
    GrowableStream out;
    vornpack::ContainerWriter writer;
    EXPECT_EQ(0u, writer.begin(&out, 0x20181024, 0x13450000));
    for (const SampleEntry& entry : entries)
        EXPECT_EQ(0u, writer.addEntry(entry.name, Encoded(entry), entry.bytes.size()));
    EXPECT_EQ(0u, writer.finish());
    return out.bytes();
}

// A container as written before entries carried checksums: no checksum bits,
// no list of names.
std::vector<uint8_t> LegacyContainer(const std::vector<SampleEntry>& entries) {
    std::vector<uint8_t> bytes(ArchiveHeader::kSize);
    std::vector<std::pair<uint32_t, uint32_t>> records;
    auto append = [&bytes](EntryHeader header, const std::vector<uint8_t>& data) {
        uint8_t raw[EntryHeader::kSize];
        header.packedSize = data.size();
        header.write(raw);
        bytes.insert(bytes.end(), raw, raw + sizeof(raw));
        bytes.insert(bytes.end(), data.begin(), data.end());
    };
    for (const SampleEntry& entry : entries) {
        records.emplace_back(NameHash(entry.name), uint32_t(bytes.size()));
        const vornpack::EncodedEntry encoded = Encoded(entry);
        EntryHeader header;
        header.compression = uint16_t(encoded.kind);
        header.unpackedSize = entry.bytes.size();
        append(header, encoded.packed);
    }
    std::sort(records.begin(), records.end());
    std::vector<uint8_t> directory;
    for (const auto& record : records) {
        for (uint32_t value : {record.first, record.second}) {
            for (int i = 0; i < 4; ++i)
                directory.push_back(uint8_t(value >> (8 * i)));
        }
    }
    ArchiveHeader archive;
    archive.directoryOffset = bytes.size();
    EntryHeader header;
    header.compression = uint16_t(CompressionKind::Deflate);
    header.unpackedSize = directory.size();
    header.formatCode = EntryHeader::kDirectoryFormatCode;
    header.recordKind = EntryHeader::kDirectoryRecordKind;
    const vornpack::EncodedEntry packed = Encoded({u"", CompressionKind::Deflate, directory});
    header.compression = uint16_t(packed.kind);
    append(header, packed.packed);
    archive.containerSize = bytes.size();
    archive.write(bytes.data());
    return bytes;
}

const std::vector<uint8_t>& SampleContainer() {
    static const std::vector<uint8_t> container = BuildContainer(SampleEntries());
    return container;
}

// Rewrites a header through `change` and recomputes its checksum.
template <typename Header, typename Change>
void PatchHeader(std::vector<uint8_t>* bytes, size_t offset, Change change) {
    Header header;
    header.parse(bytes->data() + offset);
    change(&header);
    uint8_t rewritten[Header::kSize];
    header.write(rewritten);
    std::copy(rewritten + (offset == 0 ? sizeof(kArchiveMagic) : 0), rewritten + Header::kSize,
              bytes->begin() + long(offset + (offset == 0 ? sizeof(kArchiveMagic) : 0)));
}

uint32_t EntryOffset(const char16_t* name) {
    return uint32_t(EntryHeaderOffset(SampleContainer(), name));
}

TEST(NameHash, UnitsHashLikeTheirLittleEndianBytes) {
    const char16_t* kNames[] = {u"a",
                                u"ab",
                                u"abc",
                                u"Data/Xml/Configuration.xml",
                                u"Stra\u00dfe/\u65e5\u672c.txt",
                                u"\U0001F600x"};
    std::set<uint32_t> seen;
    for (const char16_t* name : kNames) {
        std::vector<uint8_t> bytes;
        for (const char16_t* unit = name; *unit; ++unit) {
            bytes.push_back(uint8_t(*unit));
            bytes.push_back(uint8_t(*unit >> 8));
        }
        EXPECT_EQ(SuperFastHash(bytes.data(), uint32_t(bytes.size())), NameHash(name));
        seen.insert(NameHash(name));
    }
    EXPECT_EQ(6u, seen.size());
    EXPECT_EQ(0u, NameHash(u""));
    EXPECT_EQ(0u, NameHash(nullptr));
    EXPECT_NE(NameHash(u"data/xml/configuration.xml"), NameHash(u"Data/Xml/Configuration.xml"));
}

TEST(ArchiveFormat, WrittenLayoutIsExact) {
    const std::vector<uint8_t>& bytes = SampleContainer();
    ArchiveHeader header;
    EXPECT_EQ(header.parse(bytes.data()), header.checksum);
    EXPECT_TRUE(std::equal(kArchiveMagic, kArchiveMagic + 10, bytes.begin()));
    EXPECT_EQ(0x0300, header.revision);
    EXPECT_EQ(bytes.size(), header.containerSize);
    EXPECT_EQ(0x20181024u, header.buildDate);
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0x10, 0x10, 0x00, 0x03, 0x10}),
              std::vector<uint8_t>(bytes.begin() + 50, bytes.begin() + 57));
    // Entries back to back from offset 57; the directory ends the container.
    uint64_t offset = ArchiveHeader::kSize;
    EntryHeader entry;
    // Each entry carries the checksum of its bytes; then come the names.
    for (const SampleEntry& sample : SampleEntries()) {
        EXPECT_EQ(entry.parse(bytes.data() + offset), entry.checksum);
        EXPECT_EQ(0x1012, entry.formatCode);
        EXPECT_EQ(kEntryHasChecksum, entry.compression & 0xFFF8);
        EXPECT_EQ(Crc32(0, sample.bytes.data(), sample.bytes.size()), entry.dataChecksum);
        offset += EntryHeader::kSize + entry.packedSize;
    }
    EXPECT_EQ(entry.parse(bytes.data() + offset), entry.checksum);
    EXPECT_EQ(0x1012, entry.formatCode);
    offset += EntryHeader::kSize + entry.packedSize;
    EXPECT_EQ(header.directoryOffset, offset);
    EXPECT_EQ(entry.parse(bytes.data() + offset), entry.checksum);
    EXPECT_EQ(uint16_t(CompressionKind::Deflate) | kEntryHasChecksum, entry.compression);
    EXPECT_EQ(0x1011, entry.formatCode);
    EXPECT_EQ(0x50, entry.recordKind);
    EXPECT_EQ((SampleEntries().size() + 1) * 8, entry.unpackedSize);
    EXPECT_EQ(bytes.size(), offset + EntryHeader::kSize + entry.packedSize);
}

TEST(ArchiveMount, ContainersWithoutChecksumsReadAsBefore) {
    GrowableStream container(LegacyContainer(SampleEntries()));
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    EXPECT_EQ(SampleEntries().size(), mount.recordCount());
    for (const SampleEntry& entry : SampleEntries()) {
        SCOPED_TRACE(ToPrintable(entry.name));
        std::vector<uint8_t> got;
        ASSERT_EQ(0u, ReadWholeEntry(&mount, entry.name, &got));
        EXPECT_EQ(entry.bytes, got);
    }
}

// 100 bytes changed inside an entry's packed data, for every kind: the entry
// fails with 22 no later than the read of its last byte, and the first part
// of a stored entry still reads, so that only the end can tell.
TEST(ArchiveMount, DamagedDataFailsByTheLastRead) {
    for (const SampleEntry& sample : SampleEntries()) {
        if (sample.bytes.empty())
            continue;
        SCOPED_TRACE(ToPrintable(sample.name));
        GrowableStream container(SampleContainer());
        const uint32_t offset = EntryOffset(sample.name);
        EntryHeader header;
        header.parse(container.bytes().data() + offset);
        const size_t middle = offset + EntryHeader::kSize + size_t(header.packedSize) / 2;
        for (size_t i = middle - 50; i < middle + 50; ++i)
            container.bytes()[i] ^= 0x5A;
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        std::unique_ptr<EntryHandle> handle;
        ASSERT_EQ(0u, EntryHandle::open(&mount, sample.name, &handle));
        std::vector<uint8_t> bytes(size_t(handle->size()));
        const uint32_t first = uint32_t(bytes.size() / 4);
        Result result = handle->read(bytes.data(), first);
        if (sample.kind == CompressionKind::Stored) {
            EXPECT_EQ(0u, result) << "the damage lies further on";
        }
        if (result == kResultOk)
            result = handle->read(bytes.data() + first, uint32_t(bytes.size()) - first);
        EXPECT_EQ(22u, result);
    }
}

TEST(ArchiveMount, EveryEntryReadsBackByItsExactName) {
    GrowableStream container(SampleContainer());
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    EXPECT_EQ(SampleEntries().size() + 1, mount.recordCount()) << "and the names";
    for (const SampleEntry& entry : SampleEntries()) {
        SCOPED_TRACE(ToPrintable(entry.name));
        EXPECT_TRUE(mount.contains(entry.name)) << "and opens nothing";
        std::vector<uint8_t> got;
        ASSERT_EQ(0u, ReadWholeEntry(&mount, entry.name, &got));
        EXPECT_EQ(entry.bytes, got);
    }
    std::vector<uint8_t> got;
    EXPECT_EQ(29u, ReadWholeEntry(&mount, u"data/xml/configuration.xml", &got));
    EXPECT_EQ(29u, ReadWholeEntry(&mount, u"Data\\Xml\\Configuration.xml", &got));
    EXPECT_EQ(29u, ReadWholeEntry(&mount, u"/Data/Xml/Configuration.xml", &got));
    EXPECT_FALSE(mount.contains(u"data/xml/configuration.xml"));
    EXPECT_FALSE(mount.contains(nullptr));
    mount.close();
    EXPECT_FALSE(mount.contains(SampleEntries()[0].name));
}

TEST(ArchiveMount, OneOpenEntryPerContainer) {
    GrowableStream container(SampleContainer());
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    SubStream* first = nullptr;
    SubStream* second = nullptr;
    ASSERT_EQ(0u, mount.openEntry(u"Program/App.exe", &first));
    EXPECT_EQ(4u, mount.openEntry(u"Program/Fast.dll", &second));
    EXPECT_EQ(nullptr, second);
    GrowableStream stranger;
    EXPECT_EQ(5u, mount.releaseEntry(&stranger));
    EXPECT_EQ(0u, mount.releaseEntry(first));
    EXPECT_EQ(5u, mount.releaseEntry(first));
    {
        std::unique_ptr<EntryHandle> handle;
        ASSERT_EQ(0u, EntryHandle::open(&mount, u"Program/Fast.dll", &handle));
        EXPECT_EQ("SubStream(5000 bytes)", ToPrintable(handle->description().data()));
        EXPECT_EQ(4u, mount.openEntry(u"Program/App.exe", &second));
    }
    EXPECT_EQ(0u, mount.openEntry(u"Program/App.exe", &second));
    EXPECT_EQ(0u, mount.releaseEntry(second));
}

TEST(ArchiveMount, RefusesBadCallsAndClosedUse) {
    ArchiveMount mount;
    SubStream* entry = nullptr;
    EXPECT_EQ(15u, mount.open(nullptr));
    EXPECT_EQ(38u, mount.openEntry(nullptr, &entry));
    EXPECT_EQ(4u, mount.openEntry(u"Program/App.exe", &entry));
    EXPECT_EQ(23u, mount.openEntry(u"Program/App.exe", nullptr));
    GrowableStream container(SampleContainer());
    ASSERT_EQ(0u, mount.open(&container));
    mount.close();
    EXPECT_EQ(4u, mount.openEntry(u"Program/App.exe", &entry));
    ArchiveReader reader;
    EXPECT_EQ("StraFiLe(n/a)", ToPrintable(reader.description().data()));
    uint8_t byte;
    EXPECT_EQ(4u, reader.read(&byte, 1));
}

// Damage to the archive header: each case and the code the mount must give.
TEST(ArchiveMount, DamagedArchiveHeaders) {
    using Patch = std::function<void(std::vector<uint8_t>*)>;
    auto header = [](std::function<void(ArchiveHeader*)> change) -> Patch {
        return
            [change](std::vector<uint8_t>* bytes) { PatchHeader<ArchiveHeader>(bytes, 0, change); };
    };
    struct Case {
        const char* name;
        Patch patch;
        uint32_t expected;
    };
    const Case kCases[] = {
        {"checksum bit", [](std::vector<uint8_t>* b) { (*b)[30] ^= 0x04; }, 32},
        {"covered byte", [](std::vector<uint8_t>* b) { (*b)[40] ^= 0x01; }, 32},
        {"magic", [](std::vector<uint8_t>* b) { (*b)[3] = 'A'; }, 33},
        {"magic terminator", [](std::vector<uint8_t>* b) { (*b)[9] = 1; }, 33},
        {"version 0x0301", header([](ArchiveHeader* h) { h->formatVersion = 0x0301; }), 3},
        {"version 0x0300", header([](ArchiveHeader* h) { h->formatVersion = 0x0300; }), 0},
        {"version 0x0100", header([](ArchiveHeader* h) { h->formatVersion = 0x0100; }), 0},
        {"format id", header([](ArchiveHeader* h) { h->formatId = 2; }), 3},
        {"format code", header([](ArchiveHeader* h) { h->formatCode = 0x1011; }), 3},
        {"record kind", header([](ArchiveHeader* h) { h->recordKind = 0x30; }), 3},
        {"revision is ignored", header([](ArchiveHeader* h) { h->revision = 0x0999; }), 0},
        {"no directory", header([](ArchiveHeader* h) { h->directoryOffset = 0; }), 32},
        {"directory past the end", header([](ArchiveHeader* h) { h->directoryOffset = 1u << 30; }),
         37},
        {"directory at a large data entry",
         header([](ArchiveHeader* h) { h->directoryOffset = 57; }), 33},
        {"directory mid-entry", header([](ArchiveHeader* h) { h->directoryOffset = 60; }), 32},
        {"cut to 5 bytes", [](std::vector<uint8_t>* b) { b->resize(5); }, 19},
        {"cut to the header", [](std::vector<uint8_t>* b) { b->resize(57); }, 37},
        {"empty", [](std::vector<uint8_t>* b) { b->clear(); }, 19},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        GrowableStream container(SampleContainer());
        test.patch(&container.bytes());
        ArchiveMount mount;
        EXPECT_EQ(test.expected, mount.open(&container));
        EXPECT_EQ(test.expected == 0, mount.isOpen());
    }
}

TEST(ArchiveMount, DamagedEntryHeaders) {
    using Change = std::function<void(EntryHeader*)>;
    struct Case {
        const char* name;
        const char16_t* entry;
        Change change;
        uint32_t expected;
    };
    const Case kCases[] = {
        // A member's data is its 16-byte place in its group.
        {"kind 6 over other data", u"Program/App.exe", [](EntryHeader* e) { e->compression = 6; },
         33},
        {"a group named directly", u"Program/App.exe", [](EntryHeader* e) { e->compression = 7; },
         3},
        {"high kind bits ignored", u"Program/App.exe",
         [](EntryHeader* e) { e->compression |= 0x8000; }, 0},
        {"checksum of other bytes", u"Program/App.exe", [](EntryHeader* e) { ++e->dataChecksum; },
         22},
        {"checksum of a stored entry", u"Data/Pictures/Logo.png",
         [](EntryHeader* e) { ++e->dataChecksum; }, 22},
        {"checksum of an empty entry", u"Empty.txt", [](EntryHeader* e) { ++e->dataChecksum; }, 22},
        {"checksum bit cleared: unchecked", u"Program/App.exe",
         [](EntryHeader* e) {
             e->compression &= ~kEntryHasChecksum;
             ++e->dataChecksum;
         },
         0},
        {"packed past the container", u"Program/App.exe",
         [](EntryHeader* e) { e->packedSize = 1ull << 40; }, 19},
        {"stored longer than its data", u"Data/Pictures/Logo.png",
         [](EntryHeader* e) { e->unpackedSize += 1; }, 33},
        // Its packed data ends long before: the entry is damaged.
        {"huge unpacked size", u"Program/Big.bin",
         [](EntryHeader* e) { e->unpackedSize = ~uint64_t(0); }, 22},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        GrowableStream container(SampleContainer());
        PatchHeader<EntryHeader>(&container.bytes(), EntryOffset(test.entry), test.change);
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        std::unique_ptr<EntryHandle> handle;
        Result result = EntryHandle::open(&mount, test.entry, &handle);
        std::vector<uint8_t> bytes;
        if (result == kResultOk) {
            // Read what the header claims, in pieces, to the first failure.
            bytes.resize(1 << 16);
            for (uint64_t left = handle->size(); left && result == kResultOk;) {
                const uint32_t piece = uint32_t(std::min<uint64_t>(left, bytes.size()));
                result = handle->read(bytes.data(), piece);
                left -= piece;
            }
        }
        EXPECT_EQ(test.expected, result);
    }
    // A flipped checksum bit of one entry leaves the others readable.
    GrowableStream container(SampleContainer());
    container.bytes()[EntryOffset(u"Program/App.exe") + 22] ^= 1;
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    std::vector<uint8_t> got;
    EXPECT_EQ(32u, ReadWholeEntry(&mount, u"Program/App.exe", &got));
    EXPECT_EQ(0u, ReadWholeEntry(&mount, u"Program/Fast.dll", &got));
}

// A stored directory entry with `directory` as its data, appended to the sample.
std::vector<uint8_t> WithDirectory(const std::vector<uint8_t>& directory, uint64_t unpacked) {
    std::vector<uint8_t> bytes = SampleContainer();
    const uint64_t offset = bytes.size();
    EntryHeader header;
    header.packedSize = directory.size();
    header.unpackedSize = unpacked;
    uint8_t raw[EntryHeader::kSize];
    header.write(raw);
    bytes.insert(bytes.end(), raw, raw + sizeof(raw));
    bytes.insert(bytes.end(), directory.begin(), directory.end());
    PatchHeader<ArchiveHeader>(&bytes, 0, [&](ArchiveHeader* h) {
        h->directoryOffset = offset;
        h->containerSize = bytes.size();
    });
    return bytes;
}

TEST(ArchiveMount, DirectorySizes) {
    const uint32_t offset = EntryOffset(u"Program/Fast.dll");
    std::vector<uint8_t> record;
    for (uint32_t value : {NameHash(u"Program/Fast.dll"), offset}) {
        for (int i = 0; i < 4; ++i)
            record.push_back(uint8_t(value >> (8 * i)));
    }
    {
        // 8 + 5 bytes: the partial record is not loaded.
        std::vector<uint8_t> directory = record;
        directory.insert(directory.end(), {1, 2, 3, 4, 5});
        GrowableStream container(WithDirectory(directory, directory.size()));
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        EXPECT_EQ(1u, mount.recordCount());
        std::vector<uint8_t> got;
        EXPECT_EQ(0u, ReadWholeEntry(&mount, u"Program/Fast.dll", &got));
        EXPECT_EQ(5000u, got.size());
    }
    {
        // An empty directory mounts, and finds nothing.
        GrowableStream container(WithDirectory({}, 0));
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        std::vector<uint8_t> got;
        EXPECT_EQ(29u, ReadWholeEntry(&mount, u"Program/Fast.dll", &got));
    }
    {
        // More records than the container has room for entries: damage, no allocation.
        GrowableStream container(WithDirectory(record, 1ull << 33));
        ArchiveMount mount;
        EXPECT_EQ(33u, mount.open(&container));
    }
    {
        // A record pointing outside the container.
        std::vector<uint8_t> directory = record;
        directory[4] = directory[5] = directory[6] = directory[7] = 0xFF;
        GrowableStream container(WithDirectory(directory, 8));
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        std::vector<uint8_t> got;
        EXPECT_EQ(37u, ReadWholeEntry(&mount, u"Program/Fast.dll", &got));
    }
}

TEST(ArchiveMount, EqualHashesTakeTheFirstRecord) {
    const uint32_t hash = NameHash(u"Program/Fast.dll");
    std::vector<uint8_t> directory;
    for (uint32_t offset : {EntryOffset(u"Program/Fast.dll"), EntryOffset(u"Program/App.exe")}) {
        for (uint32_t value : {hash, offset}) {
            for (int i = 0; i < 4; ++i)
                directory.push_back(uint8_t(value >> (8 * i)));
        }
    }
    GrowableStream container(WithDirectory(directory, directory.size()));
    ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    std::vector<uint8_t> got;
    ASSERT_EQ(0u, ReadWholeEntry(&mount, u"Program/Fast.dll", &got));
    EXPECT_EQ(5000u, got.size());
}

// Every single damaged byte of a whole container ends in a result code, and
// none is ever delivered as an entry's bytes: what reads, reads as packed.
TEST(ArchiveMount, EveryDamagedByteIsContainedAndNoneIsDelivered) {
    std::vector<SampleEntry> entries = SampleEntries();
    for (SampleEntry& entry : entries)
        entry.bytes.resize(std::min<size_t>(entry.bytes.size(), 600));
    const std::vector<uint8_t> pristine = BuildContainer(entries);
    std::vector<uint8_t> names;
    {
        GrowableStream container(pristine);
        ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));
        ASSERT_EQ(0u, ReadWholeEntry(&mount, kEntryNamesName, &names));
    }
    entries.push_back({kEntryNamesName, CompressionKind::Stored, names});
    const std::set<uint32_t> kAllowed = {0, 3, 7, 15, 19, 22, 29, 32, 33, 37};
    for (size_t at = 0; at < pristine.size(); ++at) {
        GrowableStream container(pristine);
        container.bytes()[at] ^= uint8_t(0xA5 ^ at);
        ArchiveMount mount;
        const Result mounted = mount.open(&container);
        ASSERT_TRUE(kAllowed.count(mounted)) << "byte " << at << ": " << mounted;
        if (mounted != kResultOk)
            continue;
        for (const SampleEntry& entry : entries) {
            std::vector<uint8_t> got;
            const Result result = ReadWholeEntry(&mount, entry.name, &got);
            ASSERT_TRUE(kAllowed.count(result)) << "byte " << at << ": " << result;
            if (result == kResultOk) {
                ASSERT_EQ(entry.bytes, got) << "byte " << at;
            }
        }
    }
}

} // namespace
} // namespace vorn
