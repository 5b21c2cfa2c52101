// The installer's module: the launcher role starts an elevated copy of the
// program and waits for it; the installer proper holds the installed
// application's mutex and installs, quietly or with its window. An
// installation for the current user alone has no launcher: the setup started
// by the user is the installer proper, with the user's own rights; so is a
// quiet setup that has administrator rights already. Nor has a setup whose
// wizard lets the user choose the scope: the wizard runs with the user's
// rights, installs "just for me" itself and hands "for all users" to an
// elevated copy, ending as a launcher does.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/app/AppModule.h"
#include "VornLib/core/String.h"

namespace vornsetup {

// The installed application's mutex, held while this process may install:
// the application must not start meanwhile. False when another process holds
// it. A wizard that hands the installation to its elevated copy lets go of it
// first, for the copy to take.
bool HoldApplicationMutex(const InstallManifest& manifest);
void ReleaseApplicationMutex();

// A launcher's end once its elevated copy ended with `child`: the program
// started with the user's rights on 41, and the code the launcher ends with
// (0 for 41 and 42, else the copy's).
vorn::Result AfterElevatedCopy(vorn::Result child);

class InstallerModule : public vorn::AppModule {
public:
    vorn::Result start() override;
    bool isIdle() override { return true; }
    vorn::Result tick(float) override { return vorn::kResultOk; }
    void stop() override {}

private:
    vorn::Result runLauncher();
    vorn::Result runInstaller();
};

} // namespace vornsetup
