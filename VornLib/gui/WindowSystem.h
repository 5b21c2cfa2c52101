// WindowSystem: what the window framework needs of the program around it,
// set by the runtime before the first window is made (the preferences store,
// the main window and its exit code; the name for the window classes and quiet
// mode come from the application identity), and the framework's own
// process-wide window state: the one slot through which a window being
// created meets its first messages, and the taskbar button's list object.
#pragma once

#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

struct ITaskbarList3;

namespace vorn {

class MainWindow;
class Window;

class WindowSystem {
public:
    static WindowSystem& Instance();

    // The program's name and quiet mode are the application identity's.
    const String& applicationName() const;
    void setApplicationName(const String& name);
    bool quiet() const;
    // Null: placements are neither loaded nor saved.
    PreferencesStore* preferences() const { return preferences_; }
    void setPreferences(PreferencesStore* store) { preferences_ = store; }

    // The main window posts the quit message with the exit code when it is
    // destroyed, and receives WM_COPYDATA sent to any framework window.
    MainWindow* mainWindow() const { return mainWindow_; }
    void setMainWindow(MainWindow* window) { mainWindow_ = window; }
    int32_t exitCode() const { return exitCodeSource_ ? exitCodeSource_() : 0; }
    void setExitCodeSource(int32_t (*source)()) { exitCodeSource_ = source; }

    // "<application name>::Window" or "::Dialog", registered on first use;
    // 14 when the platform knows the name as a system class.
    Result windowClass(bool dialog, String* name);

    // The window being created, handed to the window procedure with the
    // first message of its new handle; one at a time.
    void publishCreating(Window* window) { creating_ = window; }
    Window* takeCreating();

    // The registered "TaskbarButtonCreated" message.
    UINT taskbarButtonCreated() const { return taskbarButtonCreated_; }
    // Makes a new taskbar list object (Windows 7 and later); none on failure.
    void renewTaskbarList();
    ITaskbarList3* taskbarList() const { return taskbarList_.get(); }
    // The main window lets it go when it ends, while COM is still there.
    void releaseTaskbarList();

private:
    WindowSystem();

    PreferencesStore* preferences_ = nullptr;
    MainWindow* mainWindow_ = nullptr;
    Window* creating_ = nullptr;
    int32_t (*exitCodeSource_)() = nullptr;
    ComPointer<ITaskbarList3> taskbarList_;
    UINT taskbarButtonCreated_ = 0;
    bool windowClassRegistered_ = false;
    bool dialogClassRegistered_ = false;
};

LRESULT CALLBACK FrameworkWindowProcedure(HWND handle, UINT message, WPARAM w, LPARAM l);

} // namespace vorn
