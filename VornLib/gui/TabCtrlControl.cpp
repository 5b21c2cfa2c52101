#include "VornLib/gui/TabCtrlControl.h"

#include <commctrl.h>

#include "VornLib/gui/Dpi.h"

namespace vorn {
namespace {

constexpr int32_t kTabPaddingX = 6;
constexpr int32_t kTabPaddingY = 3;

} // namespace

TabCtrlControl::TabCtrlControl() : SystemControl(L"SysTabControl32") {
    setStyle((style() & ~uint32_t(WS_CLIPSIBLINGS)) | WS_TABSTOP | WS_CLIPCHILDREN);
    setExtendedStyle(extendedStyle() | WS_EX_CONTROLPARENT);
}

Result TabCtrlControl::readAttributes(const XmlNode& element) {
    Result result = readTextColour(element);
    if (result != kResultOk)
        return result;
    result = pictures_.read(element);
    if (result != kResultOk)
        return result;
    setDefaultHeight(0, 10);
    return kResultOk;
}

Result TabCtrlControl::readChildren(const XmlNode& element) {
    const Result result = SystemControl::readChildren(element);
    if (result != kResultOk)
        return result;
    for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
        if (!node->isElement())
            continue;
        int32_t picture = -1;
        if (node->getAttributeInt32(u"PictureIndex", &picture) != kResultOk)
            picture = -1;
        describedPictures_.push_back(picture);
    }
    return kResultOk;
}

void TabCtrlControl::dpiChanged() {
    applyPadding();
}

void TabCtrlControl::applyPadding() {
    // The platform's padding around a tab's label is in pixels of 96 dpi.
    if (handle())
        SendMessageW(
            handle(), TCM_SETPADDING, 0,
            MAKELPARAM(ScaledForDpi(kTabPaddingX, dpi()), ScaledForDpi(kTabPaddingY, dpi())));
}

void TabCtrlControl::created() {
    applyPadding();
    if (pictures_)
        SendMessageW(handle(), TCM_SETIMAGELIST, 0, LPARAM(pictures_.handle()));
    uint32_t index = 0;
    for (WindowRecord* record = firstChild(); record; record = record->nextSibling(), ++index) {
        const int32_t picture = index < describedPictures_.size() ? describedPictures_[index] : -1;
        (void)addPage(static_cast<Window*>(record), picture);
    }
}

Result TabCtrlControl::addPage(std::unique_ptr<Window> page, int32_t pictureIndex) {
    if (!page)
        return kResultNullInput;
    if (!handle())
        return kResultWrongState;
    return addPage(appendChild(std::move(page)), pictureIndex);
}

Result TabCtrlControl::addPage(Window* page, int32_t pictureIndex) {
    if (!page)
        return kResultNullInput;
    if (!handle())
        return kResultWrongState;
    for (Window* existing : pages_) {
        if (existing == page)
            return kResultAlreadyExists;
    }
    if (page->parentWindow() != this)
        return kResultInvalidArgument;
    if (!page->handle()) {
        page->setStyle((page->style() & ~uint32_t(WS_VISIBLE)) | WS_DISABLED);
        const Result result = page->create();
        if (result != kResultOk)
            return result;
    } else {
        ShowWindow(page->handle(), SW_HIDE);
        EnableWindow(page->handle(), FALSE);
    }
    page->setStyle((page->style() & ~uint32_t(WS_VISIBLE)) | WS_DISABLED);
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(Wide(page->title().data()));
    item.iImage = pictureIndex;
    SendMessageW(handle(), TCM_INSERTITEMW, WPARAM(pages_.size()), LPARAM(&item));
    pages_.push_back(page);
    if (pages_.size() == 1)
        (void)selectPage(0);
    return kResultOk;
}

Result TabCtrlControl::removePage(Window* page) {
    uint32_t index = 0;
    while (index < pages_.size() && pages_[index] != page)
        ++index;
    if (!page || index == pages_.size())
        return kResultOutOfRange;
    SendMessageW(handle(), TCM_DELETEITEM, index, 0);
    pages_.erase(pages_.begin() + index);
    if (page->handle()) {
        ShowWindow(page->handle(), SW_HIDE);
        EnableWindow(page->handle(), FALSE);
    }
    const bool wasShown = selected_ == int32_t(index);
    if (selected_ > int32_t(index))
        --selected_;
    if (wasShown) {
        selected_ = -1;
        if (!pages_.empty())
            (void)selectPage(0);
    }
    return kResultOk;
}

RECT TabCtrlControl::displayArea() const {
    RECT area = {};
    if (!handle())
        return area;
    GetClientRect(handle(), &area);
    SendMessageW(handle(), TCM_ADJUSTRECT, FALSE, LPARAM(&area));
    area.left -= 2;
    return area;
}

void TabCtrlControl::placeSelected() {
    Window* page = this->page(uint32_t(selected_));
    if (!page)
        return;
    const RECT area = displayArea();
    page->setEdge(Edge::Left, area.left);
    page->setEdge(Edge::Top, area.top);
    page->setEdge(Edge::Width, area.right - area.left);
    page->setEdge(Edge::Height, area.bottom - area.top);
    page->layout();
}

Result TabCtrlControl::selectPage(uint32_t index, bool focus) {
    Window* page = this->page(index);
    if (!page)
        return kResultOutOfRange;
    Window* previous = selected_ >= 0 && uint32_t(selected_) != index ? pages_[selected_] : nullptr;
    selected_ = int32_t(index);
    if (SendMessageW(handle(), TCM_GETCURSEL, 0, 0) != LRESULT(index))
        SendMessageW(handle(), TCM_SETCURSEL, index, 0);
    placeSelected();
    page->setStyle((page->style() | WS_VISIBLE) & ~uint32_t(WS_DISABLED));
    EnableWindow(page->handle(), TRUE);
    ShowWindow(page->handle(), SW_SHOW);
    if (focus)
        SetFocus(page->handle());
    if (previous) {
        previous->setStyle((previous->style() & ~uint32_t(WS_VISIBLE)) | WS_DISABLED);
        ShowWindow(previous->handle(), SW_HIDE);
        EnableWindow(previous->handle(), FALSE);
    }
    return kResultOk;
}

bool TabCtrlControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(l);
        if (header->hwndFrom == handle() && header->code == TCN_SELCHANGE) {
            const LRESULT chosen = SendMessageW(handle(), TCM_GETCURSEL, 0, 0);
            if (chosen >= 0)
                (void)selectPage(uint32_t(chosen), false);
            *result = 0;
            return true;
        }
        return false;
    }
    const bool handled = SystemControl::handleMessage(message, w, l, result);
    if (message == WM_SIZE)
        placeSelected();
    return handled;
}

} // namespace vorn
