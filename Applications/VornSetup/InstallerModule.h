// The installer's module: the launcher role starts an elevated copy of the
// program and waits for it; the installer proper holds the installed
// application's mutex and installs, quietly or with its window.
#pragma once

#include "VornLib/app/AppModule.h"
#include "VornLib/core/String.h"

namespace vornsetup {

// The elevated copy's exit codes for a completed installation; any other is
// the result code of a failure.
constexpr vorn::Result kExitInstalled = vorn::Result(42);
// Installed, and the user asked to start the application.
constexpr vorn::Result kExitInstalledStartApplication = vorn::Result(41);

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
