#include "VornLib/gui/Font.h"

#include <cstring>
#include <vector>

#include "VornLib/gui/Dpi.h"

namespace vorn {
namespace {

// Fonts alive, for sharing; only the user-interface thread touches them.
std::vector<std::weak_ptr<SharedFont>>& LiveFonts() {
    static std::vector<std::weak_ptr<SharedFont>> fonts;
    return fonts;
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfPitchAndFamily == b.lfPitchAndFamily && a.lfQuality == b.lfQuality &&
           wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

LOGFONTW BaseFont(SystemFontKind kind, uint32_t dpi) {
    LOGFONTW font = {};
    font.lfHeight = -ScaledForDpi(12, dpi);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy(font.lfFaceName, L"MS Shell Dlg");
    NONCLIENTMETRICSW metrics = {};
    if (!NonClientMetricsForDpi(dpi, &metrics))
        return font;
    switch (kind) {
    case SystemFontKind::Message:
        return metrics.lfMessageFont;
    case SystemFontKind::Caption:
        return metrics.lfCaptionFont;
    case SystemFontKind::SmallCaption:
        return metrics.lfSmCaptionFont;
    case SystemFontKind::Menu:
        return metrics.lfMenuFont;
    case SystemFontKind::Status:
        return metrics.lfStatusFont;
    }
    return font;
}

} // namespace

LOGFONTW LogicalFontFromText(const FontText& text, uint32_t dpi) {
    LOGFONTW font = BaseFont(text.systemFont, dpi);
    if (!text.family.isEmpty()) {
        std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
        std::memcpy(font.lfFaceName, text.family.data(), text.family.length() * sizeof(wchar_t));
    }
    font.lfHeight = ScaledFontHeight(text, font.lfHeight);
    if (text.size != 0) {
        font.lfHeight = ScaledForDpi(font.lfHeight, dpi);
        font.lfWidth = 0;
    }
    if (text.flags & kFontBold)
        font.lfWeight = FW_BOLD;
    if (text.flags & kFontItalic)
        font.lfItalic = TRUE;
    if (text.flags & kFontUnderline)
        font.lfUnderline = TRUE;
    if (text.flags & kFontStrikeout)
        font.lfStrikeOut = TRUE;
    if (text.flags & kFontFixedPitch)
        font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    return font;
}

std::shared_ptr<SharedFont> SharedFont::FromLogicalFont(const LOGFONTW& logicalFont) {
    std::vector<std::weak_ptr<SharedFont>>& fonts = LiveFonts();
    for (size_t index = 0; index < fonts.size();) {
        std::shared_ptr<SharedFont> font = fonts[index].lock();
        if (!font) { // its last window is gone
            fonts.erase(fonts.begin() + long(index));
            continue;
        }
        if (SameFont(font->logicalFont_, logicalFont))
            return font;
        ++index;
    }
    HFONT handle = CreateFontIndirectW(&logicalFont);
    if (!handle)
        return nullptr;
    std::shared_ptr<SharedFont> font(new SharedFont(handle, logicalFont));
    fonts.push_back(font);
    return font;
}

std::shared_ptr<SharedFont> SharedFont::FromText(const char16_t* text, uint32_t dpi) {
    return FromLogicalFont(LogicalFontFromText(FontText::Parse(text), dpi));
}

std::shared_ptr<SharedFont> SharedFont::Default(uint32_t dpi) {
    return FromLogicalFont(BaseFont(SystemFontKind::Message, dpi));
}

void DialogBaseUnits(HFONT font, int32_t* horizontal, int32_t* vertical) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SIZE extent = {};
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32W(dc, kLetters, 52, &extent);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    *vertical = metrics.tmHeight;
    *horizontal = HorizontalBaseFromAlphabetWidth(extent.cx);
}

} // namespace vorn
