// Writes a container entry by entry in the reader's exact layout: the archive
// header (rewritten at the end with the sizes and its checksum), the entries,
// the entry names, then the deflated directory sorted by name hash. Two names
// with the same hash are refused, since the reader could not tell them apart.
// Entries written from encoded bytes carry the checksum of their unpacked
// bytes; an entry too large to hold in memory is written piece by piece
// (beginEntry, appendData, endEntry), its header completed at its end. A
// solid group is written before its members; a name may also be given to an
// entry written before (a file with the same bytes).
#pragma once

#include <vector>

#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/core/DateTime.h"
#include "VornLib/core/Stream.h"
#include "VornLib/core/String.h"
#include "VornLib/data/ArchiveFormat.h"

namespace vornpack {

struct WrittenEntry {
    vorn::String name;
    uint32_t nameHash;
    uint32_t offset;
};

class ContainerWriter {
public:
    // `out` must be empty and seekable; buildDate/buildTime are the header's
    // hexadecimal-digit stamps (0x20181024, 0x13450000).
    vorn::Result begin(vorn::Stream* out, uint32_t buildDate, uint32_t buildTime);
    // An entry with the checksum of its unpacked bytes. 14 with
    // `collidingName` set when another entry's name has the same hash.
    vorn::Result addEntry(const char16_t* name, const EncodedEntry& encoded, uint64_t unpackedSize,
                          vorn::String* collidingName = nullptr);
    // An entry without a checksum, as containers were written before entries
    // had one.
    vorn::Result addEntry(const char16_t* name, vorn::CompressionKind kind, const uint8_t* packed,
                          size_t packedSize, uint64_t unpackedSize,
                          vorn::String* collidingName = nullptr);

    // The same piece by piece: the header is written with the sizes and the
    // checksum once endEntry knows them.
    vorn::Result beginEntry(const char16_t* name, vorn::CompressionKind kind, uint64_t unpackedSize,
                            vorn::String* collidingName = nullptr);
    vorn::Result appendData(const uint8_t* data, size_t size);
    vorn::Result endEntry(uint32_t checksum);

    // A solid group, which no directory record names: `encoded` packs its
    // members' bytes after `filter` was applied to them; `checksum` is that
    // of the bytes before. Its offset, for its members, goes to `offset`.
    vorn::Result addGroup(const EncodedEntry& encoded, vorn::BranchFilter filter,
                          uint64_t unpackedSize, uint32_t checksum, uint64_t* offset);
    // A member: `size` bytes from `start` of the group at `groupOffset`.
    vorn::Result addMember(const char16_t* name, uint64_t groupOffset, uint64_t start,
                           uint64_t size, uint32_t checksum, vorn::String* collidingName = nullptr);
    // One more name for the entry whose header is at `offset` (an earlier one).
    vorn::Result addAlias(const char16_t* name, uint32_t offset,
                          vorn::String* collidingName = nullptr);
    // Where the last entry written starts.
    uint32_t lastOffset() const { return entries_.empty() ? 0 : entries_.back().offset; }

    vorn::Result finish();
    const std::vector<WrittenEntry>& entries() const { return entries_; }

private:
    vorn::Result claimName(const char16_t* name, uint32_t* hash, vorn::String* collidingName);
    // An entry under `name`, written whole.
    vorn::Result addNamed(const char16_t* name, const vorn::EntryHeader& header,
                          const uint8_t* data, size_t size, vorn::String* collidingName);
    vorn::Result writeEntry(const vorn::EntryHeader& header, const uint8_t* data, size_t size);
    vorn::Result writeHeader(const vorn::EntryHeader& header);
    vorn::Result writeNames();

    vorn::Stream* out_ = nullptr;
    vorn::ArchiveHeader header_;
    std::vector<WrittenEntry> entries_;
    // The entry being written piece by piece.
    bool open_ = false;
    vorn::EntryHeader openHeader_;
    uint64_t openOffset_ = 0;
};

// The header's date and time stamps for `when` in UTC. Callers pass the newest
// date of their inputs, never the clock, so that the same inputs give the same
// bytes; the invalid time gives zero stamps.
void BuildStamp(vorn::DateTime when, uint32_t* date, uint32_t* time);

} // namespace vornpack
