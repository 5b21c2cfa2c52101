// MainWindow: a program's main window, the one window the runtime drives.
// Beside being a window it does the frame's work (update, with the seconds
// since the last frame), answers whether it is idle (so the main loop may
// block in the message wait), is told when the program has started, opens
// the documents the command line names, and receives the data other
// processes send to any framework window of the program (WM_COPYDATA).
// Extend it for a program's main window; the runtime makes a plain one when
// the program names a described "MainWindow" and supplies no kind of its own.
#pragma once

#include <vector>

#include "VornLib/gui/Window.h"

namespace vorn {

class MainWindow : public Window {
public:
    virtual void update(float) {}
    virtual bool isIdle() { return true; }
    virtual void started() {}
    virtual void openDocuments(const std::vector<String>&) {}
    // True when the data was used.
    virtual bool receiveCopyData(HWND, const COPYDATASTRUCT&) { return false; }
};

} // namespace vorn
