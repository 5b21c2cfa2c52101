#include "VornLib/gui/FontText.h"

#include "VornLib/core/TextParse.h"
#include "VornLib/gui/DescriptionWords.h"

namespace vorn {
namespace {

constexpr DescriptionWord<uint32_t> kFlagWords[] = {
    {u"Bold", kFontBold},
    {u"Italic", kFontItalic},
    {u"Underline", kFontUnderline},
    {u"Strikeout", kFontStrikeout},
    {u"FixedPitch", kFontFixedPitch},
};

constexpr DescriptionWord<SystemFontKind> kSystemFaces[] = {
    {u"{Default}", SystemFontKind::Message},
    {u"{Caption}", SystemFontKind::Caption},
    {u"{SmallCaption}", SystemFontKind::SmallCaption},
    {u"{Menu}", SystemFontKind::Menu},
    {u"{Status}", SystemFontKind::Status},
};

constexpr uint32_t kMaxFamilyLength = 31;

bool IsInteger(const String& token) {
    const char16_t* at = token.data();
    if (*at == u'+' || *at == u'-')
        ++at;
    if (!*at)
        return false;
    for (; *at; ++at) {
        if (*at < u'0' || *at > u'9')
            return false;
    }
    return true;
}

void ApplyToken(const String& token, FontText* font) {
    if (const uint32_t* flag = FindWord(kFlagWords, token)) {
        font->flags |= *flag;
        return;
    }
    if (token.data()[0] == u'*') {
        font->factor = ReadFloat32(token.data() + 1);
        return;
    }
    if (IsInteger(token) && ReadInt32(token.data()) != 0) {
        font->size = ReadInt32(token.data());
        return;
    }
    if (token.data()[0] == u'{') {
        const SystemFontKind* face = FindWord(kSystemFaces, token);
        font->systemFont = face ? *face : SystemFontKind::Message;
        font->family = String();
        return;
    }
    font->systemFont = SystemFontKind::Message;
    font->family =
        String(token.data(), token.length() < kMaxFamilyLength ? token.length() : kMaxFamilyLength);
}

} // namespace

FontText FontText::Parse(const char16_t* text) {
    FontText font;
    if (!text)
        return font;
    const char16_t* start = text;
    for (const char16_t* at = text;; ++at) {
        if (*at != u',' && *at)
            continue;
        // Tokens are taken as written, without surrounding spaces.
        const char16_t* first = start;
        const char16_t* last = at;
        while (first < last && *first == u' ')
            ++first;
        while (last > first && last[-1] == u' ')
            --last;
        if (last > first)
            ApplyToken(String(first, uint32_t(last - first)), &font);
        if (!*at)
            break;
        start = at + 1;
    }
    return font;
}

int32_t ScaledFontHeight(const FontText& font, int32_t baseHeight) {
    if (font.size != 0)
        return -font.size;
    if (font.factor > 0) {
        const int32_t magnitude = baseHeight < 0 ? -baseHeight : baseHeight;
        const int32_t scaled = int32_t(float(magnitude) * font.factor + 0.5f);
        return baseHeight < 0 ? -scaled : scaled;
    }
    return baseHeight;
}

} // namespace vorn
