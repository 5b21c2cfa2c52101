// How a window follows the DPI of its monitor: when it moves to a monitor of
// another DPI (WM_DPICHANGED, sent to top-level windows), every window in it
// makes its font anew at that DPI (a "Font" text, the parent's font or the
// default one; a font the program gave stays), takes its dialog units from
// it, lets its kind follow (pictures), and then the whole tree is laid out
// again at the place the system suggests.
#include "VornLib/gui/Dpi.h"
#include "VornLib/gui/Font.h"
#include "VornLib/gui/Window.h"

namespace vorn {

uint32_t Window::dpi() const {
    if (dpi_)
        return dpi_;
    const Window* parent = parentWindow();
    return parent ? parent->dpi() : SystemDpi();
}

void Window::applyDpi(uint32_t dpi) {
    dpi_ = dpi;
    switch (fontSource_) {
    case FontSource::Text:
        if (std::shared_ptr<SharedFont> font = SharedFont::FromText(fontText_.data(), dpi))
            useFont(std::move(font), FontSource::Text);
        break;
    case FontSource::Parent:
        if (parentWindow())
            useFont(parentWindow()->font_, FontSource::Parent);
        break;
    case FontSource::Default:
        useFont(SharedFont::Default(dpi), FontSource::Default);
        break;
    case FontSource::None:
    case FontSource::Program:
        break;
    }
    if (handle_)
        computeBaseUnits();
    dpiChanged();
    for (WindowRecord* record = firstChild(); record; record = record->nextSibling())
        static_cast<Window*>(record)->applyDpi(dpi);
}

void Window::layoutTree() {
    layout();
    for (WindowRecord* record = firstChild(); record; record = record->nextSibling())
        static_cast<Window*>(record)->layoutTree();
}

void Window::onDpiChanged(uint32_t dpi, const RECT& suggested) {
    applyDpi(dpi);
    // The suggested place; what the description sizes (in dialog units of the
    // new font) is laid out over it.
    setComputed(Edge::Left, suggested.left);
    setComputed(Edge::Top, suggested.top);
    setComputed(Edge::Width, suggested.right - suggested.left);
    setComputed(Edge::Height, suggested.bottom - suggested.top);
    // Twice, as every layout: edges that refer to each other settle.
    layoutTree();
    layoutTree();
    InvalidateRect(handle_, nullptr, TRUE);
}

} // namespace vorn
