// What a caller holds for an opened archive entry: a Stream forwarding to the
// entry's SubStream that releases the entry in its mount when destroyed, so
// the next entry of the same container can be opened.
#pragma once

#include <memory>

#include "VornLib/data/ArchiveMount.h"

namespace vorn {

class EntryHandle : public Stream {
public:
    EntryHandle(ArchiveMount* mount, SubStream* entry) : mount_(mount), entry_(entry) {}
    ~EntryHandle() override;

    // Opens `name` in `mount` and wraps it; `out` is cleared on failure.
    static Result open(ArchiveMount* mount, const char16_t* name,
                       std::unique_ptr<EntryHandle>* out);

    Result close() override { return entry_->close(); }
    Result read(void* destination, uint32_t count) override {
        return entry_->read(destination, count);
    }
    Result write(const void* source, uint32_t count) override {
        return entry_->write(source, count);
    }
    Result flush(bool toDisk) override { return entry_->flush(toDisk); }
    uint64_t position() override { return entry_->position(); }
    Result seek(uint64_t offset) override { return entry_->seek(offset); }
    uint64_t size() override { return entry_->size(); }
    String description() override { return entry_->description(); }

private:
    ArchiveMount* mount_;
    SubStream* entry_;
};

} // namespace vorn
