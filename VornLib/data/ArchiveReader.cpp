#include "VornLib/data/ArchiveReader.h"

#include <cstring>

#include "VornLib/core/Format.h"
#include "VornLib/data/NameHash.h"

namespace vorn {

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

Result ArchiveReader::selectEntry(uint64_t offset) {
    closeEntry();
    if (!container_)
        return kResultWrongState;
    Result result = container_->seek(offset);
    if (result != kResultOk)
        return result;
    entryOffset_ = offset;
    uint8_t bytes[EntryHeader::kSize];
    if ((result = container_->read(bytes, sizeof(bytes))) != kResultOk)
        return result;
    if (entry_.parse(bytes) != entry_.checksum)
        return kResultChecksumMismatch;
    const uint64_t dataStart = container_->position();
    const uint64_t available = container_->size() - dataStart;
    // Damaged sizes must fail here, before any decoder sizes its buffers by them.
    if (entry_.packedSize > available)
        return kResultEndOfData;
    const uint64_t packed = entry_.packedSize;
    const uint64_t unpacked = entry_.unpackedSize;
    delivered_ = 0;
    crc_ = 0;
    // An empty entry is never read: its checksum is checked here.
    if (unpacked == 0 && entry_.hasDataChecksum() && entry_.dataChecksum != 0)
        return kResultCrcError;
    switch (CompressionKind(entry_.kindBits())) {
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

void ArchiveReader::closeEntry() {
    if (current_ && current_ != container_)
        (void)current_->close();
    current_ = nullptr;
}

Result ArchiveReader::close() {
    closeEntry();
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
    const Result result = current_->read(destination, count);
    if (result != kResultOk)
        return checkedFailure(result);
    delivered_ += count;
    if (!entry_.hasDataChecksum())
        return kResultOk;
    crc_ = Crc32(crc_, destination, count);
    if (delivered_ == entry_.unpackedSize && crc_ != entry_.dataChecksum)
        return kResultCrcError;
    return kResultOk;
}

Result ArchiveReader::checkedFailure(Result result) const {
    if (!entry_.hasDataChecksum())
        return result;
    // The decoders' answers to bytes they cannot decode, and the end of the
    // packed data coming before the entry's end: the entry is damaged.
    switch (result) {
    case kResultPlatformFailure:
    case kResultNullInput:
    case kResultEndOfData:
        return kResultCrcError;
    default:
        return result;
    }
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
