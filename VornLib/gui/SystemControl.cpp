#include "VornLib/gui/SystemControl.h"

#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

bool IsOpaque(const Window& window) {
    const SystemColour& colour = window.background();
    return window.hasBackground() && !(colour.systemIndex < 0 && colour.colour.value() == 0);
}

} // namespace

SystemControl::SystemControl(const wchar_t* className) : className_(className) {
    setBehaviour(kWrapsSystemClass | kReceivesReflected, true);
}

void SystemControl::setTextColour(const SystemColour& colour) {
    textColour_ = colour;
    hasTextColour_ = true;
    if (handle())
        InvalidateRect(handle(), nullptr, TRUE);
}

Result SystemControl::readTextColour(const XmlNode& element) {
    String text;
    if (element.getAttribute(u"TextColor", &text) != kResultOk)
        return kResultOk;
    SystemColour colour;
    if (SystemColour::Parse(text.data(), &colour) != kResultOk)
        return kResultInvalidArgument;
    setTextColour(colour);
    return kResultOk;
}

void SystemControl::readTextContent(const XmlNode& element) {
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

HBRUSH SystemControl::parentBackgroundBrush(HDC dc) {
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

bool SystemControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        // Reflected from the parent: only our own requests come here.
        if (hasTextColour_ && answerColourRequest(HDC(w), result))
            return true;
        break;
    default:
        break;
    }
    return Window::handleMessage(message, w, l, result);
}

bool SystemControl::answerColourRequest(HDC dc, LRESULT* result) {
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
