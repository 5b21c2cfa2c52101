// A platform error as a log or a message names it: its number and the
// system's own text for it.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vorn {

// "error 32 (The process cannot access the file because it is being used by
// another process.)"; "error <n>" alone where the system has no text for it.
String SystemErrorText(uint32_t systemError);

} // namespace vorn
