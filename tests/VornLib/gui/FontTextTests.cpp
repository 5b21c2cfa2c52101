#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/gui/FontText.h"

namespace vorn {
namespace {

TEST(FontText, TokensSetFlagsFactorSizeAndFace) {
    struct Case {
        const char16_t* text;
        uint32_t flags;
        float factor;
        int32_t size;
        SystemFontKind systemFont;
        const char16_t* family;
    };
    const Case cases[] = {
        {u"", 0, 0, 0, SystemFontKind::Message, u""},
        {u"Tahoma,Bold,11", kFontBold, 0, 11, SystemFontKind::Message, u"Tahoma"},
        {u"{Caption},*1.25", 0, 1.25f, 0, SystemFontKind::Caption, u""},
        {u"Bold,Italic,Underline,Strikeout,FixedPitch", 31, 0, 0, SystemFontKind::Message, u""},
        {u"Italic,Italic", kFontItalic, 0, 0, SystemFontKind::Message, u""},
        // The last face wins, whether a family or a system font.
        {u"Tahoma,{Menu}", 0, 0, 0, SystemFontKind::Menu, u""},
        {u"{Status},Verdana", 0, 0, 0, SystemFontKind::Message, u"Verdana"},
        {u"Arial,Verdana", 0, 0, 0, SystemFontKind::Message, u"Verdana"},
        {u"{Default}", 0, 0, 0, SystemFontKind::Message, u""},
        {u"{SmallCaption}", 0, 0, 0, SystemFontKind::SmallCaption, u""},
        {u"{Caption},{Whatever}", 0, 0, 0, SystemFontKind::Message, u""},
        // Zero is no size, so it names a face; a later size replaces an earlier one.
        {u"0", 0, 0, 0, SystemFontKind::Message, u"0"},
        {u"9,14", 0, 0, 14, SystemFontKind::Message, u""},
        {u"*0.5,*2", 0, 2, 0, SystemFontKind::Message, u""},
        {u" Segoe UI , Bold ,, 9 ", kFontBold, 0, 9, SystemFontKind::Message, u"Segoe UI"},
        {u"bold", 0, 0, 0, SystemFontKind::Message, u"bold"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToPrintable(c.text));
        const FontText font = FontText::Parse(c.text);
        EXPECT_EQ(c.flags, font.flags);
        EXPECT_FLOAT_EQ(c.factor, font.factor);
        EXPECT_EQ(c.size, font.size);
        EXPECT_EQ(c.systemFont, font.systemFont);
        EXPECT_EQ(String(c.family), font.family);
    }
}

TEST(FontText, FamilyNamesAreCutAt31Units) {
    const char16_t* longName = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij"; // 36 units
    EXPECT_EQ(String(longName, 31), FontText::Parse(longName).family);
    EXPECT_EQ(String(longName, 31), FontText::Parse(String(longName, 31).data()).family);
    EXPECT_EQ(String(longName, 30), FontText::Parse(String(longName, 30).data()).family);
    const FontText font = FontText::Parse(nullptr);
    EXPECT_EQ(0u, font.flags);
    EXPECT_EQ(0u, font.family.length());
}

TEST(FontText, ScaledHeightRoundsHalfUpAndKeepsTheSign) {
    struct Case {
        const char16_t* text;
        int32_t base;
        int32_t height;
    };
    const Case cases[] = {
        {u"Tahoma,Bold,11", -12, -11}, // a size is a character height
        {u"11,*2", -12, -11},          // and the factor is then ignored
        {u"{Caption},*1.25", -12, -15},
        {u"*1.25", -14, -18}, // 17.5 rounds up
        {u"*1.25", -13, -16}, // 16.25 rounds down
        {u"*1.25", 13, 16},   // a cell height stays positive
        {u"*0.5", -3, -2},
        {u"*0", -12, -12},
        {u"*abc", -12, -12},
        {u"Bold", -12, -12},
        {u"-9", -12, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToPrintable(c.text));
        EXPECT_EQ(c.height, ScaledFontHeight(FontText::Parse(c.text), c.base));
    }
}

TEST(FontText, HorizontalBaseIsTheRoundedAverageLetterWidth) {
    const int32_t cases[][2] = {{0, 0}, {25, 0}, {26, 1}, {312, 6}, {337, 6}, {338, 7}, {364, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], HorizontalBaseFromAlphabetWidth(c[0])) << "width " << c[0];
}

} // namespace
} // namespace vorn
