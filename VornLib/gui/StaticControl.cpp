#include "VornLib/gui/StaticControl.h"

#include "VornLib/gui/ControlWords.h"

namespace vorn {
namespace {

// Words whose bits are a kind of static (SS_TYPEMASK) rather than a flag.
bool IsStaticType(uint32_t style) {
    return style == SS_ETCHEDFRAME || style == SS_ETCHEDHORZ || style == SS_ETCHEDVERT;
}
} // namespace

StaticControl::StaticControl() : SystemControl(L"Static") {
    setStyle((style() & ~uint32_t(WS_CLIPSIBLINGS)) | SS_NOPREFIX | SS_NOTIFY);
}

Result StaticControl::readAttributes(const XmlNode& element) {
    Result result = readTextColour(element);
    if (result != kResultOk)
        return result;
    uint32_t style = this->style();
    result = ApplyStyleWord(element, u"HorizontalAlign", kStaticAligns, &style);
    if (result != kResultOk)
        return result;
    // Another vertical word keeps the text at the top.
    StyleBits vertical = {};
    if (ReadWord(element, u"VerticalAlign", kStaticVerticalAligns, &vertical) == kResultOk)
        style = vertical.applied(style);
    // A label's "&" marks the access key of the control after it.
    bool accessKey = false;
    if (element.getAttributeBoolean(u"AccessKey", &accessKey) == kResultOk)
        style = accessKey ? style & ~uint32_t(SS_NOPREFIX) : style | SS_NOPREFIX;
    ApplyStyleFlag(element, u"WordEllipsis", SS_WORDELLIPSIS, &style);
    ApplyStyleFlag(element, u"PathEllipsis", SS_PATHELLIPSIS, &style);
    result = ApplyStyleWord(element, u"Border", kStaticBorders, &style);
    if (result != kResultOk)
        return result;
    setStyle(style);
    readTextContent(element);
    setDefaultHeight(0, 10);
    return kResultOk;
}

bool StaticControl::isEtched() const {
    return IsStaticType(style() & SS_TYPEMASK);
}

void StaticControl::created() {
    // The platform frames etched statics with a static edge of its own; the
    // etching is drawn here, the same on every system.
    if (isEtched() && !(extendedStyle() & WS_EX_STATICEDGE)) {
        const LONG extended = GetWindowLongW(handle(), GWL_EXSTYLE);
        SetWindowLongW(handle(), GWL_EXSTYLE, extended & ~LONG(WS_EX_STATICEDGE));
        SetWindowPos(handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void StaticControl::draw(HDC dc) {
    RECT client = {};
    GetClientRect(handle(), &client);
    FillRect(dc, &client, parentBackgroundBrush(dc));
    switch (style() & SS_TYPEMASK) {
    case SS_ETCHEDHORZ:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_TOP);
        break;
    case SS_ETCHEDVERT:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_LEFT);
        break;
    default:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        break;
    }
}

bool StaticControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (!drawsItself())
        return SystemControl::handleMessage(message, w, l, result);
    switch (message) {
    case WM_ERASEBKGND:
        *result = 1; // drawn whole in WM_PAINT
        return true;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(handle(), &paint);
        draw(dc);
        EndPaint(handle(), &paint);
        *result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        draw(HDC(w));
        *result = 0;
        return true;
    default:
        return SystemControl::handleMessage(message, w, l, result);
    }
}

} // namespace vorn
