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

template <typename Decoder>
Result ArchiveReader::openDecoder(Decoder* decoder, uint64_t packed, uint64_t unpacked) {
    const Result result = decoder->open(container_, packed, unpacked);
    current_ = decoder;
    if (result != kResultOk)
        closeEntry();
    return result;
}

Result ArchiveReader::openData(uint16_t kind, uint64_t packed, uint64_t unpacked) {
    switch (CompressionKind(kind)) {
    case CompressionKind::Stored:
        if (unpacked > packed)
            return kResultMalformed;
        current_ = container_;
        return kResultOk;
    case CompressionKind::Deflate:
        return openDecoder(&deflate_, packed, unpacked);
    case CompressionKind::Lzo:
        return openDecoder(&lzo_, packed, unpacked);
    case CompressionKind::Lzma:
        return openDecoder(&lzma_, packed, unpacked);
    case CompressionKind::Ppmd:
        return openDecoder(&ppmd_, packed, unpacked);
    case CompressionKind::Lzma2:
        return openDecoder(&lzma2_, packed, unpacked);
    default:
        return kResultUnsupportedFormat;
    }
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
    abandonGroup(); // its decoder may be the one this entry needs
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
    // Unchecked bytes are served only from a group checked whole.
    if (!entry_.hasDataChecksum() && (result = makeGroupWhole()) == kResultOk && groupMismatch_)
        result = kResultCrcError;
    if (result != kResultOk)
        return result;
    memberStart_ = locator.start;
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
    abandonGroup();
    groupOffset_ = groupSize_ = 0; // its buffer is kept for the next group
    EntryHeader group;
    Result result = offset ? readHeader(offset, &group) : kResultMalformed;
    if (result == kResultOk)
        result = beginGroup(group);
    if (result != kResultOk) {
        abandonGroup();
        return DamageResult(result, group.hasDataChecksum());
    }
    groupOffset_ = offset;
    return kResultOk;
}

Result ArchiveReader::beginGroup(const EntryHeader& group) {
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
    groupSize_ = size;
    groupDecoded_ = served_ = unfilteredTo_ = 0;
    groupFilter_ = BranchFilter(prefix.filter);
    groupWhole_ = groupMismatch_ = false;
    filterState_ = 0;
    groupChecked_ = group.hasDataChecksum();
    groupChecksum_ = group.dataChecksum;
    groupCrc_ = 0;
    groupFailure_ = kResultOk;
    Stream* data = current_;
    current_ = nullptr; // the group's stream is no entry's
    // A stream of blocks is decoded as the members need it; any other
    // (stored, deflate) is read whole now.
    groupStream_ = dynamic_cast<BlockStream*>(data);
    if (groupStream_)
        return kResultOk;
    result = size ? data->read(group_.data(), size) : kResultOk;
    if (data != container_)
        (void)data->close();
    if (result != kResultOk)
        return result;
    groupDecoded_ = size;
    return makeGroupWhole();
}

Result ArchiveReader::decodeGroupTo(uint64_t upTo) {
    if (groupFailure_ != kResultOk || groupDecoded_ >= upTo)
        return groupFailure_;
    Result result = groupStream_ ? groupStream_->decodeInto(group_.data(), upTo, &groupDecoded_)
                                 : kResultWrongState; // given up
    if (result != kResultOk)
        groupFailure_ = DamageResult(result, groupChecked_);
    if (groupStream_ && (result != kResultOk || groupDecoded_ == groupSize_)) {
        (void)groupStream_->close();
        groupStream_ = nullptr;
    }
    return groupFailure_;
}

Result ArchiveReader::makeGroupWhole() {
    if (groupWhole_ || decodeGroupTo(groupSize_) != kResultOk)
        return groupFailure_;
    ApplyBranchFilter(groupFilter_, group_.data(), groupSize_, false);
    groupMismatch_ = groupChecked_ && Crc32(0, group_.data(), groupSize_) != groupChecksum_;
    groupWhole_ = true;
    return kResultOk;
}

