#include "VornLib/data/ArchiveReader.h"

#include <algorithm>
#include <cstring>

#include "VornLib/core/Format.h"
#include "VornLib/data/BranchFilter.h"
#include "VornLib/data/DecoderBounds.h"
#include "VornLib/data/NameHash.h"

namespace vorn {
namespace {

// Only fuzzing builds lower the bound below the largest group a container may hold.
constexpr uint32_t kGroupBound = VORN_GROUP_BYTES_BOUND;
static_assert(kGroupBound <= kMaxGroupSize, "the bound only lowers the limit");

// What a data stream's failure means for bytes that carry a checksum: the
// decoders' answers to data they cannot decode, and the end of the packed
// data coming before the unpacked end, say that they are damaged.
Result DamageResult(Result result, bool checked) {
    if (!checked)
        return result;
    switch (result) {
    case kResultPlatformFailure:
    case kResultNullInput:
    case kResultEndOfData:
        return kResultCrcError;
    default:
        return result;
    }
}

} // namespace

ArchiveReader::ArchiveReader()
    : lzma_(LZMAMethod::Lzma), ppmd_(LZMAMethod::Ppmd), lzma2_(LZMAMethod::Lzma2) {}

Result ArchiveReader::open(Stream* container) {
    (void)close();
    if (!container)
        return kResultNullInput;
    container_ = container;
    Result result = container->seek(0);
    uint8_t bytes[ArchiveHeader::kSize];
    if (result == kResultOk)
        result = container->read(bytes, sizeof(kArchiveMagic));
    if (result == kResultOk && std::memcmp(bytes, kArchiveMagic, sizeof(kArchiveMagic)) != 0)
        result = kResultMalformed;
    if (result == kResultOk)
        result = container->read(bytes + sizeof(kArchiveMagic),
                                 ArchiveHeader::kSize - sizeof(kArchiveMagic));
    if (result == kResultOk && header_.parse(bytes) != header_.checksum)
        result = kResultChecksumMismatch;
    if (result == kResultOk)
        result = header_.checkFormat();
    if (result != kResultOk) {
        (void)close();
        header_ = ArchiveHeader();
    }
    return result;
}

Result ArchiveReader::readHeader(uint64_t offset, EntryHeader* header) {
    if (!container_)
        return kResultWrongState;
    Result result = container_->seek(offset);
    uint8_t bytes[EntryHeader::kSize];
    if (result == kResultOk)
        result = container_->read(bytes, sizeof(bytes));
    if (result != kResultOk)
        return result;
    if (header->parse(bytes) != header->checksum)
        return kResultChecksumMismatch;
    // Damaged sizes must fail here, before any decoder sizes its buffers by them.
    if (header->packedSize > container_->size() - container_->position())
        return kResultEndOfData;
    return kResultOk;
}

Result ArchiveReader::openData(uint16_t kind, uint64_t packed, uint64_t unpacked) {
    Result result = kResultOk;
    switch (CompressionKind(kind)) {
    case CompressionKind::Stored:
        if (unpacked > packed)
            return kResultMalformed;
        current_ = container_;
        return kResultOk;
    case CompressionKind::Deflate:
        result = deflate_.open(container_, packed, unpacked);
        current_ = &deflate_;
        break;
    case CompressionKind::Lzo:
        result = lzo_.open(container_, packed, unpacked);
        current_ = &lzo_;
        break;
    case CompressionKind::Lzma:
        result = lzma_.open(container_, packed, unpacked);
        current_ = &lzma_;
        break;
    case CompressionKind::Ppmd:
        result = ppmd_.open(container_, packed, unpacked);
        current_ = &ppmd_;
        break;
    case CompressionKind::Lzma2:
        result = lzma2_.open(container_, packed, unpacked);
        current_ = &lzma2_;
        break;
    default:
        return kResultUnsupportedFormat;
    }
    if (result != kResultOk)
        closeEntry();
    return result;
}

Result ArchiveReader::selectEntry(uint64_t offset) {
    closeEntry();
    delivered_ = 0;
    crc_ = 0;
    entryOffset_ = offset;
    Result result = readHeader(offset, &entry_);
    if (result != kResultOk)
        return result;
    // An empty entry is never read: its checksum is checked here.
    if (entry_.unpackedSize == 0 && entry_.hasDataChecksum() && entry_.dataChecksum != 0)
        return kResultCrcError;
    if (entry_.kindBits() == kGroupMemberKind)
        return selectMember();
    // A group is reached through its members only.
    if (entry_.kindBits() == kGroupKind)
        return kResultUnsupportedFormat;
    return openData(entry_.kindBits(), entry_.packedSize, entry_.unpackedSize);
}

Result ArchiveReader::selectMember() {
    if (entry_.packedSize != MemberLocator::kSize)
        return kResultMalformed;
    uint8_t bytes[MemberLocator::kSize];
    Result result = container_->read(bytes, sizeof(bytes));
    if (result != kResultOk)
        return result;
    MemberLocator locator;
    locator.parse(bytes);
    if (locator.groupOffset != groupOffset_ &&
        (result = loadGroup(locator.groupOffset)) != kResultOk)
        return result;
    if (locator.start > groupSize_ || entry_.unpackedSize > groupSize_ - locator.start)
        return kResultMalformed;
    if (entry_.unpackedSize == 0) {
        current_ = &member_; // never read: reads of nothing return before it
        return kResultOk;
    }
    result = member_.attach(group_.data() + locator.start, uint32_t(entry_.unpackedSize), u"member",
                            MemoryStream::kRead);
    if (result == kResultOk)
        current_ = &member_;
    return result;
}

Result ArchiveReader::loadGroup(uint64_t offset) {
    groupOffset_ = groupSize_ = 0; // its buffer is kept for the next group
    EntryHeader group;
    Result result = offset ? readHeader(offset, &group) : kResultMalformed;
    if (result == kResultOk)
        result = decodeGroup(group);
    closeEntry(); // the group's data stream
    if (result != kResultOk)
        return DamageResult(result, group.hasDataChecksum());
    groupOffset_ = offset;
    return kResultOk;
}

Result ArchiveReader::decodeGroup(const EntryHeader& group) {
    if (group.kindBits() != kGroupKind || group.packedSize < GroupPrefix::kSize)
        return kResultMalformed;
    if (group.unpackedSize > kGroupBound)
        return kResultUnsupportedFormat;
    uint8_t bytes[GroupPrefix::kSize];
    Result result = container_->read(bytes, sizeof(bytes));
    if (result != kResultOk)
        return result;
    const GroupPrefix prefix{bytes[0], bytes[1]};
    if (prefix.kind > uint8_t(CompressionKind::Lzma2) || prefix.filter >= kBranchFilterCount)
        return kResultUnsupportedFormat;
    const uint32_t size = uint32_t(group.unpackedSize);
    if ((result = group_.reserve(std::max<uint32_t>(size, 1))) != kResultOk ||
        (result = openData(prefix.kind, group.packedSize - GroupPrefix::kSize, size)) != kResultOk)
        return result;
    if (size && (result = current_->read(group_.data(), size)) != kResultOk)
        return result;
    ApplyBranchFilter(BranchFilter(prefix.filter), group_.data(), size, false);
    if (group.hasDataChecksum() && Crc32(0, group_.data(), size) != group.dataChecksum)
        return kResultCrcError;
    groupSize_ = size;
    return kResultOk;
}

void ArchiveReader::dropGroup() {
    group_.release();
    groupOffset_ = groupSize_ = 0;
}

Result ArchiveReader::inspect(uint64_t offset, EntryHeader* header, uint64_t* unit) {
    *unit = offset;
    Result result = readHeader(offset, header);
    if (result != kResultOk || header->kindBits() != kGroupMemberKind ||
        header->packedSize != MemberLocator::kSize)
        return result;
    uint8_t bytes[MemberLocator::kSize];
    if ((result = container_->read(bytes, sizeof(bytes))) != kResultOk)
        return result;
    MemberLocator locator;
    locator.parse(bytes);
    *unit = locator.groupOffset;
    return kResultOk;
}

void ArchiveReader::closeEntry() {
    if (current_ && current_ != container_)
        (void)current_->close();
    current_ = nullptr;
}

Result ArchiveReader::close() {
    closeEntry();
    dropGroup();
    container_ = nullptr;
    entry_ = EntryHeader();
    entryOffset_ = 0;
    delivered_ = 0;
    crc_ = 0;
    return kResultOk;
}

Result ArchiveReader::read(void* destination, uint32_t count) {
    if (!current_)
        return kResultWrongState;
    if (!destination)
        return kResultNullInput;
    // Stored bytes run on into the next entry: stop at this one's end.
    if (count > entry_.unpackedSize - delivered_)
        return kResultEndOfData;
    if (!count)
        return kResultOk;
    const Result result = current_->read(destination, count);
    if (result != kResultOk)
        return DamageResult(result, entry_.hasDataChecksum());
    delivered_ += count;
    if (!entry_.hasDataChecksum())
        return kResultOk;
    crc_ = Crc32(crc_, destination, count);
    if (delivered_ == entry_.unpackedSize && crc_ != entry_.dataChecksum)
        return kResultCrcError;
    return kResultOk;
}

Result ArchiveReader::write(const void*, uint32_t) {
    return kResultNotOpenForWriting;
}

Result ArchiveReader::flush(bool toDisk) {
    return current_ ? current_->flush(toDisk) : kResultWrongState;
}

uint64_t ArchiveReader::position() {
    return container_ ? container_->position() : 0;
}

Result ArchiveReader::seek(uint64_t offset) {
    return container_ ? container_->seek(offset) : kResultWrongState;
}

uint64_t ArchiveReader::size() {
    return container_ ? container_->size() : 0;
}

String ArchiveReader::description() {
    if (!current_)
        return String(u"StraFiLe(n/a)");
    return Format(u"StraFiLe({0})", {current_->description()});
}

} // namespace vorn
