#include "VornLib/gui/ControlBarControl.h"

namespace vorn {

ControlBarControl::ControlBarControl() : SystemControl(REBARCLASSNAMEW) {
    setStyle(style() | RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN |
             CCS_NORESIZE);
}

Result ControlBarControl::readAttributes(const XmlNode& element) {
    (void)element.getAttributeBoolean(u"Transparent", &transparent_, false);
    if (transparent_) {
        SystemColour clear;
        clear.colour = {0, 0, 0, 0};
        setBackground(clear);
        setExtendedStyle(extendedStyle() | WS_EX_TRANSPARENT);
    }
    return kResultOk;
}

void ControlBarControl::created() {
    for (WindowRecord* record = firstChild(); record; record = record->nextSibling()) {
        HWND child = static_cast<Window*>(record)->handle();
        if (!child)
            continue;
        RECT size = {};
        GetWindowRect(child, &size);
        REBARBANDINFOW band = {};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
        band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;
        band.hwndChild = child;
        band.cxMinChild = 0;
        band.cyMinChild = UINT(size.bottom - size.top);
        band.cx = UINT(size.right - size.left) + 16;
        SendMessageW(handle(), RB_INSERTBANDW, WPARAM(-1), LPARAM(&band));
    }
}

} // namespace vorn
