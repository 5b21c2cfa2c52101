#include "VornLib/gui/EditControl.h"

#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {
Result EditControl::readEditAttributes(const XmlNode& element) {
    Result result = readTextColour(element);
    if (result != kResultOk)
        return result;
    uint32_t style = this->style();
    ApplyStyleFlag(element, u"Password", ES_PASSWORD, &style);
    ApplyStyleFlag(element, u"ReadOnly", ES_READONLY, &style);
    // A control that cannot be written in has no use for Return, unless its
    // description asks for it after all.
    if (style & ES_READONLY)
        style &= ~uint32_t(ES_WANTRETURN);
    ApplyStyleFlag(element, u"WantReturn", ES_WANTRETURN, &style);
    result = ApplyStyleWords(element, &style, u"Case", kEditCases, u"HorizontalAlign", kEditAligns);
    if (result != kResultOk)
        return result;
    setStyle(style);
    String text;
    if (element.getAttribute(u"OnReturn", &text) == kResultOk && !text.isEmpty())
        returnCommand_ = WindowNameId(text);
    return kResultOk;
}

bool EditControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    const bool isReturn = returnCommand_ && w == VK_RETURN;
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = callChained(message, w, l);
        // A multi-line control keeps its caret where it was when focused.
        if (style() & ES_MULTILINE)
            code &= ~LRESULT(DLGC_HASSETSEL);
        // Text that cannot be written in leaves Tab, Return and Escape to
        // the window: the keyboard can leave it.
        if (style() & ES_READONLY)
            code &= ~LRESULT(DLGC_WANTMESSAGE | DLGC_WANTALLKEYS | DLGC_WANTTAB);
        // Return is ours, not the dialog's default button's.
        const MSG* pending = reinterpret_cast<const MSG*>(l);
        if (returnCommand_ && pending && pending->message == WM_KEYDOWN &&
            pending->wParam == VK_RETURN)
            code |= DLGC_WANTALLKEYS;
        *result = code;
        return true;
    }
    case WM_KEYDOWN:
        if (!isReturn)
            break;
        if (HWND parent = GetParent(handle()))
            PostMessageW(parent, WM_COMMAND, MAKEWPARAM(returnCommand_, 0), LPARAM(handle()));
        *result = 0;
        return true;
    case WM_CHAR:
    case WM_KEYUP:
        if (!isReturn) // VK_RETURN is also the character "\r"
            break;
        *result = 0; // the key goes no further (no beep, no new line)
        return true;
    default:
        break;
    }
    return SystemControl::handleMessage(message, w, l, result);
}

} // namespace vorn
