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
// A member of a solid group is served from its group, which the reader keeps
// for the members that follow (one group at a time: read a group's members
// together). Members read in order, from the group's first, are served as
// the group is decoded, so that the first bytes come before the whole group
// is decoded; the x86 filter is undone on the bytes as they are copied out,
// since the decoder still needs them as they are. A member read out of order
// waits for the whole group decoded. A member with a checksum of its own is
// judged by it alone, so that the intact members of a damaged group still
// read; one without waits for the group checked whole by the group's own.
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
    // are best read together, by their first byte in it: `start`, when
    // given). Nothing is selected or decoded.
    Result inspect(uint64_t offset, EntryHeader* header, uint64_t* unit, uint64_t* start = nullptr);
    // Frees the decoded group.
    void dropGroup();
    // Decodes the next part of the group being served, as a reader waiting
    // for its caller may; false when there is nothing left to decode (or it
    // failed: the member's next read says how). Called like read().
    bool decodeAhead();

    VORN_STREAM_OPERATIONS;

private:
    // Reads the entry header at `offset` into `header` and checks it.
    Result readHeader(uint64_t offset, EntryHeader* header);
    // Opens the data stream of `kind` over the next `packed` bytes.
    Result openData(uint16_t kind, uint64_t packed, uint64_t unpacked);
    // Opens `decoder` over the next `packed` bytes as the entry's stream; the
    // entry is closed again when that fails.
    template <typename Decoder>
    Result openDecoder(Decoder* decoder, uint64_t packed, uint64_t unpacked);
    Result selectMember();
    Result loadGroup(uint64_t offset);
    Result beginGroup(const EntryHeader& group);
    // Decodes the group's bytes (still filtered) until `upTo` are there.
    Result decodeGroupTo(uint64_t upTo);
    // Decodes the rest, undoes the filter on all of it and checks it.
    Result makeGroupWhole();
    // The selected member's next `count` bytes, into `destination`.
    Result readMember(uint8_t* destination, uint32_t count);
    Result serveInOrder(uint8_t* destination, uint32_t count);
    // Gives up the group's decoding (another entry needs its decoder).
    void abandonGroup();

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
    // The group as decoded (filtered until it is whole: the decoder reads
    // back in it) and the selected member's place in it.
    BlockBuffer group_;
    uint64_t groupOffset_ = 0; // 0: none
    uint32_t groupSize_ = 0;
    BlockStream* groupStream_ = nullptr; // while the group is being decoded
    uint64_t groupDecoded_ = 0;
    BranchFilter groupFilter_ = BranchFilter::None;
    bool groupWhole_ = false; // decoded and unfiltered whole
    // The group's bytes differ from its own checksum: only its members'
    // own checksums can tell which are whole, and members without one fail.
    bool groupMismatch_ = false;
    bool groupChecked_ = false;
    uint32_t groupChecksum_ = 0;
    uint32_t groupCrc_ = 0; // of the bytes served in order
    Result groupFailure_ = kResultOk;
    // Serving in order: the next byte's place, and the x86 filter's progress:
    // its state belongs at `unfilteredTo_`, and `carry_` holds the bytes
    // [served_, unfilteredTo_) already undone.
    uint64_t served_ = 0;
    uint64_t unfilteredTo_ = 0;
    uint32_t filterState_ = 0;
    uint8_t carry_[16] = {};
    uint64_t memberStart_ = 0;
    MemoryStream member_;
};

} // namespace vorn
