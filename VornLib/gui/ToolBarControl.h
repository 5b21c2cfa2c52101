// ToolBarControl: the "ToolBar" element, a system toolbar of "Button" and
// "Separator" children. A button is known by its command name ("ID"): a
// click sends that command to the toolbar's parent exactly as a menu item
// does. Buttons may check ("CheckButton"), check one of a group
// ("RadioButton") or drop down a menu ("Menu", whose child "Menu" element
// names it), opened below the button. "Type"="Menu" makes the toolbar a menu
// bar (text only); "Pictures" names the image strip and "Menu" a menu of the
// toolbar.
#pragma once

#include <vector>

#include "VornLib/gui/PictureImageList.h"
#include "VornLib/gui/SystemControl.h"

namespace vorn {

struct ToolButton {
    ToolButtonKind kind = ToolButtonKind::Push;
    uint16_t command = 0xFFFF; // the name identifier of "ID"
    int32_t picture = -1;
    String text;
    String tooltip;
    String help;
    String menu; // the drop-down's menu name
    bool enabled = true;
};

class ToolBarControl : public SystemControl {
public:
    ToolBarControl();

    bool isMenuBar() const { return menuBar_; }
    const String& menuName() const { return menuName_; }
    const std::vector<ToolButton>& buttons() const { return buttons_; }
    // The button of a command; null when the toolbar has none.
    const ToolButton* button(uint16_t command) const;
    // Opens the "Menu" description `button` names below `area`, the
    // button's rectangle on the screen; the chosen command goes to the
    // toolbar's parent.
    void openMenu(const ToolButton& button, const RECT& area);

protected:
    Result readType(const String& type) override;
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;

private:
    Result readButton(const XmlNode& element);

    std::vector<ToolButton> buttons_;
    PictureImageList pictures_;
    String menuName_;
    bool menuBar_ = false;
};

} // namespace vorn
