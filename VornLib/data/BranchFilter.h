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

// Undoes the x86 filter on bytes that arrive in order: converts what it can
// of the `size` bytes at `data`, which lie at `position` in the filtered
// bytes, and gives how many it converted; the next call goes on from there
// with the same `state` (0 at the start). The filter looks a few bytes past a
// branch, so it stops short of the end; the bytes left once all have arrived
// stay as they are, as ApplyBranchFilter leaves them.
size_t UndoX86FilterAt(uint8_t* data, size_t size, uint32_t position, uint32_t* state);

} // namespace vorn
