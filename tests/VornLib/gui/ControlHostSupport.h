// Controls made for real: a top-level host window read from a description
// whose children are the controls under test, created on the screen (Xvfb),
// and read back through the platform. The host records the commands it gets.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/gui/LayoutExpression.h"
#include "VornLib/gui/Window.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

// After the gate to <windows.h>, which it needs.
#include <commctrl.h>

namespace vorn {
namespace controltest {

// What the process entry does for a program: the common controls' classes.
inline void PrepareProcess() {
    static const bool prepared = [] {
        using Function = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto initialize =
            SystemFunction<Function>(SystemLibraryId::Comctl32, "InitCommonControlsEx");
        INITCOMMONCONTROLSEX controls = {sizeof controls, 0x46FF};
        if (initialize)
            initialize(&controls);
        WindowSystem::Instance().setApplicationName(u"VornControlTests");
        return true;
    }();
    (void)prepared;
}

// Runs the thread's messages for a while.
inline void Pump(DWORD milliseconds = 100) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (int32_t(end - GetTickCount()) > 0);
}

struct Command {
    WPARAM w;
    LPARAM l;
};

class HostWindow : public Window {
public:
    std::vector<Command> commands;

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override {
        // Commands only: code 0 (menu, button) or 1 (accelerator), not notifications.
        if (message == WM_COMMAND && HIWORD(w) <= 1)
            commands.push_back({w, l});
        return Window::handleMessage(message, w, l, result);
    }
};

// One XML element (UTF-8 text) read as a document.
struct Description {
    XmlDocument document;
    Result parsed;
    explicit Description(const std::string& xml)
        : parsed(document.parse(xml.data(), uint32_t(xml.size()), u"test")) {}
    const XmlNode* root() const { return document.root(); }
};

// A host window with the given children, read and created.
class Host {
public:
    explicit Host(const std::string& children, const std::string& attributes = "")
        : description_("<Window Type=\"MainDialogBox\" Title=\"Controls\" Font=\"{Default}\" "
                       "Left=\"20\" Top=\"20\" Width=\"600\" Height=\"440\" " +
                       attributes + ">" + children + "</Window>") {
        PrepareProcess();
        EXPECT_EQ(0u, description_.parsed);
        read = window.readDescription(description_.root());
        if (read == kResultOk)
            created = window.create();
        if (window.handle()) {
            ShowWindow(window.handle(), SW_SHOW);
            UpdateWindow(window.handle());
            Pump(50);
        }
    }
    ~Host() { window.destroy(); }

    template <typename Kind = Window> Kind* control(const char16_t* name) {
        return dynamic_cast<Kind*>(window.child(name));
    }
    HWND handle(const char16_t* name) {
        Window* child = window.child(name);
        return child ? child->handle() : nullptr;
    }

    HostWindow window;
    Result read = kResultFailed;
    Result created = kResultFailed;

private:
    Description description_;
};

// A control kind read alone from its element, as a parent reads its child.
template <typename Kind> Result ReadAlone(const std::string& xml) {
    PrepareProcess();
    Description description(xml);
    EXPECT_EQ(0u, description.parsed) << xml;
    Kind control;
    return control.readDescription(description.root());
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}
inline uint32_t StyleOf(HWND window) {
    return uint32_t(GetWindowLongW(window, GWL_STYLE));
}
inline uint32_t ExtendedStyleOf(HWND window) {
    return uint32_t(GetWindowLongW(window, GWL_EXSTYLE));
}
inline SIZE SizeOf(HWND window) {
    RECT rectangle = {};
    GetWindowRect(window, &rectangle);
    return {rectangle.right - rectangle.left, rectangle.bottom - rectangle.top};
}
inline std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}
// Dialog units of the control's parent, in pixels.
inline int32_t VerticalUnits(const Window& control, int32_t units) {
    return DialogUnitsToPixels(units, control.parentWindow()->verticalBase(), 8);
}

// The colour the screen shows at a point of a window's client area.
inline COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

} // namespace controltest
} // namespace vorn
