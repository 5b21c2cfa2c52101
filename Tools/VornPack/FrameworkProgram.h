// Whether a product's executable is built on VornLib, as far as its setup is
// concerned. A program built on VornLib carries the framework's payload (its
// RT_RCDATA resource 4096, a container) with an XML document whose root holds
// an "Application" element; it removes itself when that element's UUID is the
// product's, since it finds its uninstall entry by it. Entries of a payload
// are known only by the hashes of their names, so every entry small enough to
// be a document and beginning like XML is read and parsed.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Uuid.h"

namespace vornpack {

struct ProgramInspection {
    bool carriesPayload = false;
    // The UUIDs of the Application elements of its documents.
    std::vector<vorn::UUID> applications;

    bool describes(const vorn::UUID& product) const;
};

// What the program at `path` carries; 0 with nothing found for a file that is
// not a Windows executable or whose resource 4096 is no container. The
// result of reading an entry of a payload that is damaged (22 for a CRC).
vorn::Result InspectProgram(const vorn::String& path, ProgramInspection* out);

} // namespace vornpack
