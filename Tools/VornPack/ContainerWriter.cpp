#include "Tools/VornPack/ContainerWriter.h"

#include <algorithm>

#include <zlib.h>

#include "Tools/VornPack/VornNames.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {

namespace {

uint32_t HexDigits(uint32_t value, uint32_t digits) {
    uint32_t out = 0;
    for (uint32_t i = 0; i < digits; ++i, value /= 10)
        out |= (value % 10) << (4 * i);
    return out;
}

} // namespace

void BuildStamp(vorn::DateTime when, uint32_t* date, uint32_t* time) {
    if (when == vorn::kInvalidDateTime) {
        *date = *time = 0;
        return;
    }
    const vorn::CalendarTime calendar = vorn::CalendarFromDateTime(when);
    *date = HexDigits(uint32_t(calendar.year), 4) << 16 | HexDigits(calendar.month, 2) << 8 |
            HexDigits(calendar.day, 2);
    *time = HexDigits(calendar.hour, 2) << 24 | HexDigits(calendar.minute, 2) << 16 |
            HexDigits(calendar.second, 2) << 8;
}

Result ContainerWriter::begin(vorn::Stream* out, uint32_t buildDate, uint32_t buildTime) {
    if (!out)
        return vorn::kResultNullOutput;
    out_ = out;
    entries_.clear();
    header_ = vorn::ArchiveHeader();
    header_.buildDate = buildDate;
    header_.buildTime = buildTime;
    uint8_t bytes[vorn::ArchiveHeader::kSize];
    header_.write(bytes); // placeholder until the sizes are known
    return out_->write(bytes, sizeof(bytes));
}

Result ContainerWriter::writeHeader(const vorn::EntryHeader& header) {
    uint8_t bytes[vorn::EntryHeader::kSize];
    header.write(bytes);
    return out_->write(bytes, sizeof(bytes));
}

Result ContainerWriter::writeEntry(const vorn::EntryHeader& header, const uint8_t* data,
                                   size_t size) {
    const Result result = writeHeader(header);
    return result == vorn::kResultOk ? appendData(data, size) : result;
}

Result ContainerWriter::appendData(const uint8_t* data, size_t size) {
    if (!data && size)
        return vorn::kResultNullInput;
    if (!out_)
        return vorn::kResultWrongState;
    Result result = vorn::kResultOk;
    while (result == vorn::kResultOk && size) {
        const uint32_t piece = uint32_t(std::min<size_t>(size, 1u << 30));
        result = out_->write(data, piece);
        data += piece;
        size -= piece;
    }
    return result;
}

Result ContainerWriter::claimName(const char16_t* name, uint32_t* hash,
                                  vorn::String* collidingName) {
    if (!name)
        return vorn::kResultNullInput;
    if (!out_ || open_)
        return vorn::kResultWrongState;
    if (!*name)
        return vorn::kResultBadPath;
    if (collidingName)
        collidingName->clear();
    *hash = vorn::NameHash(name);
    for (const WrittenEntry& entry : entries_) {
        if (entry.nameHash == *hash) {
            if (collidingName)
                *collidingName = entry.name;
            return vorn::kResultAlreadyExists;
        }
    }
    if (out_->position() > 0xFFFFFFFFu)
        return vorn::kResultCapacityExceeded; // directory offsets are 32-bit
    return vorn::kResultOk;
}

Result ContainerWriter::addNamed(const char16_t* name, const vorn::EntryHeader& header,
                                 const uint8_t* data, size_t size, vorn::String* collidingName) {
    if (!data && size)
        return vorn::kResultNullInput;
    uint32_t hash = 0;
    Result result = claimName(name, &hash, collidingName);
    if (result != vorn::kResultOk)
        return result;
    const uint64_t offset = out_->position();
    result = writeEntry(header, data, size);
    if (result == vorn::kResultOk)
        entries_.push_back({vorn::String(name), hash, uint32_t(offset)});
    return result;
}

Result ContainerWriter::addEntry(const char16_t* name, vorn::CompressionKind kind,
                                 const uint8_t* packed, size_t packedSize, uint64_t unpackedSize,
                                 vorn::String* collidingName) {
    vorn::EntryHeader header;
    header.compression = uint16_t(kind);
    header.packedSize = packedSize;
    header.unpackedSize = unpackedSize;
    return addNamed(name, header, packed, packedSize, collidingName);
}

Result ContainerWriter::addEntry(const char16_t* name, const EncodedEntry& encoded,
                                 uint64_t unpackedSize, vorn::String* collidingName) {
    Result result = beginEntry(name, encoded.kind, unpackedSize, collidingName);
    if (result == vorn::kResultOk)
        result = appendData(encoded.packed.data(), encoded.packed.size());
    return result == vorn::kResultOk ? endEntry(encoded.checksum) : result;
}

Result ContainerWriter::beginEntry(const char16_t* name, vorn::CompressionKind kind,
                                   uint64_t unpackedSize, vorn::String* collidingName) {
    uint32_t hash = 0;
    Result result = claimName(name, &hash, collidingName);
    if (result != vorn::kResultOk)
        return result;
    openOffset_ = out_->position();
    openHeader_ = vorn::EntryHeader();
    openHeader_.compression = uint16_t(uint16_t(kind) | vorn::kEntryHasChecksum);
    openHeader_.unpackedSize = unpackedSize;
    if ((result = writeHeader(openHeader_)) != vorn::kResultOk) // completed by endEntry
        return result;
    entries_.push_back({vorn::String(name), hash, uint32_t(openOffset_)});
    open_ = true;
    return vorn::kResultOk;
}

