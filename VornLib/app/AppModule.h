// AppModule: one unit of a program's logic, started once, ticked on every pass
// of the main loop and stopped at the end. The framework's window-system module
// comes first; each program adds its own module after it.
#pragma once

#include "VornLib/core/Result.h"

namespace vorn {

class AppModule {
public:
    virtual ~AppModule() = default;
    // 0 to go on; anything else ends the program with that result.
    virtual Result start() = 0;
    // True when the module has nothing to animate, so the loop may block.
    virtual bool isIdle() = 0;
    // A non-zero result ends the main loop with that result.
    virtual Result tick(float seconds) = 0;
    virtual void stop() = 0;
    // The command-line operation "Install": the installed program registers
    // itself. It runs before modules are added, on a fresh module that is
    // never started and is destroyed right after.
    virtual void onInstall() {}
    // Called by the uninstaller before it removes anything.
    virtual void onUninstall() {}

private:
    friend class AppRuntime;
    AppModule* next_ = nullptr;
};

} // namespace vorn
