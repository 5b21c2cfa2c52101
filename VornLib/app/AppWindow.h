// What the runtime needs of a program's main window. The window framework
// implements it; a program may also supply a plain Win32 window.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32.h"

namespace vorn {

class AppWindow {
public:
    virtual ~AppWindow() = default;
    // Creates the system window (hidden).
    virtual Result create() = 0;
    virtual void show(bool activate) = 0;
    // Closes and destroys the system window.
    virtual void close() = 0;
    // Null when there is no system window (any more).
    virtual HWND handle() const = 0;
    virtual void update(float) {}
    virtual bool isIdle() { return true; }
    virtual void openDocuments(const std::vector<String>&) {}
    virtual void onStarted() {}
    // True when the window consumed the message before translation.
    virtual bool preTranslate(MSG*) { return false; }
};

// "<program name>::Window": the class of a program's plain main window, by
// which a second instance finds the first.
String ProgramWindowClassName(const String& programName);

// Registers the class of a program's plain main window, "<program name>::Window",
// with the program's icon (resource 128), the arrow cursor and the system
// colour `background`; registering it again is no error. `className` receives
// the name.
Result RegisterProgramWindowClass(WNDPROC procedure, int background, String* className);

} // namespace vorn
