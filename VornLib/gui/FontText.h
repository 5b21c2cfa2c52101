// The "Font" attribute of a window description: a comma-separated list of
// flags ("Bold", "Italic", "Underline", "Strikeout", "FixedPitch"), a scale
// factor ("*1.25"), a character height in pixels ("11") and a face: a family
// name or one of the system fonts "{Default}", "{Caption}", "{SmallCaption}",
// "{Menu}", "{Status}". The last face wins.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vorn {

enum FontFlag : uint32_t {
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
    kFontStrikeout = 8,
    kFontFixedPitch = 16,
};

// Which of the platform's non-client fonts a face selects.
enum class SystemFontKind : uint32_t { Message, Caption, SmallCaption, Menu, Status };

struct FontText {
    uint32_t flags = 0;
    float factor = 0; // 0: not scaled
    int32_t size = 0; // 0: the system font's height
    SystemFontKind systemFont = SystemFontKind::Message;
    String family; // empty: the system font's own face

    static FontText Parse(const char16_t* text);
};

// What is wrong with a font text that the framework would read otherwise than
// meant (a misspelt system font, a flag in the wrong case, a size of 0); the
// empty text when there is nothing.
String CheckFontText(const char16_t* text);

// The character height after size and factor, from the base font's height
// (negative for character heights, as the platform's logical fonts keep it).
int32_t ScaledFontHeight(const FontText& font, int32_t baseHeight);

// Horizontal dialog base from the width of "A".."Z" and "a".."z" together.
inline int32_t HorizontalBaseFromAlphabetWidth(int32_t width) {
    return (width / 26 + 1) / 2;
}

} // namespace vorn
