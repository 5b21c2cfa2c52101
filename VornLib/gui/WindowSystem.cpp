#include "VornLib/gui/WindowSystem.h"

#include <shobjidl.h>

#include <utility>

#include "VornLib/core/Result.h"
#include "VornLib/core/platform/ApplicationIdentity.h"

namespace vorn {

WindowSystem& WindowSystem::Instance() {
    static WindowSystem system;
    return system;
}

WindowSystem::WindowSystem()
    : taskbarButtonCreated_(RegisterWindowMessageW(L"TaskbarButtonCreated")) {}

const String& WindowSystem::applicationName() const {
    return CurrentApplication().name;
}

void WindowSystem::setApplicationName(const String& name) {
    ApplicationIdentity identity = CurrentApplication();
    identity.name = name;
    SetCurrentApplication(identity);
}

bool WindowSystem::quiet() const {
    return CurrentApplication().quiet;
}

Window* WindowSystem::takeCreating() {
    Window* window = creating_;
    creating_ = nullptr;
    return window;
}

Result WindowSystem::windowClass(bool dialog, String* name) {
    *name = applicationName() + (dialog ? u"::Dialog" : u"::Window");
    bool& registered = dialog ? dialogClassRegistered_ : windowClassRegistered_;
    if (registered)
        return kResultOk;
    WNDCLASSEXW known = {};
    known.cbSize = sizeof known;
    if (GetClassInfoExW(nullptr, Wide(name->data()), &known))
        return kResultAlreadyExists;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = FrameworkWindowProcedure;
    windowClass.cbWndExtra = dialog ? DLGWINDOWEXTRA : 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(128));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = Wide(name->data());
    if (!RegisterClassExW(&windowClass)) {
        const DWORD error = GetLastError();
        // Registered earlier by this module: it is ours to use.
        if (error != ERROR_CLASS_ALREADY_EXISTS)
            return ResultFromSystemError(error);
    }
    registered = true;
    return kResultOk;
}

void WindowSystem::renewTaskbarList() {
    taskbarList_.reset();
    ComPointer<ITaskbarList3> list;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                   list.receiveInterface())) &&
        list && SUCCEEDED(list->HrInit()))
        taskbarList_ = std::move(list);
}

void WindowSystem::releaseTaskbarList() {
    taskbarList_.reset();
}

} // namespace vorn
