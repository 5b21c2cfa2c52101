// Shortcut keys and commands. A command is known by the name identifier of its
// name ("QuitCmd"), which is also the platform command identifier of its menu
// items, accelerators and buttons. A "ShortcutKeys" element lists "Command"
// children with "ID" and "Keys" ("Ctrl+Shift+F10"): modifiers "Ctrl+", "Alt+"
// and "Shift+" (exact case, any order), then exactly one known key name.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {

class XmlNode;

inline uint16_t CommandId(const char16_t* name) {
    return WindowNameId(name);
}

// True when a WM_COMMAND's first parameter carries the command `id`: below
// 0x20000 (a menu item, an accelerator or a button click) with `id` in its
// low word.
inline bool IsCommand(uintptr_t wParam, uint16_t id) {
    return wParam < 0x20000 && uint16_t(wParam & 0xFFFF) == id;
}

enum ShortcutModifier : uint8_t {
    kShortcutControl = 1,
    kShortcutAlt = 2,
    kShortcutShift = 4,
};

struct ShortcutKey {
    uint8_t modifiers = 0;
    uint16_t virtualKey = 0;
    uint16_t command = 0xFFFF;
};

// Reads a "Keys" text; 33 for anything but modifiers and one key name.
Result ParseShortcutKeys(const char16_t* text, ShortcutKey* out);

// What is wrong with a "Keys" text, saying what is allowed; the empty text
// when it reads.
String CheckShortcutKeys(const char16_t* text);

// Reads every "Command" child of a "ShortcutKeys" element; 33 (and nothing
// in `out`) when any child is not a "Command" with an "ID" and good "Keys".
Result ReadShortcutKeys(const XmlNode& element, std::vector<ShortcutKey>* out);

} // namespace vorn
