#include "Applications/VornSetup/ShortcutChoices.h"

#include "VornLib/core/platform/SystemInfo.h"

namespace vornsetup {

const ShortcutChoice kShortcutChoices[kShortcutChoiceCount] = {
    {u"CreateDesktopShortcut", u"/User/Global/InstallOptions/CreateDesktopShortcut",
     u"VornLib.CreateDesktopShortcut", vorn::DesktopFolder},
    {u"CreateQuickLaunchShortcut", u"/User/Global/InstallOptions/CreateQuickLaunchShortcut",
     u"VornLib.CreateQuickLaunchShortcut", vorn::QuickLaunchFolder},
};

} // namespace vornsetup
