// Keyboard navigation among the controls of a top-level framework window, as
// dialog boxes have it, so that every window can be used without a mouse:
// - Tab and Shift+Tab move the focus through the visible, enabled tab stops in
//   the order the controls were made, into pages and panels; a tab control is
//   a stop of its own before the controls of its selected page, and a group of
//   radio buttons is entered at its ticked one. An edit box gets the focus
//   with its text selected.
// - The arrow keys move within a group (from one control with "FirstOfGroup"
//   to the next), unless the focused control uses them itself.
// - Ctrl+Tab and Ctrl+Shift+Tab (Ctrl+PageDown, Ctrl+PageUp) select the next
//   and the previous tab of the tab control that holds the focus, or of the
//   window's first one.
// - An access key (AccessKeys.h), with Alt or alone where the focused control
//   takes no characters, presses that button or ticks that box; on a label it
//   moves the focus to the control after the label.
// - In a dialog (dialogs and "MainDialogBox" windows), Return presses the
//   focused push button, else the default one, and Escape is the window's
//   cancel command: WM_COMMAND with IDCANCEL, which a plain window answers as
//   its close button.
// A control that asks for a key (WM_GETDLGCODE) keeps it. The focus and the
// access keys are shown (WM_CHANGEUISTATE) once the keyboard is used. Keys
// that reach the window while no control has the focus are answered as if
// the window had it, so that Tab finds a control again.
#pragma once

#include <cstdint>

#include "VornLib/core/Win32.h"
#include "VornLib/gui/ControlWords.h"

namespace vorn {

// Handles `message` for the controls of `root` (a key message for `root` or a
// window inside it); true when the key was used.
bool NavigateByKeyboard(HWND root, KeyboardMode mode, MSG* message);

// The control inside `container` that takes the focus first: its visible,
// enabled default push button, else its first tab stop; null for none.
HWND InitialFocus(HWND container);

// Enables or disables `control`. A control disabled while it holds the focus
// would take the focus with it, leaving the keys to no control: the focus
// moves on to the next tab stop of its top-level window first.
void EnableControl(HWND control, bool enabled);

} // namespace vorn