Result ContainerWriter::endEntry(uint32_t checksum) {
    if (!out_ || !open_)
        return vorn::kResultWrongState;
    open_ = false;
    const uint64_t end = out_->position();
    openHeader_.packedSize = end - openOffset_ - vorn::EntryHeader::kSize;
    openHeader_.dataChecksum = checksum;
    Result result = out_->seek(openOffset_);
    if (result == vorn::kResultOk)
        result = writeHeader(openHeader_);
    return result == vorn::kResultOk ? out_->seek(end) : result;
}

Result ContainerWriter::addGroup(const EncodedEntry& encoded, vorn::BranchFilter filter,
                                 uint64_t unpackedSize, uint32_t checksum, uint64_t* offset) {
    if (!out_ || open_)
        return vorn::kResultWrongState;
    *offset = out_->position();
    vorn::EntryHeader header;
    header.compression = uint16_t(vorn::kGroupKind | vorn::kEntryHasChecksum);
    header.packedSize = vorn::GroupPrefix::kSize + encoded.packed.size();
    header.unpackedSize = unpackedSize;
    header.dataChecksum = checksum;
    const uint8_t prefix[vorn::GroupPrefix::kSize] = {uint8_t(encoded.kind), uint8_t(filter)};
    Result result = writeEntry(header, prefix, sizeof(prefix));
    return result == vorn::kResultOk ? appendData(encoded.packed.data(), encoded.packed.size())
                                     : result;
}

Result ContainerWriter::addMember(const char16_t* name, uint64_t groupOffset, uint64_t start,
                                  uint64_t size, uint32_t checksum, vorn::String* collidingName) {
    vorn::EntryHeader header;
    header.compression = uint16_t(vorn::kGroupMemberKind | vorn::kEntryHasChecksum);
    header.packedSize = vorn::MemberLocator::kSize;
    header.unpackedSize = size;
    header.dataChecksum = checksum;
    uint8_t locator[vorn::MemberLocator::kSize];
    vorn::MemberLocator{groupOffset, start}.write(locator);
    return addNamed(name, header, locator, sizeof(locator), collidingName);
}

Result ContainerWriter::addAlias(const char16_t* name, uint32_t offset,
                                 vorn::String* collidingName) {
    uint32_t hash = 0;
    const Result result = claimName(name, &hash, collidingName);
    if (result != vorn::kResultOk)
        return result;
    if (offset < vorn::ArchiveHeader::kSize || offset >= out_->position())
        return vorn::kResultOutOfRange;
    entries_.push_back({vorn::String(name), hash, offset});
    return vorn::kResultOk;
}

Result ContainerWriter::writeNames() {
    std::vector<uint8_t> list;
    auto append = [&list](const vorn::String& name) {
        for (uint32_t i = 0; i <= name.length(); ++i) {
            const char16_t unit = i < name.length() ? name[i] : u'\0';
            list.push_back(uint8_t(unit));
            list.push_back(uint8_t(unit >> 8));
        }
    };
    for (const WrittenEntry& entry : entries_)
        append(entry.name);
    append(vorn::kEntryNamesName);
    EncodedEntry encoded;
    Result result = EncodeEntry(vorn::CompressionKind::Deflate, list.data(), list.size(),
                                EncoderSettings(), &encoded);
    return result == vorn::kResultOk ? addEntry(vorn::kEntryNamesName, encoded, list.size())
                                     : result;
}

Result ContainerWriter::finish() {
    if (!out_ || open_)
        return vorn::kResultWrongState;
    Result result = writeNames();
    if (result != vorn::kResultOk)
        return result;
    std::vector<WrittenEntry> sorted = entries_;
    std::sort(sorted.begin(), sorted.end(),
              [](const WrittenEntry& a, const WrittenEntry& b) { return a.nameHash < b.nameHash; });
    std::vector<uint8_t> records;
    records.reserve(sorted.size() * 8);
    for (const WrittenEntry& entry : sorted) {
        for (uint32_t value : {entry.nameHash, entry.offset}) {
            for (int i = 0; i < 4; ++i)
                records.push_back(uint8_t(value >> (8 * i)));
        }
    }
    // Deflated even when that does not shrink it, as readers have always found it.
    uLongf packedSize = compressBound(uLong(records.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, records.data(), uLong(records.size()), 9) != Z_OK)
        return vorn::kResultPlatformFailure;

    vorn::EntryHeader directory;
    directory.compression =
        uint16_t(uint16_t(vorn::CompressionKind::Deflate) | vorn::kEntryHasChecksum);
    directory.packedSize = packedSize;
    directory.unpackedSize = records.size();
    directory.dataChecksum = vorn::Crc32(0, records.data(), records.size());
    directory.formatCode = vorn::EntryHeader::kDirectoryFormatCode;
    directory.recordKind = vorn::EntryHeader::kDirectoryRecordKind;
    header_.directoryOffset = out_->position();
    result = writeEntry(directory, packed.data(), packedSize);
    if (result != vorn::kResultOk)
        return result;
    header_.containerSize = out_->position();
    uint8_t bytes[vorn::ArchiveHeader::kSize];
    header_.write(bytes);
    if ((result = out_->seek(0)) != vorn::kResultOk ||
        (result = out_->write(bytes, sizeof(bytes))) != vorn::kResultOk ||
        (result = out_->seek(header_.containerSize)) != vorn::kResultOk)
        return result;
    out_ = nullptr;
    return vorn::kResultOk;
}

} // namespace vornpack
