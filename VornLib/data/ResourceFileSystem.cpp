#include "VornLib/data/ResourceFileSystem.h"

#include <cstdlib>
#include <new>

namespace vorn {

ResourceFileSystem& ResourceFileSystem::Instance() {
    static ResourceFileSystem& instance = *[] {
        static ResourceFileSystem files;
        (void)files.mountPayload(); // an executable without a payload simply has no mounts
        return &files;
    }();
    return instance;
}

Result ResourceFileSystem::mountPayload() {
    std::lock_guard<std::mutex> guard(lock_);
    if (payload_.isAttached())
        return kResultAlreadyExists;
    Result result = payload_.open();
    if (result != kResultOk)
        return result;
    std::unique_ptr<ArchiveMount> mount(new (std::nothrow) ArchiveMount);
    if (!mount)
        return kResultOutOfMemory;
    if ((result = mount->open(&payload_)) != kResultOk) {
        (void)payload_.close();
        return result;
    }
    mounts_.insert(mounts_.begin(), std::move(mount));
    return kResultOk;
}

Result ResourceFileSystem::mount(Stream* container) {
    if (!container)
        return kResultNullInput;
    std::unique_ptr<ArchiveMount> mount(new (std::nothrow) ArchiveMount);
    if (!mount)
        return kResultOutOfMemory;
    const Result result = mount->open(container);
    if (result != kResultOk)
        return result;
    std::lock_guard<std::mutex> guard(lock_);
    mounts_.insert(mounts_.begin(), std::move(mount));
    return kResultOk;
}

uint32_t ResourceFileSystem::mountCount() {
    std::lock_guard<std::mutex> guard(lock_);
    return uint32_t(mounts_.size());
}

Result ResourceFileSystem::open(const char16_t* name, std::unique_ptr<EntryHandle>* out) {
    if (!name || !*name)
        return kResultBadPath;
    if (!out)
        return kResultNullOutput;
    out->reset();
    std::lock_guard<std::mutex> guard(lock_);
    for (const std::unique_ptr<ArchiveMount>& mount : mounts_) {
        const Result result = EntryHandle::open(mount.get(), name, out);
        if (result != kResultNotFound)
            return result;
    }
    return kResultNotFound;
}

Result ResourceFileSystem::readAll(const char16_t* name, uint8_t** bytes, uint32_t* size) {
    if (!name || !*name)
        return kResultBadPath;
    if (!bytes || !size)
        return kResultNullOutput;
    *bytes = nullptr;
    *size = 0;
    std::unique_ptr<EntryHandle> entry;
    Result result = open(name, &entry);
    if (result != kResultOk)
        return result;
    if (!entry)
        return kResultNullInput;
    const uint64_t length = entry->size();
    // Entries are 32-bit in the container; anything larger would be cut short.
    if (length > UINT32_MAX)
        return kResultCapacityExceeded;
    const uint32_t count = uint32_t(length);
    uint8_t* data = static_cast<uint8_t*>(std::malloc(count ? count : 1));
    if (!data)
        return kResultOutOfMemory;
    if (count && (result = entry->read(data, count)) != kResultOk) {
        std::free(data);
        return result;
    }
    *bytes = data;
    *size = count;
    return kResultOk;
}

void ResourceFileSystem::FreeBytes(uint8_t* bytes) {
    std::free(bytes);
}

} // namespace vorn
