#include "VornLib/gui/EditBoxControl.h"

#include "VornLib/gui/WindowName.h"

#include <vector>

namespace vorn {
namespace {

struct StyleFlag {
    const char16_t* name;
    uint32_t style;
};
// Boolean attributes in reading order: "ReadOnly" comes before "WantReturn"
// so that an explicit "WantReturn" still counts.
constexpr StyleFlag kFlags[] = {
    {u"MultiLine", ES_MULTILINE | ES_AUTOVSCROLL},
    {u"Password", ES_PASSWORD},
    {u"ReadOnly", ES_READONLY},
    {u"WantReturn", ES_WANTRETURN},
};

} // namespace

EditBoxControl::EditBoxControl() : StaticControl(false) {
    setStyle(style() | WS_TABSTOP | ES_AUTOHSCROLL);
    setExtendedStyle(extendedStyle() | WS_EX_CLIENTEDGE);
}

Result EditBoxControl::readAttributes(const XmlNode& element) {
    Result result = readFamilyAttributes(element);
    if (result != kResultOk)
        return result;
    uint32_t style = this->style();
    bool flag = false;
    for (const StyleFlag& entry : kFlags) {
        if (element.getAttributeBoolean(entry.name, &flag) != kResultOk)
            continue;
        style = flag ? style | entry.style : style & ~entry.style;
        // A box that cannot be written in has no use for Return.
        if (flag && entry.style == ES_READONLY)
            style &= ~uint32_t(ES_WANTRETURN);
    }
    String text;
    if (element.getAttribute(u"Case", &text) == kResultOk) {
        style &= ~uint32_t(ES_UPPERCASE | ES_LOWERCASE);
        if (text == u"Upper")
            style |= ES_UPPERCASE;
        else if (text == u"Lower")
            style |= ES_LOWERCASE;
        else
            return kResultInvalidArgument;
    }
    if (style & ES_MULTILINE)
        style &= ~uint32_t(ES_AUTOHSCROLL);
    setStyle(style);
    if (element.getAttribute(u"OnReturn", &text) == kResultOk && !text.isEmpty())
        returnCommand_ = WindowNameId(text);
    readTextContent(element);
    setDefaultHeight(14);
    return kResultOk;
}

bool EditBoxControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    const bool isReturn = returnCommand_ && w == VK_RETURN;
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = callChained(message, w, l);
        // A multi-line box keeps its caret where it was when focused.
        if (style() & ES_MULTILINE)
            code &= ~LRESULT(DLGC_HASSETSEL);
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
    return StaticControl::handleMessage(message, w, l, result);
}

String EditBoxControl::text() const {
    String text;
    if (!handle())
        return title();
    const int length = GetWindowTextLengthW(handle());
    if (length <= 0)
        return text;
    std::vector<wchar_t> units(size_t(length) + 1);
    const int read = GetWindowTextW(handle(), units.data(), length + 1);
    text.assign(Units(units.data()), uint32_t(read));
    return text;
}

void EditBoxControl::setText(const String& text) {
    setTitle(text);
}

} // namespace vorn
