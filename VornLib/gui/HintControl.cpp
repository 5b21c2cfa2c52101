#include "VornLib/gui/HintControl.h"

#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/Font.h"

namespace vorn {

HintControl::HintControl() {
    SystemColour face;
    (void)SystemColour::Parse(u"TooltipBackground", &face);
    setBackground(face);
}

Result HintControl::readAttributes(const XmlNode& element) {
    String content;
    if (element.kind() != XmlValueKind::None || element.firstChild())
        (void)element.getText(&content);
    if (content.isEmpty())
        text_ = title();
    else
        (void)ResolveLocalizedText(ResourceCache::Instance(), content.data(), &text_);
    return kResultOk;
}

void HintControl::setText(const String& text) {
    text_ = text;
    if (handle())
        InvalidateRect(handle(), nullptr, TRUE);
}

void HintControl::paint(HDC dc, const RECT&) {
    RECT client = {};
    GetClientRect(handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_INFOTEXT));
    InflateRect(&client, -6, -4);
    HGDIOBJ previous =
        SelectObject(dc, font() ? HGDIOBJ(font()->handle()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(dc, Wide(text_.data()), -1, &client, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
}

} // namespace vorn
