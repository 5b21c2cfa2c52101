// Reads a container: parses its archive header, selects one entry at a time
// (header checked, then the data stream of its compression kind opened at its
// first packed byte) and, as a Stream, reads the selected entry's bytes.
// position, seek and size act on the container itself.
//
// An entry that carries a checksum is checked as it is read: the read that
// delivers its last byte fails with 22 when the bytes differ from what was
// packed, and so does any read whose data the decoder finds damaged, so that
// a caller never takes damaged bytes for a whole entry.
#pragma once

#include "VornLib/data/ArchiveFormat.h"
#include "VornLib/data/LZHStream.h"
#include "VornLib/data/LZMAStream.h"
#include "VornLib/data/LZOStream.h"

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
    // Drops the selected entry and whatever its decoder holds (PPMd models are large).
    void closeEntry();
    bool hasEntry() const { return current_ != nullptr; }
    const EntryHeader& entry() const { return entry_; }
    uint64_t entryOffset() const { return entryOffset_; }

    Result close() override;
    Result read(void* destination, uint32_t count) override;
    Result write(const void* source, uint32_t count) override;
    Result flush(bool toDisk) override;
    uint64_t position() override;
    Result seek(uint64_t offset) override;
    uint64_t size() override;
    String description() override;

private:
    // What a data stream's failure means for an entry that carries a checksum.
    Result checkedFailure(Result result) const;

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
};

} // namespace vorn
