// ApplicationIdentity: what the layers below the runtime need to know of the
// running program (its name, whether it runs quietly, its main window). The
// runtime sets it while it prepares, before any command-line operation can
// show a message; until then it is empty, loud and windowless.
#pragma once

#include "VornLib/core/String.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#endif

namespace vorn {

struct ApplicationIdentity {
    String name;
    // "/Quiet": nothing may wait for a user.
    bool quiet = false;
#ifdef _WIN32
    // The main window, null while there is none.
    HWND (*mainWindow)() = nullptr;
#endif
};

const ApplicationIdentity& CurrentApplication();
void SetCurrentApplication(const ApplicationIdentity& identity);

} // namespace vorn
