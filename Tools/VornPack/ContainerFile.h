// The container that list, verify and extract read: a container file as
// `pack` writes it, or the payload (resource 4096) of a setup executable as
// `setup` writes it, read in place through a window onto the file.
#pragma once

#include <memory>

#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/FileStream.h"

namespace vornpack {

// The payload resource of a setup executable.
constexpr uint16_t kPayloadResource = 4096;

class ContainerFile {
public:
    ContainerFile();
    ~ContainerFile();
    ContainerFile(const ContainerFile&) = delete;
    ContainerFile& operator=(const ContainerFile&) = delete;

    // 0; 29 for a setup executable without a payload; the mount's result for
    // a file that is neither a container nor a Windows executable (33 for the
    // wrong magic), or for a damaged container.
    vorn::Result open(const vorn::String& path);
    vorn::ArchiveMount& mount() { return mount_; }
    // The container's bytes: the file's, or the payload resource's.
    uint64_t size();

private:
    class Window;

    vorn::FileStream file_;
    std::unique_ptr<Window> window_;
    vorn::ArchiveMount mount_;
};

} // namespace vornpack
