#include "VornLib/gui/FontText.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/gui/StyleWords.h"

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

// Calls `use` with each token, as written without surrounding spaces.
template <typename Use> void ForEachToken(const char16_t* text, Use use) {
    const char16_t* start = text;
    for (const char16_t* at = text;; ++at) {
        if (*at != u',' && *at)
            continue;
        const char16_t* first = start;
        const char16_t* last = at;
        while (first < last && *first == u' ')
            ++first;
        while (last > first && last[-1] == u' ')
            --last;
        if (last > first)
            use(String(first, uint32_t(last - first)));
        if (!*at)
            break;
        start = at + 1;
    }
}

// Digits with at most one decimal point.
bool IsDecimal(const char16_t* text) {
    bool digits = false;
    bool point = false;
    for (; *text; ++text) {
        if (*text == u'.' && !point)
            point = true;
        else if (*text >= u'0' && *text <= u'9')
            digits = true;
        else
            return false;
    }
    return digits;
}

String TokenProblem(const String& token) {
    if (FindWord(kFlagWords, token))
        return String();
    for (const auto& flag : kFlagWords) {
        if (token.compareIgnoringCase(flag.word) == 0)
            return Format(u"\"{0}\" is written \"{1}\"", {token, flag.word});
    }
    if (token[0] == u'*') {
        return IsDecimal(token.data() + 1) && ReadFloat32(token.data() + 1) > 0
                   ? String()
                   : Format(u"\"{0}\" is no scale: \"*\" and a number greater than 0 "
                            u"(\"*1.25\")",
                            {token});
    }
    if (IsInteger(token)) {
        return ReadInt32(token.data()) > 0
                   ? String()
                   : Format(u"\"{0}\" is no size: a size is a number of pixels above 0", {token});
    }
    if (token[0] == u'{') {
        if (FindWord(kSystemFaces, token))
            return String();
        String faces;
        for (const auto& face : kSystemFaces)
            faces += faces.isEmpty() ? String(face.word) : String(u", ") + face.word;
        return Format(u"\"{0}\" is no system font; allowed: {1}", {token, faces});
    }
    if (token.length() > kMaxFamilyLength)
        return Format(u"the font name \"{0}\" is longer than {1} characters",
                      {token, kMaxFamilyLength});
    return String();
}

} // namespace

FontText FontText::Parse(const char16_t* text) {
    FontText font;
    if (text)
        ForEachToken(text, [&font](const String& token) { ApplyToken(token, &font); });
    return font;
}

String CheckFontText(const char16_t* text) {
    String problem;
    if (text) {
        ForEachToken(text, [&problem](const String& token) {
            if (problem.isEmpty())
                problem = TokenProblem(token);
        });
    }
    return problem;
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
