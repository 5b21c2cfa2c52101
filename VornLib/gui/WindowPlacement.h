// WindowPlacement: where the user left a top-level window, kept in the
// preferences store under the path its "Position" names. The stored values
// are loaded into the window's computed edges when the description is read,
// the restored rectangle is recorded on every move and resize while the
// window is neither minimised nor maximised, and both are saved when it is
// destroyed. Beside it, the two placements the framework makes itself:
// keeping a window on the screen and centring it.
#pragma once

#include "VornLib/core/String.h"
#include "VornLib/core/Win32.h"
#include "VornLib/gui/WindowRecord.h"

namespace vorn {

class WindowPlacement {
public:
    // The preferences path; empty: nothing is loaded or saved.
    const String& path() const { return path_; }
    void setPath(const String& path) { path_ = path; }
    // Whether the window was maximised when it was last saved.
    bool wasMaximized() const { return wasMaximized_; }

    // "/Maximized" and the stored edges, each present one becoming that
    // edge's computed value.
    void load(WindowRecord& window);
    // The rectangle while neither minimised nor maximised.
    void record(int32_t left, int32_t top, int32_t width, int32_t height);
    // "/Maximized" for a window with a maximise box (not in quiet mode), and
    // the restored rectangle when one was recorded.
    void save(HWND window, bool hasMaximizeBox);

private:
    String path_;
    int32_t restoredLeft_ = 0;
    int32_t restoredTop_ = 0;
    int32_t restoredWidth_ = 640;
    int32_t restoredHeight_ = 480;
    bool recorded_ = false;
    bool wasMaximized_ = false;
};

// Moves the window (never resizing it) so that it lies on the work area of
// its monitor, or on the virtual screen, with at least 32 pixels of it
// reachable.
void KeepWindowOnScreen(HWND window, bool perMonitor);
// Centres the window: a child in its parent's client area, a top-level
// window on its owner or on the desktop.
void CentreWindow(HWND window);

} // namespace vorn
