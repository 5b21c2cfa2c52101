#include "VornLib/gui/ComboBoxControl.h"

#include "VornLib/core/DescriptionChildren.h"
#include <commctrl.h>

#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/EditBoxControl.h"

namespace vorn {
namespace {

constexpr uint32_t kComboTypeMask = CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST;

} // namespace

ComboBoxControl::ComboBoxControl() : SystemControl(L"ComboBoxEx32") {
    setStyle(style() | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL);
}

Result ComboBoxControl::readType(const String& type) {
    const uint32_t* typeStyle = FindWord(kComboTypes, type);
    if (!typeStyle)
        return kResultInvalidArgument;
    setStyle((style() & ~kComboTypeMask) | *typeStyle);
    return kResultOk;
}

Result ComboBoxControl::readAttributes(const XmlNode& element) {
    return pictures_.read(element);
}

Result ComboBoxControl::readChildren(const XmlNode& element) {
    return ReadChildElements(element, {u"Item"}, [this](const XmlNode& node) {
        String text;
        if (node.kind() == XmlValueKind::Text || node.kind() == XmlValueKind::CData) {
            String described;
            (void)node.getText(&described);
            (void)ResolveLocalizedText(ResourceCache::Instance(), described.data(), &text);
        }
        int32_t picture = -1;
        if (node.getAttributeInt32(u"PictureIndex", &picture) != kResultOk)
            picture = -1;
        const uint32_t index = addItem(text, picture);
        bool selected = false;
        if (node.getAttributeBoolean(u"Selected", &selected) == kResultOk && selected)
            selection_ = int32_t(index);
        return kResultOk;
    });
}

void ComboBoxControl::insert(uint32_t index) {
    const Item& item = items_[index];
    COMBOBOXEXITEMW entry = {};
    entry.mask = CBEIF_TEXT;
    entry.iItem = INT_PTR(index);
    entry.pszText = const_cast<wchar_t*>(Wide(item.text.data()));
    if (item.picture >= 0) {
        entry.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        entry.iImage = entry.iSelectedImage = item.picture;
    }
    SendMessageW(handle(), CBEM_INSERTITEMW, 0, LPARAM(&entry));
}

uint32_t ComboBoxControl::addItem(const String& text, int32_t pictureIndex) {
    items_.push_back({text, pictureIndex});
    const uint32_t index = uint32_t(items_.size() - 1);
    if (handle())
        insert(index);
    return index;
}

void ComboBoxControl::clearItems() {
    items_.clear();
    selection_ = -1;
    if (handle())
        SendMessageW(handle(), CB_RESETCONTENT, 0, 0);
}

void ComboBoxControl::setText(const String& text) {
    if (!handle())
        return;
    // The box's own item -1 is what its edit field shows.
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = const_cast<wchar_t*>(Wide(text.data()));
    SendMessageW(handle(), CBEM_SETITEMW, 0, LPARAM(&item));
    if (HWND edit = HWND(SendMessageW(handle(), CBEM_GETEDITCONTROL, 0, 0)))
        SetWindowTextW(edit, Wide(text.data()));
}

String ComboBoxControl::itemText(uint32_t index) const {
    return index < items_.size() ? items_[index].text : String();
}

int32_t ComboBoxControl::selection() const {
    if (!handle())
        return selection_;
    return int32_t(SendMessageW(handle(), CB_GETCURSEL, 0, 0));
}

Result ComboBoxControl::select(int32_t index) {
    if (index >= int32_t(items_.size()) || index < -1)
        return kResultOutOfRange;
    selection_ = index;
    if (handle())
        SendMessageW(handle(), CB_SETCURSEL, WPARAM(index), 0);
    return kResultOk;
}

String ComboBoxControl::text() const {
    // An editable box shows what was typed; the others their selected item.
    if (HWND edit = handle() ? HWND(SendMessageW(handle(), CBEM_GETEDITCONTROL, 0, 0)) : nullptr)
        return WindowText(edit);
    const int32_t selected = selection();
    return selected >= 0 && uint32_t(selected) < items_.size() ? items_[selected].text : String();
}

void ComboBoxControl::created() {
    if (pictures_)
        SendMessageW(handle(), CBEM_SETIMAGELIST, 0, LPARAM(pictures_.handle()));
    for (uint32_t index = 0; index < items_.size(); ++index)
        insert(index);
    if (selection_ >= 0)
        SendMessageW(handle(), CB_SETCURSEL, WPARAM(selection_), 0);
    matchEditBoxHeight();
}

void ComboBoxControl::dpiChanged() {
    matchEditBoxHeight();
}

void ComboBoxControl::matchEditBoxHeight() {
    if (!handle() || (style() & kComboTypeMask) == CBS_SIMPLE)
        return;
    // The closed box is its selection field and a frame around it.
    const Window* parent = parentWindow();
    const int32_t wanted =
        DialogUnitsToPixels(kEditBoxHeight, parent ? parent->verticalBase() : verticalBase(), 8);
    HWND combo = HWND(SendMessageW(handle(), CBEM_GETCOMBOCONTROL, 0, 0));
    // Measured again after the change: the box adds a frame of its own, which
    // shows only then.
    LRESULT field = SendMessageW(handle(), CB_GETITEMHEIGHT, WPARAM(-1), 0);
    for (int attempt = 0; attempt < 2 && field > 0; ++attempt) {
        RECT closed = {};
        GetWindowRect(combo ? combo : handle(), &closed);
        const int32_t height = int32_t(closed.bottom - closed.top);
        if (height == wanted || field + wanted - height <= 0)
            return;
        field += wanted - height;
        SendMessageW(handle(), CB_SETITEMHEIGHT, WPARAM(-1), field);
    }
}

void ComboBoxControl::notifyParent(WORD code) {
    if (HWND parent = GetParent(handle()))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(handle()), code),
                     LPARAM(handle()));
}

void ComboBoxControl::step(int32_t by) {
    const int32_t count = int32_t(items_.size());
    if (count == 0)
        return;
    int32_t current = selection();
    // A typed text that names an item is where the steps start.
    for (int32_t index = 0; current < 0 && index < count; ++index) {
        if (items_[uint32_t(index)].text == text())
            current = index;
    }
    int32_t next = current < 0 ? (by > 0 ? 0 : count - 1) : current + by;
    next = next < 0 ? 0 : next >= count ? count - 1 : next;
    if (next == current)
        return;
    SendMessageW(handle(), CB_SETCURSEL, WPARAM(next), 0);
    notifyParent(CBN_SELCHANGE);
}

bool ComboBoxControl::preTranslate(MSG* message) {
    const bool alt = message->message == WM_SYSKEYDOWN;
    if (!handle() || (message->message != WM_KEYDOWN && !alt))
        return SystemControl::preTranslate(message);
    // An open list answers its keys itself.
    const bool open = SendMessageW(handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
    const bool simple = (style() & kComboTypeMask) == CBS_SIMPLE;
    const WPARAM key = message->wParam;
    if (open || simple || (key != VK_F4 && key != VK_DOWN && key != VK_UP) || (alt && key == VK_F4))
        return SystemControl::preTranslate(message);
    if (alt || key == VK_F4)
        SendMessageW(handle(), CB_SHOWDROPDOWN, TRUE, 0);
    else
        step(key == VK_DOWN ? 1 : -1);
    return true;
}

} // namespace vorn
