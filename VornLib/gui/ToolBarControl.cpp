#include "VornLib/gui/ToolBarControl.h"

#include "VornLib/core/DescriptionChildren.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/Menu.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

// Any other "Type" is a push button.
String Localized(const XmlNode& element, const char16_t* attribute) {
    String text;
    return element.getAttribute(attribute, &text) == kResultOk ? vorn::Localized(text.data())
                                                               : String();
}

BYTE ButtonStyle(const ToolButton& button) {
    switch (button.kind) {
    case ToolButtonKind::Check:
        return BTNS_CHECK;
    case ToolButtonKind::Radio:
        return BTNS_CHECKGROUP;
    case ToolButtonKind::Menu:
        return BTNS_DROPDOWN;
    case ToolButtonKind::Separator:
        return BTNS_SEP;
    default:
        return BTNS_BUTTON;
    }
}

} // namespace

ToolBarControl::ToolBarControl() : SystemControl(L"ToolbarWindow32") {
    setStyle(style() | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
             CCS_NORESIZE | CCS_NOPARENTALIGN);
}

Result ToolBarControl::readType(const String& type) {
    const bool* menuBar = FindWord(kToolBarTypes, type);
    if (!menuBar)
        return kResultInvalidArgument;
    menuBar_ = *menuBar;
    return kResultOk;
}

Result ToolBarControl::readAttributes(const XmlNode& element) {
    const Result result = pictures_.read(element);
    if (result != kResultOk)
        return result;
    (void)element.getAttribute(u"Menu", &menuName_);
    setDefaultHeight(0, 14);
    return kResultOk;
}

Result ToolBarControl::readChildren(const XmlNode& element) {
    return ReadChildElements(element, {u"Separator", u"Button"}, [this](const XmlNode& node) {
        if (node.name() == u"Button")
            return readButton(node);
        ToolButton separator;
        separator.kind = ToolButtonKind::Separator;
        buttons_.push_back(separator);
        return kResultOk;
    });
}

Result ToolBarControl::readButton(const XmlNode& element) {
    ToolButton button;
    String text;
    if (element.getAttribute(u"ID", &text) == kResultOk)
        button.command = WindowNameId(text);
    (void)element.getAttributeInt32(u"PictureIndex", &button.picture);
    if (!element.findAttribute(u"PictureIndex"))
        button.picture = -1;
    button.text = Localized(element, u"Text");
    button.tooltip = Localized(element, u"Tooltip");
    button.help = Localized(element, u"Help");
    (void)element.getAttributeBoolean(u"Enabled", &button.enabled, true);
    (void)ReadWord(element, u"Type", kToolButtonKinds, &button.kind);
    if (button.kind == ToolButtonKind::Menu) {
        for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
            if (node->isElement() && node->name() == u"Menu" &&
                node->getAttribute(u"ID", &button.menu) != kResultOk)
                (void)node->getText(&button.menu);
        }
    }
    buttons_.push_back(button);
    return kResultOk;
}

const ToolButton* ToolBarControl::button(uint16_t command) const {
    for (const ToolButton& button : buttons_) {
        if (button.kind != ToolButtonKind::Separator && button.command == command)
            return &button;
    }
    return nullptr;
}

void ToolBarControl::created() {
    HWND bar = handle();
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0,
                 TBSTYLE_EX_DRAWDDARROWS | (menuBar_ ? 0 : TBSTYLE_EX_MIXEDBUTTONS));
    SendMessageW(bar, TB_SETIMAGELIST, 0, LPARAM(menuBar_ ? nullptr : pictures_.handle()));
    std::vector<TBBUTTON> platform(buttons_.size());
    for (size_t index = 0; index < buttons_.size(); ++index) {
        const ToolButton& button = buttons_[index];
        TBBUTTON& entry = platform[index];
        entry.iBitmap = menuBar_ || button.picture < 0 ? I_IMAGENONE : button.picture;
        entry.idCommand = button.kind == ToolButtonKind::Separator ? 0 : button.command;
        entry.fsState = button.enabled ? TBSTATE_ENABLED : 0;
        entry.fsStyle =
            BYTE(ButtonStyle(button) | BTNS_AUTOSIZE | (button.text.isEmpty() ? 0 : BTNS_SHOWTEXT));
        entry.iString = button.text.isEmpty() ? -1 : INT_PTR(Wide(button.text.data()));
    }
    if (!platform.empty())
        SendMessageW(bar, TB_ADDBUTTONSW, platform.size(), LPARAM(platform.data()));
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
}

bool ToolBarControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == WM_NOTIFY && l) {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(l);
        if (header.hwndFrom == handle() && header.code == TBN_GETINFOTIPW) {
            auto& tip = *reinterpret_cast<NMTBGETINFOTIPW*>(l);
            const ToolButton* found = button(uint16_t(tip.iItem));
            if (found && tip.pszText && tip.cchTextMax > 0)
                lstrcpynW(tip.pszText, Wide(found->tooltip.data()), tip.cchTextMax);
            *result = 0;
            return true;
        }
        if (header.hwndFrom == handle() && header.code == TBN_DROPDOWN) {
            const auto& drop = *reinterpret_cast<const NMTOOLBARW*>(l);
            const ToolButton* found = button(uint16_t(drop.iItem));
            if (found) {
                RECT area = drop.rcButton;
                MapWindowPoints(handle(), nullptr, reinterpret_cast<POINT*>(&area), 2);
                openMenu(*found, area);
            }
            *result = TBDDRET_DEFAULT;
            return true;
        }
    }
    return SystemControl::handleMessage(message, w, l, result);
}

void ToolBarControl::openMenu(const ToolButton& button, const RECT& area) {
    Menu menu;
    if (button.menu.isEmpty() || menu.load(button.menu.data()) != kResultOk)
        return;
    const uint16_t chosen = menu.track(this, {area.left, area.bottom}, &area);
    // The chosen item goes where the toolbar's buttons send their commands.
    if (chosen && GetParent(handle()))
        PostMessageW(GetParent(handle()), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

} // namespace vorn
