// ButtonControl: the platform's "Button" class as push button, check box,
// radio button and group box. Radio buttons tick each other off within their
// group, which begins at the one marked "FirstOfGroup". A click reaches the parent the platform's
// own way, as WM_COMMAND with the button's name identifier (its control identifier) and code 0, so
// a button named after a command runs that command. A button may carry a picture, and a child
// "Menu" element makes it a split button whose arrow opens that menu below the button; the chosen
// command goes to the parent like a click.
#pragma once

#include <memory>

#include "VornLib/gui/Menu.h"
#include "VornLib/gui/PictureBitmap.h"
#include "VornLib/gui/SystemControl.h"

namespace vorn {

class ButtonControl : public SystemControl {
public:
    ButtonControl() : ButtonControl(BS_PUSHBUTTON) {}

    // The "ID" of the split button's "Menu" element (empty for none) and the
    // menu read from it.
    bool isSplitButton() const { return menu_ != nullptr; }
    const String& menuName() const { return menuName_; }
    Menu* menu() const { return menu_.get(); }
    // Opens the split button's menu below it and sends the chosen command to
    // the parent; 0 when nothing was chosen.
    uint16_t openMenu();

    bool isChecked() const;
    void setChecked(bool checked);

protected:
    // `kind`: the BS_ type of the element ("Button", "CheckBox", "RadioButton",
    // "GroupBox").
    explicit ButtonControl(uint32_t kind);

    // "Type" (5 unless "DefaultButton" or "PushCheckButton"),
    // "HorizontalAlign", "Picture".
    Result readType(const String& type) override;
    Result readAttributes(const XmlNode& element) override;
    // Only one "Menu" element; any other child fails with 39.
    Result readChildren(const XmlNode& element) override;
    void created() override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

private:
    void setButtonType(uint32_t type);

    PictureBitmap picture_;
    String menuName_;
    std::unique_ptr<Menu> menu_;
};

class CheckBoxControl : public ButtonControl {
public:
    CheckBoxControl();
};

class RadioButtonControl : public ButtonControl {
public:
    RadioButtonControl();
};

class GroupBoxControl : public ButtonControl {
public:
    GroupBoxControl();
};

} // namespace vorn
