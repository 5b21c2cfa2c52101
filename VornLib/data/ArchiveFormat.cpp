#include "VornLib/data/ArchiveFormat.h"

#include <cstring>

#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

void Put16(uint8_t* at, uint16_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}
void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}
void Put64(uint8_t* at, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        at[i] = uint8_t(value >> (8 * i));
}
uint16_t Get16(const uint8_t* at) {
    return uint16_t(at[0] | at[1] << 8);
}
uint32_t Get32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
uint64_t Get64(const uint8_t* at) {
    return Get32(at) | uint64_t(Get32(at + 4)) << 32;
}

// CRC-32 of a header without its own 4-byte checksum field.
uint32_t ChecksumSkipping(const uint8_t* bytes, uint32_t size, uint32_t field) {
    uint32_t crc = Crc32(0, bytes, field);
    return Crc32(crc, bytes + field + 4, size - field - 4);
}

} // namespace

const char16_t* CompressionKindText(uint16_t kindBits) {
    for (const CompressionKindName& entry : kCompressionKindNames) {
        if (uint16_t(entry.kind) == (kindBits & kCompressionKindMask))
            return entry.name;
    }
    return u"unknown";
}

void ArchiveHeader::write(uint8_t bytes[kSize]) const {
    std::memcpy(bytes, kArchiveMagic, sizeof(kArchiveMagic));
    Put16(bytes + 10, revision);
    Put16(bytes + 12, 0);
    Put64(bytes + 14, containerSize);
    Put64(bytes + 22, directoryOffset);
    Put32(bytes + 34, buildDate);
    Put32(bytes + 38, buildTime);
    Put32(bytes + 42, 0);
    Put32(bytes + 46, 0);
    Put16(bytes + 50, formatId);
    Put16(bytes + 52, formatCode);
    Put16(bytes + 54, formatVersion);
    bytes[56] = recordKind;
    Put32(bytes + kChecksumOffset, ChecksumSkipping(bytes, kSize, kChecksumOffset));
}

uint32_t ArchiveHeader::parse(const uint8_t bytes[kSize]) {
    revision = Get16(bytes + 10);
    containerSize = Get64(bytes + 14);
    directoryOffset = Get64(bytes + 22);
    checksum = Get32(bytes + 30);
    buildDate = Get32(bytes + 34);
    buildTime = Get32(bytes + 38);
    formatId = Get16(bytes + 50);
    formatCode = Get16(bytes + 52);
    formatVersion = Get16(bytes + 54);
    recordKind = bytes[56];
    return ChecksumSkipping(bytes, kSize, kChecksumOffset);
}

Result ArchiveHeader::checkFormat() const {
    if (formatId != kFormatId || recordKind != kRecordKind || formatCode != kFormatCode ||
        formatVersion > kMaxFormatVersion)
        return kResultUnsupportedFormat;
    return kResultOk;
}

void EntryHeader::write(uint8_t bytes[kSize]) const {
    Put16(bytes, compression);
    Put64(bytes + 2, packedSize);
    Put64(bytes + 10, unpackedSize);
    Put32(bytes + 18, 0);
    Put16(bytes + 26, formatId);
    Put16(bytes + 28, formatCode);
    Put16(bytes + 30, formatVersion);
    bytes[32] = recordKind;
    Put32(bytes + kChecksumOffset, ChecksumSkipping(bytes, kSize, kChecksumOffset));
}

uint32_t EntryHeader::parse(const uint8_t bytes[kSize]) {
    compression = Get16(bytes);
    packedSize = Get64(bytes + 2);
    unpackedSize = Get64(bytes + 10);
    checksum = Get32(bytes + 22);
    formatId = Get16(bytes + 26);
    formatCode = Get16(bytes + 28);
    formatVersion = Get16(bytes + 30);
    recordKind = bytes[32];
    return ChecksumSkipping(bytes, kSize, kChecksumOffset);
}

} // namespace vorn
