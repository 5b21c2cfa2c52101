// What goes together in a container: before anything is compressed, each
// file is looked at once (its size, its first bytes, the checksum of all its
// bytes), and the plan says, deterministically from the files alone, how it
// is packed:
// - a copy: its bytes equal an earlier file's, whose entry it names too;
// - a member of a solid group: small and medium files that are not
//   compressed already go, in their order, into groups of at most
//   `groupSize` bytes, each compressed as one stream, so that what one file
//   shares with the next is stored once; Windows executables are grouped
//   apart from other files, with the branch filter of their machine;
// - alone: files compressed already, empty files, files larger than a group,
//   and whatever the caller keeps out of groups (the installer's definitions,
//   read by name at start-up).
// Members of a group follow one another in the file order, so that a reader
// going through the files in that order decodes each group once.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "VornLib/core/String.h"
#include "VornLib/data/ArchiveFormat.h"

namespace vornpack {

struct PlannedGroup {
    std::vector<uint32_t> members; // in file order
    uint64_t size = 0;
    vorn::BranchFilter filter = vorn::BranchFilter::None;
};

struct FilePlan {
    enum class How { Alone, Member, Copy };
    How how = How::Alone;
    uint32_t group = 0;    // Member: its group
    uint64_t start = 0;    // Member: where it starts in its group
    uint32_t original = 0; // Copy: the earlier file with the same bytes
    uint32_t checksum = 0; // CRC-32 of the file's bytes
};

struct PlanOptions {
    // The largest group: a reader holds one whole group per lane, and the
    // installer decodes on two. Measured on real DLLs and texts, 32 MiB packs
    // a fifth smaller than 16 MiB (similar large files share a group).
    static constexpr uint32_t kDefaultGroupSize = 32u << 20;
    uint32_t groupSize = kDefaultGroupSize;
    bool filters = true;
};

class PackPlan {
public:
    // Reads `length` bytes of file `index` from `offset`.
    using Load = std::function<vorn::Result(uint32_t index, uint64_t offset, uint32_t length,
                                            std::vector<uint8_t>* data, vorn::String* message)>;

    // `groupable[i]` false keeps file i out of groups (it may still be a copy).
    // On failure `message` says which file could not be read.
    vorn::Result make(const std::vector<uint64_t>& sizes, const std::vector<bool>& groupable,
                      const Load& load, const PlanOptions& options, vorn::String* message);

    const std::vector<FilePlan>& files() const { return files_; }
    const std::vector<PlannedGroup>& groups() const { return groups_; }

private:
    vorn::Result readFile(uint32_t index, uint64_t size, std::vector<uint8_t>* head,
                          uint32_t* checksum, vorn::String* message);
    vorn::Result sameBytes(uint32_t a, uint32_t b, uint64_t size, bool* same,
                           vorn::String* message);

    Load load_;
    std::vector<FilePlan> files_;
    std::vector<PlannedGroup> groups_;
};

// The order in which files pack best together: by extension, then by name,
// then by path (letters ignoring case), so that files of one kind, and the
// same file in several folders, follow one another. Gives the files' indexes.
std::vector<uint32_t> SolidOrder(const std::vector<vorn::String>& paths);

// The branch filter that suits a file of `fileSize` bytes from its first
// bytes: x86 and x64 Windows executables take the x86 filter, ARM64 ones the
// ARM64 filter, when at least a third of the file is code; anything else none.
vorn::BranchFilter FilterForImage(const uint8_t* bytes, size_t length, uint64_t fileSize);

} // namespace vornpack
