// Window names: a window, control or command is known by the 16-bit CRC of its
// name (CRC-16/CCITT-FALSE over the UTF-16LE bytes), never by the text. The
// identifier of a child window is also its platform control identifier.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vorn {

// The empty name gives 0xFFFF, which names no window.
constexpr uint16_t kNoWindowName = 0xFFFF;

uint16_t WindowNameId(const char16_t* name);
inline uint16_t WindowNameId(const String& name) {
    return WindowNameId(name.data());
}

// The fixed names that layout expressions and dialogs refer to.
struct FixedWindowNames {
    uint16_t parent;
    uint16_t self;
    uint16_t ok;
    uint16_t cancel;
};
const FixedWindowNames& FixedNames();

// A fresh name for a window whose description has none: the identifier of the
// decimal text of a process-wide counter, so unnamed windows never match.
uint16_t NextAutomaticWindowName();

} // namespace vorn
