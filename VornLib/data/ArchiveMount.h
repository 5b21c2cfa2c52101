// One mounted container: the directory loaded once and searched by name hash,
// and at most one open entry at a time, because every entry is read through
// the same underlying stream. Opening and releasing take the mount's lock;
// reads of the open entry do not. The members of a solid group are decoded
// from their group, which the mount keeps for the group's next member: read
// the members of a group one after another (unitOf says which belong together).
#pragma once

#include <memory>
#include <mutex>

#include "VornLib/data/ArchiveReader.h"
#include "VornLib/data/SubStream.h"

namespace vorn {

class ArchiveMount {
public:
    ArchiveMount() = default;
    ArchiveMount(const ArchiveMount&) = delete;
    ArchiveMount& operator=(const ArchiveMount&) = delete;
    ~ArchiveMount() { close(); }

    // Mounts the container read from `container` (from its position 0). The
    // stream must outlive the mount.
    Result open(Stream* container);
    bool isOpen() const { return open_; }
    void close();

    // Whether the directory has an entry of that name (nothing is opened).
    bool contains(const char16_t* name) const;
    // On success `out` is the open entry; hand it back with releaseEntry.
    Result openEntry(const char16_t* name, SubStream** out);
    // The same for the entry of one directory record (for tools that know no names).
    Result openRecord(uint32_t index, SubStream** out);
    Result releaseEntry(Stream* stream);
    // Decodes ahead in the group of the open entry, for a reader that waits
    // for its caller: false when there is nothing to do. From the thread that
    // reads the open entry, as its reads are.
    bool decodeAhead() { return openEntry_ && reader_.decodeAhead(); }
    // The unit `name` is read in: its solid group, or itself when it is in
    // none. Entries of one unit are best read one after another on one mount,
    // which then decodes the group once. Not while an entry is open (4).
    Result unitOf(const char16_t* name, uint64_t* unit);
    // The header of the entry `name` (its size and checksum), without opening
    // it. Not while an entry is open (4).
    Result headerOf(const char16_t* name, EntryHeader* header);
    // The header and unit of one directory record's entry, and its first
    // byte in its unit when `start` is given, without opening it (nothing is
    // decoded). Not while an entry is open (4).
    Result inspectRecord(uint32_t index, EntryHeader* header, uint64_t* unit,
                         uint64_t* start = nullptr);

    uint32_t recordCount() const { return recordCount_; }
    const DirectoryRecord* records() const { return directory_.get(); }
    // Header of the entry opened last (valid while it is open).
    const EntryHeader& openEntryHeader() const { return reader_.entry(); }
    const ArchiveHeader& header() const { return reader_.header(); }

private:
    struct FreeDeleter {
        void operator()(DirectoryRecord* records) const;
    };

    Result loadDirectory();
    const DirectoryRecord* find(const char16_t* name) const;
    Result openAt(uint32_t offset, SubStream** out);
    Result inspectNamed(const char16_t* name, EntryHeader* header, uint64_t* unit);
    Result inspectAt(uint32_t offset, EntryHeader* header, uint64_t* unit,
                     uint64_t* start = nullptr);

    ArchiveReader reader_;
    std::mutex lock_;
    std::unique_ptr<DirectoryRecord[], FreeDeleter> directory_;
    uint32_t recordCount_ = 0;
    std::unique_ptr<SubStream> openEntry_;
    bool open_ = false;
};

} // namespace vorn
