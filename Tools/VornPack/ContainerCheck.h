// What the inspection commands learn about a container beyond its headers:
// the names it lists for its entries ("VornLib/Names"), whether every entry
// reads whole, each read to its end through the installer's own reader so
// that damage is found exactly as an installation would find it (its
// checksum, its packed data, its header), and in which order its entries
// read fastest.
#pragma once

#include <map>
#include <vector>

#include "VornLib/core/String.h"
#include "VornLib/data/ArchiveMount.h"

namespace vornpack {

// Name hash to name, from the container's own list; 29 when it has none.
vorn::Result ReadEntryNames(vorn::ArchiveMount& mount, std::map<uint32_t, vorn::String>* names);

struct ContentCheck {
    uint32_t entries = 0;
    uint64_t bytes = 0; // unpacked bytes of the entries that read whole
    // One line for each damaged entry: its name (or hash and offset) and result.
    std::vector<vorn::String> damaged;
    // The result of the first damaged entry; 0 when none is.
    vorn::Result firstFailure = vorn::kResultOk;
};

// Reads every entry of the directory to its end.
void CheckContents(vorn::ArchiveMount& mount, ContentCheck* out);

// Orders `names` so that the members of each solid group follow one another
// (otherwise keeping their order), with the unit of each in `units`.
void SortByUnit(vorn::ArchiveMount& mount, std::vector<vorn::String>* names,
                std::vector<uint64_t>* units);

} // namespace vornpack
