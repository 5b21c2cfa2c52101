#include "Tools/VornPack/ContainerWriter.h"

#include <algorithm>

#include <zlib.h>

#include "VornLib/data/NameHash.h"

namespace vornpack {

using vorn::Result;

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

Result ContainerWriter::writeEntry(const vorn::EntryHeader& header, const uint8_t* data,
                                   size_t size) {
    uint8_t bytes[vorn::EntryHeader::kSize];
    header.write(bytes);
    Result result = out_->write(bytes, sizeof(bytes));
    while (result == vorn::kResultOk && size) {
        const uint32_t piece = uint32_t(std::min<size_t>(size, 1u << 30));
        result = out_->write(data, piece);
        data += piece;
        size -= piece;
    }
    return result;
}

Result ContainerWriter::addEntry(const char16_t* name, vorn::CompressionKind kind,
                                 const uint8_t* packed, size_t packedSize, uint64_t unpackedSize,
                                 vorn::String* collidingName) {
    if (!name || (!packed && packedSize))
        return vorn::kResultNullInput;
    if (!out_)
        return vorn::kResultWrongState;
    if (!*name)
        return vorn::kResultBadPath;
    if (collidingName)
        collidingName->clear();
    const uint32_t hash = vorn::NameHash(name);
    for (const WrittenEntry& entry : entries_) {
        if (entry.nameHash == hash) {
            if (collidingName)
                *collidingName = entry.name;
            return vorn::kResultAlreadyExists;
        }
    }
    const uint64_t offset = out_->position();
    if (offset > 0xFFFFFFFFu)
        return vorn::kResultCapacityExceeded; // directory offsets are 32-bit
    vorn::EntryHeader header;
    header.compression = uint16_t(kind);
    header.packedSize = packedSize;
    header.unpackedSize = unpackedSize;
    const Result result = writeEntry(header, packed, packedSize);
    if (result == vorn::kResultOk)
        entries_.push_back({vorn::String(name), hash, uint32_t(offset)});
    return result;
}

Result ContainerWriter::finish() {
    if (!out_)
        return vorn::kResultWrongState;
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
    uLongf packedSize = compressBound(uLong(records.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, records.data(), uLong(records.size()), 9) != Z_OK)
        return vorn::kResultPlatformFailure;

    vorn::EntryHeader directory;
    directory.compression = uint16_t(vorn::CompressionKind::Deflate);
    directory.packedSize = packedSize;
    directory.unpackedSize = records.size();
    directory.formatCode = vorn::EntryHeader::kDirectoryFormatCode;
    directory.recordKind = vorn::EntryHeader::kDirectoryRecordKind;
    header_.directoryOffset = out_->position();
    Result result = writeEntry(directory, packed.data(), packedSize);
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
