// EditControl: what the edit box ("Edit") and the rich edit ("RichEdit20W")
// share. Their words: "ReadOnly" (which also clears "WantReturn"),
// "WantReturn", "Password", "Case" ("Upper" or "Lower") and
// "HorizontalAlign" ("Left", "Center" or "Right"), each other word failing
// with 5; "TextColor"; and "OnReturn", a command that Return runs: the key
// is swallowed and the command posted to the parent as WM_COMMAND whose
// second parameter is the control's handle, as a button's click would be.
// Such a control asks its dialog for every key while Return is pending, and
// a multi-line one keeps its caret where it was when it gets the focus. A
// read-only one leaves Tab, Return and Escape to its window.
#pragma once

#include "VornLib/gui/SystemControl.h"

namespace vorn {

class EditControl : public SystemControl {
public:
    // The name identifier of the "OnReturn" command; 0 for none.
    uint16_t returnCommand() const { return returnCommand_; }

protected:
    explicit EditControl(const wchar_t* className) : SystemControl(className) {}

    // The shared words above (the first failure ends the reading).
    Result readEditAttributes(const XmlNode& element);
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

private:
    uint16_t returnCommand_ = 0;
};

} // namespace vorn
