// The shortcuts a user may choose on the options page, in one table: the
// check box that shows the choice, the preference that gives its default
// ("Data/Xml/Preferences.xml"), the value of the uninstall entry that
// remembers the choice for the next installation (so that nothing of the
// setup's own outlives the removal), and the folder the shortcut goes into.
// The box's name is also the switch ("/CreateDesktopShortcut:0") by which a
// launcher's wizard hands the choice to its elevated copy, and the entry of
// a choices file (ChoicesFile.h) that holds it.
#pragma once

#include <cstdint>

#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/String.h"

namespace vornsetup {

enum ShortcutChoiceIndex : uint32_t {
    kDesktopShortcut = 0,
    kQuickLaunchShortcut = 1,
    kShortcutChoiceCount = 2,
};

struct ShortcutChoice {
    const char16_t* box;         // "CreateDesktopShortcut"
    const char16_t* preference;  // "/User/Global/InstallOptions/CreateDesktopShortcut"
    vorn::EntryValue entryValue; // 1 or 0
    vorn::String (*folder)();    // the user's desktop; empty when unknown (null on the host)
};

extern const ShortcutChoice kShortcutChoices[kShortcutChoiceCount];

} // namespace vornsetup
