// A product that is not built on VornLib holds no named mutex while it runs.
// Before anything is touched, the installer looks for programs running from
// the previous installation's folder (the program being updated) and from
// the folder it installs into; both would keep files that the installation
// must replace or that its removal must delete.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"

namespace vornsetup {

// The running program as the message "CloseBeforeUninstall" names it: the
// product's name for its executable, else the program's file name. Empty when
// none runs, and for a product built on VornLib, whose mutex the installer
// holds instead.
String RunningProgramOfProduct(const InstallManifest& manifest);

} // namespace vornsetup
