// What the runtime needs of a program's main window: its platform window's
// life (create, show, close) and, for a window of the framework, the
// MainWindow whose hooks it calls (the frame's work, idleness, the start,
// documents to open). A program may also supply a plain Win32 window, which
// has no hooks.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32.h"

namespace vorn {

class MainWindow;

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
    // The framework window behind it; null for a plain Win32 window.
    virtual MainWindow* mainWindow() { return nullptr; }
};

// "<program name>::Window": the class of a program's plain main window, by
// which a second instance finds the first.
String ProgramWindowClassName(const String& programName);

} // namespace vorn
