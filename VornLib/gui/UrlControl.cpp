#include "VornLib/gui/UrlControl.h"

#include "VornLib/gui/Font.h"
#include "VornLib/gui/LinkTarget.h"

namespace vorn {

UrlControl::UrlControl() {
    setStyle(style() | WS_TABSTOP);
    SystemColour clear;
    clear.colour = {0, 0, 0, 0};
    setBackground(clear);
}

Result UrlControl::readAttributes(const XmlNode& element) {
    if (element.getAttribute(u"Target", &target_) != kResultOk)
        target_ = title();
    setDefaultHeight(0, 10);
    return kResultOk;
}

void UrlControl::open() {
    // A bare name is a command for the window that holds the link.
    LinkCommand command;
    command.window = GetParent(handle());
    command.source = LPARAM(handle());
    command.bareNames = true;
    OpenLinkTarget(target_, command);
}

void UrlControl::paint(HDC dc, const RECT&) {
    if (!underlined_) {
        LOGFONTW font = {};
        if (SharedFont* shared = this->font())
            font = shared->logicalFont();
        else
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfUnderline = TRUE;
        underlined_.reset(CreateFontIndirectW(&font));
    }
    RECT client = {};
    GetClientRect(handle(), &client);
    HGDIOBJ previous = SelectObject(dc, underlined_.get());
    SetBkMode(dc, TRANSPARENT);
    // The link blue of the system's default scheme: some schemes (Wine's)
    // give COLOR_HOTLIGHT a pale grey that cannot be read on a dialog.
    SetTextColor(dc, IsWindowEnabled(handle()) ? RGB(0, 102, 204) : GetSysColor(COLOR_GRAYTEXT));
    constexpr UINT kFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    DrawTextW(dc, Wide(title().data()), -1, &client, kFormat);
    if (GetFocus() == handle() &&
        !(SendMessageW(handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        // The focus frames the text, not the whole width the link may take.
        RECT text = client;
        DrawTextW(dc, Wide(title().data()), -1, &text, kFormat | DT_CALCRECT);
        const LONG height = text.bottom - text.top;
        text.top = client.top + (client.bottom - client.top - height) / 2 - 1;
        text.bottom = text.top + height + 2;
        text.left = client.left;
        text.right = text.right + 2 < client.right ? text.right + 2 : client.right;
        DrawFocusRect(dc, &text);
    }
    SelectObject(dc, previous);
}

bool UrlControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        *result = TRUE;
        return true;
    case WM_LBUTTONUP:
        open();
        *result = 0;
        return true;
    case WM_KEYDOWN:
        if (w == VK_SPACE || w == VK_RETURN) {
            open();
            *result = 0;
            return true;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(handle(), nullptr, TRUE);
        break;
    case WM_SETFONT:
        underlined_.reset();
        break;
    default:
        break;
    }
    return Window::handleMessage(message, w, l, result);
}

} // namespace vorn
