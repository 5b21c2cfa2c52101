#include "Applications/VornSetup/ShortcutChoices.h"

#ifdef _WIN32
#include "VornLib/core/platform/SystemInfo.h"
#define VORN_SHORTCUT_FOLDER(folder) vorn::folder
#else
// The host build tests the names; only Windows has the folders.
#define VORN_SHORTCUT_FOLDER(folder) nullptr
#endif

namespace vornsetup {

const ShortcutChoice kShortcutChoices[kShortcutChoiceCount] = {
    {u"CreateDesktopShortcut", u"/User/Global/InstallOptions/CreateDesktopShortcut",
     vorn::EntryValue::CreateDesktopShortcut, VORN_SHORTCUT_FOLDER(DesktopFolder)},
    {u"CreateQuickLaunchShortcut", u"/User/Global/InstallOptions/CreateQuickLaunchShortcut",
     vorn::EntryValue::CreateQuickLaunchShortcut, VORN_SHORTCUT_FOLDER(QuickLaunchFolder)},
};

} // namespace vornsetup
