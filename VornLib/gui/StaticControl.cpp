#include "VornLib/gui/StaticControl.h"

#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

struct StyleWord {
    const char16_t* word;
    uint32_t style;
};
// Words whose bits are a kind of static (SS_TYPEMASK) rather than a flag.
bool IsStaticType(uint32_t style) {
    return style == SS_ETCHEDFRAME || style == SS_ETCHEDHORZ || style == SS_ETCHEDVERT;
}
constexpr StyleWord kHorizontalAligns[] = {
    {u"Left", SS_LEFT},
    {u"Center", SS_CENTER},
    {u"Right", SS_RIGHT},
};
// The window's own border words are read with every window; these add the
// static's frames. Any other word is an error.
constexpr StyleWord kBorders[] = {
    {u"None", 0},
    {u"Solid", 0},
    {u"StaticEdge", 0},
    {u"ClientEdge", 0},
    {u"Sunken", SS_SUNKEN},
    {u"Etched", SS_ETCHEDFRAME},
    {u"EtchedHorizontal", SS_ETCHEDHORZ},
    {u"EtchedVertical", SS_ETCHEDVERT},
};

template <size_t count>
const StyleWord* FindWord(const StyleWord (&table)[count], const String& word) {
    for (const StyleWord& entry : table) {
        if (word == entry.word)
            return &entry;
    }
    return nullptr;
}

bool IsOpaque(const Window& window) {
    const SystemColour& colour = window.background();
    return window.hasBackground() && !(colour.systemIndex < 0 && colour.colour.value() == 0);
}

COLORREF ToColorRef(const Colour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

} // namespace

StaticControl::StaticControl() : StaticControl(true) {}

StaticControl::StaticControl(bool staticClass) : staticClass_(staticClass) {
    setBehaviour(kWrapsSystemClass | kReceivesReflected, true);
    uint32_t style = this->style() & ~uint32_t(WS_CLIPSIBLINGS);
    if (staticClass)
        style |= SS_NOPREFIX | SS_NOTIFY;
    setStyle(style);
}

void StaticControl::setTextColour(const SystemColour& colour) {
    textColour_ = colour;
    hasTextColour_ = true;
    if (handle())
        InvalidateRect(handle(), nullptr, TRUE);
}

Result StaticControl::readFamilyAttributes(const XmlNode& element) {
    String text;
    SystemColour colour;
    if (element.getAttribute(u"TextColor", &text) == kResultOk) {
        if (SystemColour::Parse(text.data(), &colour) != kResultOk)
            return kResultInvalidArgument;
        setTextColour(colour);
    }
    return kResultOk;
}

void StaticControl::setDefaultHeight(int32_t dialogUnits) {
    if (constraint(Edge::Height).isSet() ||
        (constraint(Edge::Top).isSet() && constraint(Edge::Bottom).isSet()))
        return;
    setEdge(Edge::Height, 0, dialogUnits);
}

void StaticControl::readTextContent(const XmlNode& element) {
    // Only a text of its own: an element with children has none.
    if (element.kind() != XmlValueKind::Text && element.kind() != XmlValueKind::CData)
        return;
    String text;
    if (element.getText(&text) != kResultOk || text.isEmpty())
        return;
    String localized;
    (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &localized);
    setTitle(localized);
}

Result StaticControl::readAttributes(const XmlNode& element) {
    Result result = readFamilyAttributes(element);
    if (result != kResultOk)
        return result;
    String text;
    uint32_t style = this->style();
    if (element.getAttribute(u"HorizontalAlign", &text) == kResultOk) {
        const StyleWord* align = FindWord(kHorizontalAligns, text);
        if (!align)
            return kResultInvalidArgument;
        style = (style & ~uint32_t(SS_CENTER | SS_RIGHT)) | align->style;
    }
    if (element.getAttribute(u"VerticalAlign", &text) == kResultOk && text == u"Center")
        style |= SS_CENTERIMAGE;
    bool flag = false;
    if (element.getAttributeBoolean(u"WordEllipsis", &flag) == kResultOk)
        style = flag ? style | SS_WORDELLIPSIS : style & ~uint32_t(SS_WORDELLIPSIS);
    if (element.getAttributeBoolean(u"PathEllipsis", &flag) == kResultOk)
        style = flag ? style | SS_PATHELLIPSIS : style & ~uint32_t(SS_PATHELLIPSIS);
    if (element.getAttribute(u"Border", &text) == kResultOk) {
        const StyleWord* border = FindWord(kBorders, text);
        if (!border)
            return kResultInvalidArgument;
        // An etched frame or line is a kind of static of its own.
        if (IsStaticType(border->style))
            style = (style & ~uint32_t(SS_TYPEMASK)) | border->style;
        else
            style |= border->style;
    }
    setStyle(style);
    readTextContent(element);
    setDefaultHeight(10);
    return kResultOk;
}

bool StaticControl::isEtched() const {
    return staticClass_ && IsStaticType(style() & SS_TYPEMASK);
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

HBRUSH StaticControl::parentBackgroundBrush(HDC dc) {
    Window* parent = parentWindow();
    if (parent && IsOpaque(*parent)) {
        const COLORREF colour = ToColorRef(parent->background().resolved());
        if (!parentBrush_ || parentBrushColour_ != colour) {
            parentBrush_.reset(CreateSolidBrush(colour));
            parentBrushColour_ = colour;
        }
        SetBkColor(dc, colour);
        return static_cast<HBRUSH>(parentBrush_.get());
    }
    HWND parentHandle = GetParent(handle());
    return parentHandle ? HBRUSH(DefWindowProcW(parentHandle, WM_CTLCOLORSTATIC, WPARAM(dc),
                                                LPARAM(handle())))
                        : GetSysColorBrush(COLOR_3DFACE);
}

void StaticControl::drawEtched(HDC dc) {
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
    switch (message) {
    case WM_ERASEBKGND:
        if (!isEtched())
            break;
        *result = 1; // drawn whole in WM_PAINT
        return true;
    case WM_PAINT:
        if (!isEtched())
            break;
        {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(handle(), &paint);
            drawEtched(dc);
            EndPaint(handle(), &paint);
        }
        *result = 0;
        return true;
    case WM_PRINTCLIENT:
        if (!isEtched())
            break;
        drawEtched(HDC(w));
        *result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        // Reflected from the parent: only our own requests come here.
        if (hasTextColour_)
            return answerColourRequest(HDC(w), result);
        return false;
    default:
        break;
    }
    return Window::handleMessage(message, w, l, result);
}

bool StaticControl::answerColourRequest(HDC dc, LRESULT* result) {
    Window* parent = parentWindow();
    if (!parent || !parent->handle())
        return false;
    if (IsOpaque(*parent)) {
        // The parent's own colour, so the text sits on it without a box.
        *result = LRESULT(parentBackgroundBrush(dc));
    } else {
        // The platform's answer for the parent, with our text colour.
        *result = DefWindowProcW(parent->handle(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(handle()));
    }
    SetTextColor(dc, ToColorRef(textColour_.resolved()));
    return true;
}

} // namespace vorn
