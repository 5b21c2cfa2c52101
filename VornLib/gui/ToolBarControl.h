// ToolBarControl: the "ToolBar" element, a system toolbar of "Button" and
// "Separator" children. A button is known by its command name ("ID"): a
// click sends that command to the toolbar's parent exactly as a menu item
// does. Buttons may check ("CheckButton"), check one of a group
// ("RadioButton") or drop down a menu ("Menu", whose child "Menu" element
// names it); the drop-down itself is opened by whoever the toolbar's
// drop-down handler is. "Type"="Menu" makes the toolbar a menu bar (text
// only); "Pictures" names the image strip and "Menu" a menu of the toolbar.
#pragma once

#include <vector>

#include "VornLib/gui/PictureImageList.h"
#include "VornLib/gui/Window.h"

namespace vorn {

enum class ToolButtonKind : uint8_t { Push, Check, Radio, Menu, Separator };

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

class ToolBarControl : public Window {
public:
    // Opens the drop-down of `button` below `screenArea`, the button's
    // rectangle on the screen.
    using DropDownHandler = void (*)(ToolBarControl& toolBar, const ToolButton& button,
                                     const RECT& screenArea);

    ToolBarControl();

    bool isMenuBar() const { return menuBar_; }
    const String& menuName() const { return menuName_; }
    const std::vector<ToolButton>& buttons() const { return buttons_; }
    // The button of a command; null when the toolbar has none.
    const ToolButton* button(uint16_t command) const;
    void setDropDownHandler(DropDownHandler handler) { dropDown_ = handler; }
    // Without a handler, a drop-down opens the "Menu" description its button
    // names, below the button.
    void openMenu(const ToolButton& button, const RECT& area);

protected:
    Result readType(const String& type) override;
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode& element) override;
    const wchar_t* systemClassName() const override { return L"ToolbarWindow32"; }
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;

private:
    Result readButton(const XmlNode& element);

    std::vector<ToolButton> buttons_;
    PictureImageList pictures_;
    String menuName_;
    DropDownHandler dropDown_ = nullptr;
    bool menuBar_ = false;
};

} // namespace vorn
