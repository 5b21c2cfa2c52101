// Reads a container: parses its archive header, selects one entry at a time
// (header checked, then the data stream of its compression kind opened at its
// first packed byte) and, as a Stream, reads the selected entry's bytes.
// position, seek and size act on the container itself.
//
// An entry that carries a checksum is checked as it is read: the read that
// delivers its last byte fails with 22 when the bytes differ from what was
// packed, and so does any read whose data the decoder finds damaged, so that
// a caller never takes damaged bytes for a whole entry.
//
// A member of a solid group is served from its group, which the reader
// decodes whole and checks when the member is selected, and keeps for the
// members that follow (one group at a time: read a group's members together).
#pragma once

#include "VornLib/data/ArchiveFormat.h"
#include "VornLib/data/CompressedStream.h"
#include "VornLib/data/LZHStream.h"
#include "VornLib/data/LZMAStream.h"
#include "VornLib/data/LZOStream.h"
#include "VornLib/data/MemoryStream.h"

namespace vorn {

class ArchiveReader : public Stream {
public:
    ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Reads and checks the archive header of `container` from its position 0.
    Result open(Stream* container);
    const ArchiveHeader& header() const { return header_; }
    // Selects the entry whose header starts at `offset`.
    Result selectEntry(uint64_t offset);
    // Drops the selected entry and whatever its decoder holds (PPMd models are
    // large); the decoded group stays for the next member.
    void closeEntry();
    bool hasEntry() const { return current_ != nullptr; }
    const EntryHeader& entry() const { return entry_; }
    uint64_t entryOffset() const { return entryOffset_; }
    // The header of the entry at `offset`, checked, and its unit: its
    // group's offset, or its own when it is no member (entries of one unit
    // are best read together). Nothing is selected or decoded.
    Result inspect(uint64_t offset, EntryHeader* header, uint64_t* unit);
    // Frees the decoded group.
    void dropGroup();

    Result close() override;
    Result read(void* destination, uint32_t count) override;
    Result write(const void* source, uint32_t count) override;
    Result flush(bool toDisk) override;
    uint64_t position() override;
    Result seek(uint64_t offset) override;
    uint64_t size() override;
    String description() override;

private:
    // Reads the entry header at `offset` into `header` and checks it.
    Result readHeader(uint64_t offset, EntryHeader* header);
    // Opens the data stream of `kind` over the next `packed` bytes.
    Result openData(uint16_t kind, uint64_t packed, uint64_t unpacked);
    Result selectMember();
    Result loadGroup(uint64_t offset);
    Result decodeGroup(const EntryHeader& group);

    Stream* container_ = nullptr;
    Stream* current_ = nullptr;
    ArchiveHeader header_;
    EntryHeader entry_;
    uint64_t entryOffset_ = 0;
    uint64_t delivered_ = 0; // bytes of the selected entry read so far
    uint32_t crc_ = 0;       // their CRC-32
    LZHStream deflate_;
    LZOStream lzo_;
    LZMAStream lzma_;
    LZMAStream ppmd_;
    LZMAStream lzma2_;
    // The decoded group and the selected member's bytes in it.
    BlockBuffer group_;
    uint64_t groupOffset_ = 0; // 0: none decoded
    uint32_t groupSize_ = 0;
    MemoryStream member_;
};

} // namespace vorn
