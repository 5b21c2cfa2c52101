// The framework's names that every VornPack source uses, brought into the
// tool's namespace once.
#pragma once

#include <filesystem>

#include "VornLib/core/Format.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vornpack {

using vorn::Format;
using vorn::Result;
using vorn::String;
namespace fs = std::filesystem;

} // namespace vornpack
