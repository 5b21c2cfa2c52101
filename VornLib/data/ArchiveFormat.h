// The byte layout of the archive container, shared by the reader and by the
// tool that writes containers: a 57-byte archive header, then entries (a
// 33-byte entry header and its packed data), the last being the directory of
// 8-byte (name hash, header offset) records sorted by hash. Little-endian.
//
// Entry checksums: when bit 0x0100 of an entry header's compression field is
// set, its otherwise reserved u32 at offset 18 holds the CRC-32 (zlib's) of
// the entry's unpacked bytes, and reading the entry's last byte fails with 22
// when they differ. Readers that know only the low three bits of that field
// read such an entry exactly as before, unchecked; entries without the bit
// are read unchecked by every reader.
//
// The entry names: an ordinary entry named "VornLib/Names" may list the names
// of the other entries in UTF-16LE, each followed by a 0 unit, so that tools
// can name what they list or find damaged; the reader needs none of it.
//
// Solid groups: several files compressed as one stream, so that what one file
// shares with the next is stored once. A group is an entry of kind 7 that no
// directory record names. Its data is one byte naming the compression kind of
// its stream (0 to 5), one byte naming the branch filter applied to the
// group's bytes before compressing (BranchFilter: 0 none, 1 x86, 2 ARM64),
// then the packed data of that kind; its unpacked size is that of all its
// members, its checksum that of their bytes. A member is an entry of kind 6,
// named by the directory like any other: its data is 16 bytes, the offset of
// its group's entry header (u64) and of its first byte within the group's
// unpacked bytes (u64); its unpacked size and checksum are its own. A reader
// holds a group whole (at most kMaxGroupSize bytes) and decodes it as far as
// its members' reads need, each member checked by its own checksum and the
// group by its own at its end; a member without a checksum waits for the
// group checked whole. Readers that predate groups refuse kinds 6 and 7
// with 3, as they always have: they never read wrong bytes. Two directory
// records may name the same entry header: identical files are stored once.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"

namespace vorn {

enum class CompressionKind : uint16_t {
    Stored = 0,
    Deflate = 1,
    Lzo = 2,
    Lzma = 3,
    Ppmd = 4,
    Lzma2 = 5,
};
constexpr uint16_t kCompressionKindMask = 7;
// The kinds that are not compressions (see above).
constexpr uint16_t kGroupMemberKind = 6;
constexpr uint16_t kGroupKind = 7;
// Bits above the kind that readers of the kind alone pass over.
constexpr uint16_t kEntryHasChecksum = 0x0100;
// A group's unpacked bytes, which a reader holds while it serves them.
constexpr uint32_t kMaxGroupSize = 64u << 20;

// How a group's bytes were transformed before compressing, so that machine
// code compresses better: relative branch targets made absolute.
enum class BranchFilter : uint8_t { None = 0, X86 = 1, Arm64 = 2 };
constexpr uint8_t kBranchFilterCount = 3;

struct GroupPrefix {
    static constexpr uint32_t kSize = 2;
    uint8_t kind = 0;
    uint8_t filter = 0;
};

struct MemberLocator {
    static constexpr uint32_t kSize = 16;
    uint64_t groupOffset = 0;
    uint64_t start = 0;

    void write(uint8_t bytes[kSize]) const;
    void parse(const uint8_t bytes[kSize]);
};
// The entry listing the names of the others (see above).
constexpr const char16_t* kEntryNamesName = u"VornLib/Names";

struct CompressionKindName {
    CompressionKind kind;
    const char16_t* name;
};
// Names as the tools print and accept them, in the order their usage lists them.
constexpr CompressionKindName kCompressionKindNames[] = {
    {CompressionKind::Stored, u"store"}, {CompressionKind::Deflate, u"deflate"},
    {CompressionKind::Lzo, u"lzo"},      {CompressionKind::Lzma, u"lzma"},
    {CompressionKind::Lzma2, u"lzma2"},  {CompressionKind::Ppmd, u"ppmd"},
};
const char16_t* CompressionKindText(uint16_t kindBits);

constexpr uint8_t kArchiveMagic[10] = {'S', 't', 'r', 'a', 'F', 'i', 'L', 'e', 0x1A, 0x00};

// The stamp both headers end with: which format and record kind they are,
// 7 bytes (id, code, version, kind).
struct FormatStamp {
    static constexpr uint16_t kFormatId = 1;

    uint16_t formatId = 0;
    uint16_t formatCode = 0;
    uint16_t formatVersion = 0;
    uint8_t recordKind = 0;

    void write(uint8_t* bytes) const;
    void parse(const uint8_t* bytes);
};

struct ArchiveHeader : FormatStamp {
    static constexpr uint32_t kSize = 57;
    static constexpr uint32_t kChecksumOffset = 30;
    static constexpr uint16_t kRevision = 0x0300;
    static constexpr uint16_t kFormatCode = 0x1010;
    static constexpr uint16_t kMaxFormatVersion = 0x0300;
    static constexpr uint8_t kRecordKind = 0x10;

    uint16_t revision = kRevision;
    uint64_t containerSize = 0;
    uint64_t directoryOffset = 0;
    uint32_t checksum = 0;
    uint32_t buildDate = 0;
    uint32_t buildTime = 0;

    ArchiveHeader() : FormatStamp{kFormatId, kFormatCode, kMaxFormatVersion, kRecordKind} {}
    // Serialises the header with its checksum computed over every other byte.
    void write(uint8_t bytes[kSize]) const;
    // Parses bytes 0..56 (magic not checked here); the stored checksum goes to
    // `checksum`, the one the bytes should have to the return value.
    uint32_t parse(const uint8_t bytes[kSize]);
    // 0, or 3 when a format field is not accepted.
    Result checkFormat() const;
};

struct EntryHeader : FormatStamp {
    static constexpr uint32_t kSize = 33;
    static constexpr uint32_t kChecksumOffset = 22;
    static constexpr uint16_t kDataFormatCode = 0x1012;
    static constexpr uint16_t kDirectoryFormatCode = 0x1011;
    static constexpr uint16_t kFormatVersion = 0x0300;
    static constexpr uint8_t kDataRecordKind = 0x30;
    static constexpr uint8_t kDirectoryRecordKind = 0x50;

    uint16_t compression = 0;
    uint64_t packedSize = 0;
    uint64_t unpackedSize = 0;
    // CRC-32 of the unpacked bytes, meaningful with kEntryHasChecksum.
    uint32_t dataChecksum = 0;
    uint32_t checksum = 0;

    EntryHeader() : FormatStamp{kFormatId, kDataFormatCode, kFormatVersion, kDataRecordKind} {}
    uint16_t kindBits() const { return compression & kCompressionKindMask; }
    bool hasDataChecksum() const { return (compression & kEntryHasChecksum) != 0; }
    void write(uint8_t bytes[kSize]) const;
    uint32_t parse(const uint8_t bytes[kSize]);
};

struct DirectoryRecord {
    static constexpr uint32_t kSize = 8;
    uint32_t nameHash;
    uint32_t offset;

    void parse(const uint8_t bytes[kSize]);
};

} // namespace vorn
