// Controls made for real, for the control tests: the common controls
// initialised as a program's entry does, a main window read from a
// description and shown on the screen (Xvfb) that records the commands it
// gets, and the platform's view of the controls read back. Two ways to hold
// the window: Host, a dialog-like window around a few controls, and the
// ControlTest fixture, a described main window beside a preferences store
// over a test registry key.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/gui/LayoutExpression.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/MessageLoop.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

// After the gate to <windows.h>, which it needs.
#include <commctrl.h>

namespace vorn {

// What the process entry does for a program: the common controls' classes,
// and a name for the framework's window classes.
inline bool PrepareControls() {
    static const bool prepared = [] {
        WindowSystem::Instance().setApplicationName(u"VornControlTests");
        return InitializeCommonControls();
    }();
    return prepared;
}

// Runs the thread's messages for about `milliseconds`, as the program's loop
// does.
inline void PumpMessages(DWORD milliseconds = 100) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchToWindows(&message);
        Sleep(5);
    } while (int32_t(end - GetTickCount()) > 0);
}

// The main window of the tests: keeps every command it receives (menu items,
// accelerators and buttons, code 0 or 1; not the notifications of its
// controls) with its second parameter.
class RecordingWindow : public MainWindow {
public:
    struct Command {
        WPARAM w;
        LPARAM l;
    };
    std::vector<Command> commands;

    std::vector<WPARAM> commandWords() const {
        std::vector<WPARAM> words;
        for (const Command& command : commands)
            words.push_back(command.w);
        return words;
    }

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override {
        if (message == WM_COMMAND && HIWORD(w) <= 1)
            commands.push_back({w, l});
        return MainWindow::handleMessage(message, w, l, result);
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

// A host window with the given children, read, created and shown.
class Host {
public:
    explicit Host(const std::string& children, const std::string& attributes = "")
        : description_("<Window Type=\"MainDialogBox\" Title=\"Controls\" Font=\"{Default}\" "
                       "Left=\"20\" Top=\"20\" Width=\"600\" Height=\"440\" " +
                       attributes + ">" + children + "</Window>") {
        PrepareControls();
        EXPECT_EQ(0u, description_.parsed);
        read = window.readDescription(description_.root());
        if (read == kResultOk)
            created = window.create();
        if (window.handle()) {
            ShowWindow(window.handle(), SW_SHOW);
            UpdateWindow(window.handle());
            PumpMessages(50);
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

    RecordingWindow window;
    Result read = kResultFailed;
    Result created = kResultFailed;

private:
    Description description_;
};

// A control kind read alone from its element, as a parent reads its child.
template <typename Kind> Result ReadAlone(const std::string& xml) {
    PrepareControls();
    Description description(xml);
    EXPECT_EQ(0u, description.parsed) << xml;
    Kind control;
    return control.readDescription(description.root());
}

inline String ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return String(Units(name));
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

// Presses and releases keys in order (held together), through the system's
// input queue.
inline void PressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    for (INPUT& input : inputs) {
        SendInput(1, &input, sizeof input);
        Sleep(20);
    }
}

// A left click at a point of the screen, through the system's input queue.
inline void ClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    PumpMessages(50);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &inputs[0], sizeof(INPUT));
    PumpMessages(50);
    SendInput(1, &inputs[1], sizeof(INPUT));
    PumpMessages(150);
}

class ControlTest : public ::testing::Test {
public:
    static constexpr const char16_t* kPreferencesKey = u"Software\\VornLib Control Test\\";

    static void SetUpTestSuite() { ASSERT_TRUE(PrepareControls()); }

    static void DeletePreferencesKey() {
        RegistryKey software;
        if (software.open(kRegistryCurrentUser, u"Software") == kResultOk)
            (void)software.deleteSubkeyTree(u"VornLib Control Test");
    }

protected:
    void SetUp() override {
        DeletePreferencesKey();
        preferences_ = std::make_unique<PreferencesStore>(&storage_, nullptr, kPreferencesKey);
        WindowSystem::Instance().setPreferences(preferences_.get());
    }

    void TearDown() override {
        closeWindow();
        WindowSystem::Instance().setPreferences(nullptr);
        preferences_.reset();
        DeletePreferencesKey();
    }

    // Reads `description` (UTF-8 XML whose root is the main window), creates
    // and shows it; the result of reading or creating.
    Result show(const char* description) {
        closeWindow();
        const Result parsed =
            document_.parse(description, uint32_t(std::strlen(description)), u"test");
        if (parsed != kResultOk)
            return parsed;
        window_ = std::make_unique<RecordingWindow>();
        Result result = window_->readDescription(document_.root());
        if (result == kResultOk)
            result = window_->create();
        if (result != kResultOk)
            return result;
        WindowSystem::Instance().setMainWindow(window_.get());
        ShowWindow(window_->handle(), SW_SHOWNORMAL);
        SetForegroundWindow(window_->handle());
        UpdateWindow(window_->handle());
        PumpMessages(200);
        return kResultOk;
    }

    // Reads a lone control of a kind from `description` (its root), without
    // creating it: the reading result.
    template <typename Kind> Result readAlone(const char* description, Kind* control) {
        XmlDocument document;
        const Result parsed =
            document.parse(description, uint32_t(std::strlen(description)), u"test");
        return parsed != kResultOk ? parsed : control->readDescription(document.root());
    }

    void closeWindow() {
        if (window_) {
            WindowSystem::Instance().setMainWindow(nullptr);
            window_->destroy();
            window_.reset();
            // The main window's end posted a quit message; it is not for us.
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            }
        }
    }

    template <typename Kind = Window> Kind* control(const char16_t* name) const {
        return static_cast<Kind*>(window_ ? window_->child(name) : nullptr);
    }
    HWND handleOf(const char16_t* name) const {
        Window* found = control(name);
        return found ? found->handle() : nullptr;
    }

    RecordingWindow* window() const { return window_.get(); }
    PreferencesStore* preferences() const { return preferences_.get(); }

private:
    RegistryPreferenceStorage storage_;
    std::unique_ptr<PreferencesStore> preferences_;
    XmlDocument document_;
    std::unique_ptr<RecordingWindow> window_;
};

} // namespace vorn
