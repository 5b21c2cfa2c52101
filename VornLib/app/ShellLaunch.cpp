#include "VornLib/app/ShellLaunch.h"

#include <shellapi.h>

#include <utility>

#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {
namespace {

ShellLaunchHooks gHooks;

} // namespace

void SetShellLaunchHooks(const ShellLaunchHooks& hooks) {
    gHooks = hooks;
}

namespace {

// Starts the file; with `process`, the started process is handed out.
Result Launch(const char16_t* file, const char16_t* parameters, const char16_t* verb,
              KernelHandle* process) {
    if (!file)
        return kResultInvalidArgument;
    if (gHooks.beforeLaunch)
        gHooks.beforeLaunch();
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpVerb = verb ? Wide(verb) : nullptr;
    info.lpFile = Wide(file);
    info.lpParameters = TextLength(parameters) ? Wide(parameters) : nullptr;
    info.nShow = SW_SHOWNORMAL;
    if (process) {
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.hwnd = gHooks.ownerWindow ? gHooks.ownerWindow() : nullptr;
    } else {
        info.fMask = SEE_MASK_WAITFORINPUTIDLE | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    }
    if (!ShellExecuteExW(&info))
        return ResultFromSystemError(GetLastError());
    if (process)
        *process = KernelHandle(info.hProcess);
    return kResultOk;
}

const char16_t* ElevatedVerb() {
    return IsProcessElevated() ? u"open" : u"runas";
}

} // namespace

Result ShellLaunch(const char16_t* file, const char16_t* parameters, bool wait,
                   const char16_t* verb) {
    if (!wait)
        return Launch(file, parameters, verb, nullptr);
    KernelHandle process;
    const Result result = Launch(file, parameters, verb, &process);
    return result == kResultOk ? WaitForLaunched(&process) : result;
}

Result ShellLaunchElevated(const char16_t* file, const char16_t* parameters) {
    return ShellLaunch(file, parameters, true, ElevatedVerb());
}

Result ShellLaunchElevatedStart(const char16_t* file, const char16_t* parameters,
                                KernelHandle* process) {
    if (!process)
        return kResultNullOutput;
    *process = KernelHandle();
    return Launch(file, parameters, ElevatedVerb(), process);
}

Result ShellLaunchStart(const char16_t* file, const char16_t* parameters, KernelHandle* process) {
    if (!process)
        return kResultNullOutput;
    *process = KernelHandle();
    return Launch(file, parameters, u"open", process);
}

Result ShellLaunchStartIn(InstallScope scope, const char16_t* file, const char16_t* parameters,
                          KernelHandle* process) {
    return scope == InstallScope::User ? ShellLaunchStart(file, parameters, process)
                                       : ShellLaunchElevatedStart(file, parameters, process);
}

Result WaitForLaunched(KernelHandle* process) {
    Result exitCode = kResultOk;
    (void)WaitForLaunched(process, INFINITE, &exitCode);
    return exitCode;
}

Result WaitForLaunched(KernelHandle* process, uint32_t milliseconds, Result* exitCode) {
    if (exitCode)
        *exitCode = kResultOk;
    if (!process || !*process)
        return kResultOk;
    if (WaitForSingleObject(process->get(), milliseconds) == WAIT_TIMEOUT)
        return kResultTimedOut;
    const KernelHandle owned = std::move(*process);
    DWORD code = 0;
    if (exitCode && GetExitCodeProcess(owned.get(), &code))
        *exitCode = Result(code);
    return kResultOk;
}

} // namespace vorn
