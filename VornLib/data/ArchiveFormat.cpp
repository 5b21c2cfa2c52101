#include "VornLib/data/ArchiveFormat.h"

#include <cstring>

#include "VornLib/core/LittleEndian.h"
#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

// CRC-32 of a header without its own 4-byte checksum field.
uint32_t ChecksumSkipping(const uint8_t* bytes, uint32_t size, uint32_t field) {
    uint32_t crc = Crc32(0, bytes, field);
    return Crc32(crc, bytes + field + 4, size - field - 4);
}

} // namespace

void DirectoryRecord::parse(const uint8_t bytes[kSize]) {
    nameHash = ReadLittleEndian32(bytes);
    offset = ReadLittleEndian32(bytes + 4);
}

void MemberLocator::write(uint8_t bytes[kSize]) const {
    WriteLittleEndian64(bytes, groupOffset);
    WriteLittleEndian64(bytes + 8, start);
}

void MemberLocator::parse(const uint8_t bytes[kSize]) {
    groupOffset = ReadLittleEndian64(bytes);
    start = ReadLittleEndian64(bytes + 8);
}

const char16_t* CompressionKindText(uint16_t kindBits) {
    if ((kindBits & kCompressionKindMask) == kGroupMemberKind)
        return u"grouped";
    for (const CompressionKindName& entry : kCompressionKindNames) {
        if (uint16_t(entry.kind) == (kindBits & kCompressionKindMask))
            return entry.name;
    }
    return u"unknown";
}

void FormatStamp::write(uint8_t* bytes) const {
    WriteLittleEndian16(bytes, formatId);
    WriteLittleEndian16(bytes + 2, formatCode);
    WriteLittleEndian16(bytes + 4, formatVersion);
    bytes[6] = recordKind;
}

void FormatStamp::parse(const uint8_t* bytes) {
    formatId = ReadLittleEndian16(bytes);
    formatCode = ReadLittleEndian16(bytes + 2);
    formatVersion = ReadLittleEndian16(bytes + 4);
    recordKind = bytes[6];
}

void ArchiveHeader::write(uint8_t bytes[kSize]) const {
    std::memcpy(bytes, kArchiveMagic, sizeof(kArchiveMagic));
    WriteLittleEndian16(bytes + 10, revision);
    WriteLittleEndian16(bytes + 12, 0);
    WriteLittleEndian64(bytes + 14, containerSize);
    WriteLittleEndian64(bytes + 22, directoryOffset);
    WriteLittleEndian32(bytes + 34, buildDate);
    WriteLittleEndian32(bytes + 38, buildTime);
    WriteLittleEndian32(bytes + 42, 0);
    WriteLittleEndian32(bytes + 46, 0);
    FormatStamp::write(bytes + 50);
    WriteLittleEndian32(bytes + kChecksumOffset, ChecksumSkipping(bytes, kSize, kChecksumOffset));
}

uint32_t ArchiveHeader::parse(const uint8_t bytes[kSize]) {
    revision = ReadLittleEndian16(bytes + 10);
    containerSize = ReadLittleEndian64(bytes + 14);
    directoryOffset = ReadLittleEndian64(bytes + 22);
    checksum = ReadLittleEndian32(bytes + 30);
    buildDate = ReadLittleEndian32(bytes + 34);
    buildTime = ReadLittleEndian32(bytes + 38);
    FormatStamp::parse(bytes + 50);
    return ChecksumSkipping(bytes, kSize, kChecksumOffset);
}

Result ArchiveHeader::checkFormat() const {
    if (formatId != kFormatId || recordKind != kRecordKind || formatCode != kFormatCode ||
        formatVersion > kMaxFormatVersion)
        return kResultUnsupportedFormat;
    return kResultOk;
}

void EntryHeader::write(uint8_t bytes[kSize]) const {
    WriteLittleEndian16(bytes, compression);
    WriteLittleEndian64(bytes + 2, packedSize);
    WriteLittleEndian64(bytes + 10, unpackedSize);
    WriteLittleEndian32(bytes + 18, dataChecksum);
    FormatStamp::write(bytes + 26);
    WriteLittleEndian32(bytes + kChecksumOffset, ChecksumSkipping(bytes, kSize, kChecksumOffset));
}

uint32_t EntryHeader::parse(const uint8_t bytes[kSize]) {
    compression = ReadLittleEndian16(bytes);
    packedSize = ReadLittleEndian64(bytes + 2);
    unpackedSize = ReadLittleEndian64(bytes + 10);
    dataChecksum = ReadLittleEndian32(bytes + 18);
    checksum = ReadLittleEndian32(bytes + 22);
    FormatStamp::parse(bytes + 26);
    return ChecksumSkipping(bytes, kSize, kChecksumOffset);
}

} // namespace vorn
