// Reads the texts of a Windows version resource (VS_VERSIONINFO): a tree of
// nodes, each its length, its value's length, its type, a key and a value,
// with the texts ("CompanyName", "OriginalFilename", ...) in the string
// tables below "StringFileInfo". `setup` recognises the installer stub by the
// original file name of its version block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vornpack {

// The text of `key` in the first string table that has it; 29 when none
// has, 33 for a block that is not a version resource.
vorn::Result ReadVersionString(const uint8_t* block, size_t size, const char16_t* key,
                               vorn::String* out);

} // namespace vornpack
