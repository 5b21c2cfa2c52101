// ResourceFileSystem: name to stream over the mounted archive containers. The
// process-wide instance mounts the executable's own payload on first use; an
// executable without one starts with no mounts, and every open then gives 29.
// Mounts are searched newest first, under one lock that covers the whole
// search and the opening of the entry.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EmbeddedBigFile.h"
#include "VornLib/data/EntryHandle.h"

namespace vorn {

class ResourceFileSystem {
public:
    ResourceFileSystem() = default;
    ResourceFileSystem(const ResourceFileSystem&) = delete;
    ResourceFileSystem& operator=(const ResourceFileSystem&) = delete;

    // Created on first use with the payload mounted (when there is one).
    static ResourceFileSystem& Instance();

    // Mounts the executable's payload resource; 29 when it has none.
    Result mountPayload();
    // Mounts a container in front of the others. The stream must outlive
    // this object.
    Result mount(Stream* container);
    uint32_t mountCount();

    // 31 for a null or empty name; 29 when no mount has the entry.
    Result open(const char16_t* name, std::unique_ptr<EntryHandle>* out);
    // The whole entry in memory, freed with FreeBytes. An empty entry still
    // gets a (one-byte) block, so that every result has its own address.
    Result readAll(const char16_t* name, uint8_t** bytes, uint32_t* size);
    static void FreeBytes(uint8_t* bytes);

private:
    std::mutex lock_;
    EmbeddedBigFile payload_;
    std::vector<std::unique_ptr<ArchiveMount>> mounts_; // newest first
};

} // namespace vorn
