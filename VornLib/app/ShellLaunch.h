// Starting programs and documents through the shell, optionally waiting for
// the started process, and with the elevation prompt where it is needed.
#pragma once

#include "VornLib/app/InstallScope.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/Win32.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

// Without `wait`: returns 0 once started. With `wait`: the started process's
// exit code (0 when unreadable). A failed start gives the mapped system error;
// a declined elevation prompt gives 8.
Result ShellLaunch(const char16_t* file, const char16_t* parameters, bool wait,
                   const char16_t* verb);
// Waits; "open" when this process is already elevated, else "runas".
Result ShellLaunchElevated(const char16_t* file, const char16_t* parameters);
// The same, but returns once the process has started, handing it out for
// WaitForLaunched, so that the caller does other work meanwhile. `process`
// may stay empty (a document opened in a running program).
Result ShellLaunchElevatedStart(const char16_t* file, const char16_t* parameters,
                                KernelHandle* process);
// The same with the caller's own rights ("open"), never asking for more.
Result ShellLaunchStart(const char16_t* file, const char16_t* parameters, KernelHandle* process);
// A program of an installation, with the rights its scope needs: elevated
// per machine, the user's own per user.
Result ShellLaunchStartIn(InstallScope scope, const char16_t* file, const char16_t* parameters,
                          KernelHandle* process);
// Waits for a process from ShellLaunchElevatedStart and gives its exit code
// (0 for an empty handle or an unreadable code); the handle is closed.
Result WaitForLaunched(KernelHandle* process);
// The same, for at most `milliseconds`: 0 once the process has ended (its
// exit code in `exitCode` when given; the handle is closed), 9 while it still
// runs (the handle stays with the caller, which may wait again or let go).
Result WaitForLaunched(KernelHandle* process, uint32_t milliseconds, Result* exitCode);

// What the runtime plugs in: the owner of waited-for launches, and work that
// must happen before another program starts (writing the preferences).
struct ShellLaunchHooks {
    HWND (*ownerWindow)() = nullptr;
    void (*beforeLaunch)() = nullptr;
};
void SetShellLaunchHooks(const ShellLaunchHooks& hooks);

} // namespace vorn
