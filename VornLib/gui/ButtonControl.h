// ButtonControl: the platform's "Button" class as push button, check box and
// group box. A click reaches the parent the platform's own way, as WM_COMMAND
// with the button's name identifier (its control identifier) and code 0, so a
// button named after a command runs that command. A button may carry a
// picture, and a child "Menu" element makes it a split button whose arrow
// opens that menu: the element is kept for the menus code.
#pragma once

#include "VornLib/gui/PictureBitmap.h"
#include "VornLib/gui/Window.h"

namespace vorn {

class ButtonControl : public Window {
public:
    ButtonControl() : ButtonControl(BS_PUSHBUTTON) {}

    // The "ID" of the split button's "Menu" element (empty for none) and the
    // element itself, valid while the description it was read from lives.
    bool isSplitButton() const { return menuElement_ != nullptr; }
    const String& menuName() const { return menuName_; }
    const XmlNode* menuElement() const { return menuElement_; }

    bool isChecked() const;
    void setChecked(bool checked);

protected:
    // `kind`: the BS_ type of the element ("Button", "CheckBox", "GroupBox").
    explicit ButtonControl(uint32_t kind);

    const wchar_t* systemClassName() const override { return L"Button"; }
    // "Type" (5 unless "DefaultButton" or "PushCheckButton"),
    // "HorizontalAlign", "Picture".
    Result readType(const String& type) override;
    Result readAttributes(const XmlNode& element) override;
    // Only one "Menu" element; any other child fails with 39.
    Result readChildren(const XmlNode& element) override;
    void created() override;

private:
    void setButtonType(uint32_t type);

    PictureBitmap picture_;
    String menuName_;
    const XmlNode* menuElement_ = nullptr;
};

class CheckBoxControl : public ButtonControl {
public:
    CheckBoxControl();
};

class GroupBoxControl : public ButtonControl {
public:
    GroupBoxControl();
};

} // namespace vorn
