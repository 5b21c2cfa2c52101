// TabCtrlControl: the platform's tab control, of the static family, whose
// pages are child windows. Each page adds a tab titled with the page's
// title; the selected page fills the control's display area and is the only
// one enabled and shown. The child windows of the description become its
// pages in order, each with its "PictureIndex" into the "Pictures" strip.
// The space around a tab's label grows with the DPI.
#pragma once

#include <vector>

#include "VornLib/gui/PictureImageList.h"
#include "VornLib/gui/SystemControl.h"

namespace vorn {

class TabCtrlControl : public SystemControl {
public:
    TabCtrlControl();

    // Adds `page`, one of the control's children, with a tab; a page without
    // a platform window gets one, disabled and hidden until it is selected.
    // The first page is selected. 15 for a null page, 4 before the control's
    // window exists, 14 when it is a page already, 5 for a window that is no
    // child of the control, else the page creation's result.
    Result addPage(Window* page, int32_t pictureIndex = -1);
    // Makes `page` a child of the control, then adds it as above.
    Result addPage(std::unique_ptr<Window> page, int32_t pictureIndex = -1);
    // Takes `page`'s tab away: a described page that does not apply. The
    // page stays a hidden, disabled child; the first page is shown when it
    // was the one on show. 37 for a window that is no page.
    Result removePage(Window* page);
    // Shows the page at `index` in the display area (optionally giving it the
    // focus) and hides and disables the previous one; 37 for no such page.
    Result selectPage(uint32_t index, bool focus = false);
    uint32_t pageCount() const { return uint32_t(pages_.size()); }
    Window* page(uint32_t index) const { return index < pages_.size() ? pages_[index] : nullptr; }
    // -1 before the first page.
    int32_t selectedIndex() const { return selected_; }
    // The rectangle a page takes, in the control's client coordinates.
    RECT displayArea() const;

protected:
    // "Pictures" and "PictureItemWidth": a strip that cannot be had fails
    // with the locator's result.
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;
    void dpiChanged() override;

private:
    void placeSelected();
    void applyPadding();

    std::vector<Window*> pages_;
    std::vector<int32_t> describedPictures_;
    PictureImageList pictures_;
    int32_t selected_ = -1;
};

} // namespace vorn
