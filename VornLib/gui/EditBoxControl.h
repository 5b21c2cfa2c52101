// EditBoxControl: the platform's "Edit" class, a member of the static family.
// Return may run a command: with "OnReturn" the key is swallowed and the
// command posted to the parent as WM_COMMAND whose second parameter is the
// box's handle, as a button's click would be.
#pragma once

#include "VornLib/gui/StaticControl.h"

namespace vorn {

class EditBoxControl : public StaticControl {
public:
    EditBoxControl();

    // The name identifier of the "OnReturn" command; 0 for none.
    uint16_t returnCommand() const { return returnCommand_; }
    String text() const;
    void setText(const String& text);

protected:
    const wchar_t* systemClassName() const override { return L"Edit"; }
    // 5 for an unknown "Case" word.
    Result readAttributes(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

private:
    uint16_t returnCommand_ = 0;
};

} // namespace vorn
