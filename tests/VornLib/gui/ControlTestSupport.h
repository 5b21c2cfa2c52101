// Shared by the control tests: the common controls initialised as a program's
// entry does, a preferences store over a test registry key, and a shown main
// window made from an XML description, which records the commands it gets.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/gui/Window.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

#include <commctrl.h>

namespace vorn {

// The main window of the tests: keeps every command it receives (menu items,
// accelerators and buttons; not the notifications of its controls).
class RecordingWindow : public Window {
public:
    std::vector<WPARAM> commands;

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override {
        if (message == WM_COMMAND && w < 0x20000)
            commands.push_back(w);
        return Window::handleMessage(message, w, l, result);
    }
};

// Runs the thread's messages for about `milliseconds`.
inline void PumpMessages(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (int32_t(end - GetTickCount()) > 0);
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

    static void SetUpTestSuite() {
        using Function = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto initialize =
            SystemFunction<Function>(SystemLibraryId::Comctl32, "InitCommonControlsEx");
        INITCOMMONCONTROLSEX controls = {sizeof controls, 0x46FF};
        ASSERT_TRUE(initialize && initialize(&controls));
        WindowSystem::Instance().setApplicationName(u"VornControlTests");
    }

    static void DeletePreferencesKey() {
        RegistryKey software;
        if (software.open(kRegistryCurrentUser, u"Software") == kResultOk)
            (void)software.deleteSubkeyTree(u"VornLib Control Test");
    }

protected:
    void SetUp() override {
        DeletePreferencesKey();
        preferences_.reset(new PreferencesStore(&storage_, nullptr, kPreferencesKey));
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
        window_.reset(new RecordingWindow);
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
