#include "VornLib/data/ArchiveMount.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "VornLib/data/NameHash.h"

namespace vorn {

void ArchiveMount::FreeDeleter::operator()(DirectoryRecord* records) const {
    std::free(records);
}

Result ArchiveMount::open(Stream* container) {
    close();
    if (!container)
        return kResultNullInput;
    Result result = reader_.open(container);
    if (result == kResultOk)
        result = reader_.header().directoryOffset == 0
                     ? kResultChecksumMismatch
                     : reader_.selectEntry(reader_.header().directoryOffset);
    if (result == kResultOk)
        result = loadDirectory();
    reader_.closeEntry();
    if (result != kResultOk) {
        close();
        return result;
    }
    open_ = true;
    return kResultOk;
}

Result ArchiveMount::loadDirectory() {
    const uint64_t count = reader_.entry().unpackedSize / DirectoryRecord::kSize;
    // Every record names an entry header of its own: a count the container
    // cannot hold is damage, not a reason to allocate gigabytes.
    if (count > reader_.size() / EntryHeader::kSize)
        return kResultMalformed;
    DirectoryRecord* records = nullptr;
    if (count) {
        records =
            static_cast<DirectoryRecord*>(std::malloc(size_t(count) * sizeof(DirectoryRecord)));
        if (!records)
            return kResultOutOfMemory;
        directory_.reset(records);
    }
    uint8_t bytes[4096];
    for (uint64_t done = 0; done < count;) {
        const uint32_t batch =
            uint32_t(std::min<uint64_t>(count - done, sizeof(bytes) / DirectoryRecord::kSize));
        const Result result = reader_.read(bytes, batch * DirectoryRecord::kSize);
        if (result != kResultOk)
            return result;
        for (uint32_t i = 0; i < batch; ++i)
            records[done + i].parse(bytes + i * DirectoryRecord::kSize);
        done += batch;
    }
    // Bytes past the last whole record are read too, so that the directory's
    // checksum, when it has one, is checked.
    const uint32_t tail = uint32_t(reader_.entry().unpackedSize % DirectoryRecord::kSize);
    if (tail) {
        const Result result = reader_.read(bytes, tail);
        if (result != kResultOk)
            return result;
    }
    recordCount_ = uint32_t(count);
    return kResultOk;
}

void ArchiveMount::close() {
    std::lock_guard<std::mutex> guard(lock_);
    openEntry_.reset();
    directory_.reset();
    recordCount_ = 0;
    (void)reader_.close();
    open_ = false;
}

const DirectoryRecord* ArchiveMount::find(const char16_t* name) const {
    if (!name || !open_)
        return nullptr;
    const uint32_t hash = NameHash(name);
    const DirectoryRecord* begin = directory_.get();
    const DirectoryRecord* end = begin + recordCount_;
    const DirectoryRecord* found =
        std::lower_bound(begin, end, hash, [](const DirectoryRecord& record, uint32_t key) {
            return record.nameHash < key;
        });
    return found == end || found->nameHash != hash ? nullptr : found;
}

bool ArchiveMount::contains(const char16_t* name) const {
    return find(name) != nullptr;
}

Result ArchiveMount::openEntry(const char16_t* name, SubStream** out) {
    if (!name)
        return kResultInvalidName;
    if (!out)
        return kResultNullOutput;
    *out = nullptr;
    if (!open_)
        return kResultWrongState;
    const DirectoryRecord* found = find(name);
    if (!found)
        return kResultNotFound;
    return openAt(found->offset, out);
}

Result ArchiveMount::openRecord(uint32_t index, SubStream** out) {
    if (!out)
        return kResultNullOutput;
    *out = nullptr;
    if (!open_)
        return kResultWrongState;
    if (index >= recordCount_)
        return kResultOutOfRange;
    return openAt(directory_[index].offset, out);
}

Result ArchiveMount::openAt(uint32_t offset, SubStream** out) {
    std::lock_guard<std::mutex> guard(lock_);
    if (openEntry_)
        return kResultWrongState;
    const Result result = reader_.selectEntry(offset);
    if (result != kResultOk) {
        reader_.closeEntry();
        return result;
    }
    openEntry_.reset(new (std::nothrow) SubStream(&reader_, reader_.entry().unpackedSize));
    if (!openEntry_) {
        reader_.closeEntry();
        return kResultOutOfMemory;
    }
    *out = openEntry_.get();
    return kResultOk;
}

Result ArchiveMount::unitOf(const char16_t* name, uint64_t* unit) {
    if (!unit)
        return kResultNullOutput;
    *unit = 0;
    EntryHeader header;
    return inspectNamed(name, &header, unit);
}

Result ArchiveMount::headerOf(const char16_t* name, EntryHeader* header) {
    if (!header)
        return kResultNullOutput;
    uint64_t unit = 0;
    return inspectNamed(name, header, &unit);
}

Result ArchiveMount::inspectNamed(const char16_t* name, EntryHeader* header, uint64_t* unit) {
    if (!name)
        return kResultInvalidName;
    const DirectoryRecord* found = find(name);
    if (!found)
        return open_ ? kResultNotFound : kResultWrongState;
    return inspectAt(found->offset, header, unit);
}

Result ArchiveMount::inspectRecord(uint32_t index, EntryHeader* header, uint64_t* unit,
                                   uint64_t* start) {
    if (!header || !unit)
        return kResultNullOutput;
    *unit = 0;
    if (!open_)
        return kResultWrongState;
    if (index >= recordCount_)
        return kResultOutOfRange;
    return inspectAt(directory_[index].offset, header, unit, start);
}

Result ArchiveMount::inspectAt(uint32_t offset, EntryHeader* header, uint64_t* unit,
                               uint64_t* start) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || openEntry_)
        return kResultWrongState;
    const Result result = reader_.inspect(offset, header, unit, start);
    if (result != kResultOk)
        *unit = 0;
    return result;
}

Result ArchiveMount::releaseEntry(Stream* stream) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!stream || stream != openEntry_.get())
        return kResultInvalidArgument;
    openEntry_.reset();
    reader_.closeEntry();
    return kResultOk;
}

} // namespace vorn