Result ArchiveReader::readMember(uint8_t* destination, uint32_t count) {
    const uint64_t at = memberStart_ + delivered_;
    // In order from the group's first byte, without a filter or with x86's,
    // the bytes are served as they are decoded; else from the whole group.
    const bool inOrder = !groupWhole_ && at == served_ &&
                         (groupFilter_ == BranchFilter::None || groupFilter_ == BranchFilter::X86);
    if (inOrder)
        return serveInOrder(destination, count);
    const Result result = makeGroupWhole();
    if (result == kResultOk)
        std::memcpy(destination, group_.data() + at, count);
    return result;
}

Result ArchiveReader::serveInOrder(uint8_t* destination, uint32_t count) {
    const uint64_t at = served_;
    const uint64_t end = at + count;
    // The filter needs a few bytes past the last it converts.
    constexpr uint64_t kLookAhead = 8;
    const bool filtered = groupFilter_ == BranchFilter::X86;
    const uint64_t needed = filtered ? std::min<uint64_t>(end + kLookAhead, groupSize_) : end;
    Result result = decodeGroupTo(needed);
    if (result != kResultOk)
        return result;
    std::memcpy(destination, group_.data() + at, count);
    if (filtered) {
        const uint64_t carried = std::min(unfilteredTo_, end) - at;
        std::memcpy(destination, carry_, size_t(carried));
        if (unfilteredTo_ < end) {
            // Undone in the caller's bytes as far as the filter goes, then
            // the few bytes left (and the next few) in a copy.
            const uint64_t from = unfilteredTo_;
            const uint64_t stop =
                from + UndoX86FilterAt(destination + (from - at), size_t(end - from),
                                       uint32_t(from), &filterState_);
            uint8_t tail[kLookAhead + 8] = {};
            const uint64_t length = needed - stop;
            if (length > sizeof(tail))
                return kResultWrongState; // the filter stops no further back
            std::memcpy(tail, group_.data() + stop, size_t(length));
            const size_t converted =
                UndoX86FilterAt(tail, size_t(length), uint32_t(stop), &filterState_);
            // At the group's end the bytes left stay as they are.
            unfilteredTo_ = needed == groupSize_ ? needed : stop + converted;
            std::memcpy(destination + (stop - at), tail, size_t(end - stop));
            std::memcpy(carry_, tail + (end - stop), size_t(unfilteredTo_ - end));
        } else {
            std::memmove(carry_, carry_ + count, size_t(unfilteredTo_ - end));
        }
    }
    served_ = end;
    groupCrc_ = Crc32(groupCrc_, destination, count);
    if (served_ == groupSize_ && groupChecked_ && groupCrc_ != groupChecksum_)
        groupMismatch_ = true;
    return kResultOk;
}

bool ArchiveReader::decodeAhead() {
    if (!groupStream_ || groupFailure_ != kResultOk)
        return false;
    // A part at a time: the caller may need the reader again soon.
    constexpr uint64_t kPart = 1u << 20;
    (void)decodeGroupTo(std::min<uint64_t>(groupDecoded_ + kPart, groupSize_));
    return true;
}

void ArchiveReader::abandonGroup() {
    if (!groupStream_)
        return;
    (void)groupStream_->close();
    groupStream_ = nullptr;
    groupOffset_ = groupSize_ = 0;
}

void ArchiveReader::dropGroup() {
    abandonGroup();
    group_.release();
    groupOffset_ = groupSize_ = 0;
}

Result ArchiveReader::inspect(uint64_t offset, EntryHeader* header, uint64_t* unit,
                              uint64_t* start) {
    *unit = offset;
    if (start)
        *start = 0;
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
    if (start)
        *start = locator.start;
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
    const Result result = current_ == &member_
                              ? readMember(static_cast<uint8_t*>(destination), count)
                              : current_->read(destination, count);
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
