#include "VornLib/gui/Font.h"

#include <cstring>
#include <vector>

namespace vorn {
namespace {

// Fonts alive, for sharing; only the user-interface thread touches them.
std::vector<SharedFont*>& LiveFonts() {
    static std::vector<SharedFont*> fonts;
    return fonts;
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfPitchAndFamily == b.lfPitchAndFamily && a.lfQuality == b.lfQuality &&
           wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

LOGFONTW BaseFont(SystemFontKind kind) {
    LOGFONTW font = {};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy(font.lfFaceName, L"MS Shell Dlg");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
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

LOGFONTW LogicalFontFromText(const FontText& text) {
    LOGFONTW font = BaseFont(text.systemFont);
    if (!text.family.isEmpty()) {
        std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
        std::memcpy(font.lfFaceName, text.family.data(), text.family.length() * sizeof(wchar_t));
    }
    font.lfHeight = ScaledFontHeight(text, font.lfHeight);
    if (text.size != 0)
        font.lfWidth = 0;
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

SharedFont* SharedFont::FromLogicalFont(const LOGFONTW& logicalFont) {
    for (SharedFont* font : LiveFonts()) {
        if (SameFont(font->logicalFont_, logicalFont)) {
            font->addReference();
            return font;
        }
    }
    HFONT handle = CreateFontIndirectW(&logicalFont);
    if (!handle)
        return nullptr;
    SharedFont* font = new SharedFont;
    font->handle_ = handle;
    font->logicalFont_ = logicalFont;
    LiveFonts().push_back(font);
    return font;
}

SharedFont* SharedFont::FromText(const char16_t* text) {
    return FromLogicalFont(LogicalFontFromText(FontText::Parse(text)));
}

SharedFont* SharedFont::Default() {
    return FromLogicalFont(BaseFont(SystemFontKind::Message));
}

void SharedFont::release() {
    if (--references_ > 0)
        return;
    std::vector<SharedFont*>& fonts = LiveFonts();
    for (size_t index = 0; index < fonts.size(); ++index) {
        if (fonts[index] == this) {
            fonts.erase(fonts.begin() + long(index));
            break;
        }
    }
    delete this;
}

SharedFont::~SharedFont() {
    DeleteObject(handle_);
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
