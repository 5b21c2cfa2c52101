#include "VornLib/gui/ButtonControl.h"

#include <commctrl.h>

#include "VornLib/gui/ControlWords.h"

namespace vorn {
namespace {

// The BS_ type bits; the rest of the style is kept when the type changes.
constexpr uint32_t kButtonTypeMask = 0x0F;

} // namespace

ButtonControl::ButtonControl(uint32_t kind) : SystemControl(L"Button") {
    setStyle(style() | WS_TABSTOP | kind);
}

CheckBoxControl::CheckBoxControl() : ButtonControl(BS_AUTOCHECKBOX | WS_GROUP) {}

RadioButtonControl::RadioButtonControl() : ButtonControl(BS_AUTORADIOBUTTON) {}

GroupBoxControl::GroupBoxControl() : ButtonControl(BS_GROUPBOX) {
    // A frame around other controls is no stop of the tab key.
    setStyle(style() & ~uint32_t(WS_TABSTOP));
}

void ButtonControl::setButtonType(uint32_t type) {
    setStyle((style() & ~kButtonTypeMask) | type);
}

Result ButtonControl::readType(const String& type) {
    const ButtonType* kind = FindWord(kButtonTypes, type);
    if (!kind)
        return kResultInvalidArgument;
    if (*kind == ButtonType::DefaultButton) {
        setButtonType(BS_DEFPUSHBUTTON);
        setStyle(style() & ~uint32_t(BS_PUSHLIKE));
    } else {
        setButtonType(BS_AUTOCHECKBOX);
        setStyle(style() | BS_PUSHLIKE);
    }
    return kResultOk;
}

Result ButtonControl::readAttributes(const XmlNode& element) {
    uint32_t style = this->style();
    Result result = ApplyStyleWord(element, u"HorizontalAlign", kButtonAligns, &style);
    if (result != kResultOk)
        return result;
    setStyle(style);
    String text;
    if (element.getAttribute(u"Picture", &text) == kResultOk)
        result = picture_.load(text.data());
    return result;
}

Result ButtonControl::readChildren(const XmlNode& element) {
    for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
        if (!node->isElement())
            continue;
        if (node->name() != u"Menu" || menu_)
            return kResultKindMismatch;
        menu_ = std::make_unique<Menu>();
        const Result result = menu_->read(*node);
        if (result != kResultOk)
            return result;
        (void)node->getAttribute(u"ID", &menuName_);
        setButtonType(BS_SPLITBUTTON);
    }
    return kResultOk;
}

void ButtonControl::created() {
    if (picture_.bitmap)
        SendMessageW(handle(), BM_SETIMAGE, IMAGE_BITMAP, LPARAM(picture_.bitmap.get()));
}

uint16_t ButtonControl::openMenu() {
    if (!menu_ || !handle())
        return 0;
    RECT area = {};
    GetWindowRect(handle(), &area);
    const uint16_t chosen = menu_->track(this, {area.left, area.bottom}, &area);
    if (chosen && GetParent(handle()))
        PostMessageW(GetParent(handle()), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return chosen;
}

bool ButtonControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    // The split button's arrow, reflected from the parent.
    if (message == WM_NOTIFY && l && menu_) {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(l);
        if (header.hwndFrom == handle() && header.code == BCN_DROPDOWN) {
            openMenu();
            *result = 0;
            return true;
        }
    }
    return SystemControl::handleMessage(message, w, l, result);
}

bool ButtonControl::isChecked() const {
    return handle() && SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ButtonControl::setChecked(bool checked) {
    if (handle())
        SendMessageW(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace vorn
