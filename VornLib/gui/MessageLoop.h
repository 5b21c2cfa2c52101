// What every message loop of a program shares (the runtime's main loop, a
// modal dialog's, the tests'): the common controls' window classes, made
// once at start, and the way each message reaches the windows.
#pragma once

#include "VornLib/core/Win32.h"

namespace vorn {

// Registers the common controls' classes that the control kinds wrap
// (ICC_WIN95_CLASSES, ICC_USEREX_CLASSES, ICC_COOL_CLASSES and
// ICC_STANDARD_CLASSES); false when comctl32 refuses or cannot be had.
bool InitializeCommonControls();

// Offers `message` to the framework windows from its own window up the
// parent chain: the first whose preTranslate takes it (its shortcut keys, a
// dialog's keyboard handling) consumes it. Any other message is translated
// and dispatched.
void DispatchToWindows(MSG* message);

} // namespace vorn
