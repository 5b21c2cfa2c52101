#include "VornLib/app/ShellLaunch.h"

#include <shellapi.h>

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

Result ShellLaunch(const char16_t* file, const char16_t* parameters, bool wait,
                   const char16_t* verb) {
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
    if (wait) {
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.hwnd = gHooks.ownerWindow ? gHooks.ownerWindow() : nullptr;
    } else {
        info.fMask = SEE_MASK_WAITFORINPUTIDLE | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    }
    if (!ShellExecuteExW(&info))
        return ResultFromSystemError(GetLastError());
    if (!wait)
        return kResultOk;
    const KernelHandle process(info.hProcess);
    if (!process)
        return kResultOk;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode))
        return kResultOk;
    return Result(exitCode);
}

Result ShellLaunchElevated(const char16_t* file, const char16_t* parameters) {
    return ShellLaunch(file, parameters, true, IsProcessElevated() ? u"open" : u"runas");
}

} // namespace vorn
