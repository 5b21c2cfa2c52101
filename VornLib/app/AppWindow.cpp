#include "VornLib/app/AppWindow.h"

#include "VornLib/app/AppRuntime.h"

namespace vorn {

String ProgramWindowClassName(const String& programName) {
    return programName + u"::Window";
}

Result RegisterProgramWindowClass(WNDPROC procedure, int background, String* className) {
    *className = ProgramWindowClassName(AppRuntime::instance().description().name);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(128));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = HBRUSH(INT_PTR(background) + 1);
    windowClass.lpszClassName = Wide(className->data());
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return ResultFromSystemError(GetLastError());
    return kResultOk;
}

} // namespace vorn
