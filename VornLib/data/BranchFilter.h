// The branch filters of solid groups: the LZMA SDK's converters, which turn
// the relative targets of calls and jumps in machine code into absolute ones
// before compressing (so that calls of one function look alike) and back
// after decoding. Positions count from the first byte given.
#pragma once

#include <cstddef>
#include <cstdint>

#include "VornLib/data/ArchiveFormat.h"

namespace vorn {

// Transforms `size` bytes in place; `encoding` before compressing, not after.
void ApplyBranchFilter(BranchFilter filter, uint8_t* bytes, size_t size, bool encoding);

} // namespace vorn
