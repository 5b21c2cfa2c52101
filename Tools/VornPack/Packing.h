// What pack and setup share: their packing options ("--quiet", "--method",
// "--jobs", "--solid", "--no-solid") and the writing of a container, each
// file (or solid group) compressed on any core and written in the given
// order, so that the same inputs give the same bytes for any number of
// threads.
#pragma once

#include <filesystem>
#include <vector>

#include "Tools/VornPack/CommandLine.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/Progress.h"
#include "VornLib/core/DateTime.h"
#include "VornLib/core/Stream.h"

namespace vornpack {

struct PackingOptions {
    const MethodName* method = nullptr;
    uint32_t jobs = 1;
    bool quiet = false;
    // Files go into solid groups (PackPlan.h): "auto" groups them unless told
    // "--no-solid", a method named explicitly only with "--solid".
    bool solid = false;
};

// Takes the packing options out of `options`; 0, or 5 with `message` for an
// unknown method, a bad number of threads, or both "--solid" and "--no-solid".
vorn::Result ReadPackingOptions(OptionReader* options, PackingOptions* out, vorn::String* message);

// One entry of a container: a file, or bytes made by the command.
struct PackItem {
    vorn::String entryName;
    std::filesystem::path source; // empty: `content` holds the bytes
    std::vector<uint8_t> content;
    uint64_t size = 0;     // a file that no longer has this size is refused
    bool groupable = true; // may go into a solid group
};

// Writes `items` in their order as a container onto `out`, stamped with
// `newest`, and shows the progress (the caller finishes the line). 0, or the
// result with `message`, which names `outputName` for a failed write.
vorn::Result WriteContainer(const std::vector<PackItem>& items, const PackingOptions& options,
                            vorn::DateTime newest, vorn::Stream* out,
                            const vorn::String& outputName, ProgressLine* progress,
                            vorn::String* message);

} // namespace vornpack
