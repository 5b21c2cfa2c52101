// Starting programs and documents through the shell, optionally waiting for
// the started process, and with the elevation prompt where it is needed.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32.h"

namespace vorn {

// Without `wait`: returns 0 once started. With `wait`: the started process's
// exit code (0 when unreadable). A failed start gives the mapped system error;
// a declined elevation prompt gives 8.
Result ShellLaunch(const char16_t* file, const char16_t* parameters, bool wait,
                   const char16_t* verb);
// Waits; "open" when this process is already elevated, else "runas".
Result ShellLaunchElevated(const char16_t* file, const char16_t* parameters);

// What the runtime plugs in: the owner of waited-for launches, and work that
// must happen before another program starts (writing the preferences).
struct ShellLaunchHooks {
    HWND (*ownerWindow)() = nullptr;
    void (*beforeLaunch)() = nullptr;
};
void SetShellLaunchHooks(const ShellLaunchHooks& hooks);

} // namespace vorn
