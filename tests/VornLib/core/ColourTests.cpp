#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/Colour.h"

namespace vorn {
namespace {

::testing::AssertionResult IsColour(const Colour& c, int r, int g, int b, int a) {
    if (c.red == r && c.green == g && c.blue == b && c.alpha == a)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << int(c.red) << "," << int(c.green) << ","
                                         << int(c.blue) << "," << int(c.alpha);
}

TEST(ColourText, HexForms) {
    Colour c;
    EXPECT_EQ(0u, Colour::Parse(u"#0F8", &c));
    EXPECT_TRUE(IsColour(c, 0, 255, 136, 255));
    EXPECT_EQ(0u, Colour::Parse(u"#F80", &c));
    EXPECT_TRUE(IsColour(c, 255, 136, 0, 255));
    EXPECT_EQ(0u, Colour::Parse(u"#102030", &c));
    EXPECT_TRUE(IsColour(c, 16, 32, 48, 255));
    EXPECT_EQ(0u, Colour::Parse(u"#10203040", &c));
    EXPECT_TRUE(IsColour(c, 16, 32, 48, 64));
    EXPECT_EQ(0x40302010u, c.value());
}

TEST(ColourText, FailuresGiveOpaqueBlack) {
    struct Case {
        const char16_t* text;
        uint32_t result;
    } cases[] = {
        {u"#12345", 33}, {u"#", 33}, {u"#GGG", 33}, {u"#12G", 33},
        {u"blue", 33},   {u"", 33},  {nullptr, 15},
    };
    for (const Case& test : cases) {
        Colour c{1, 2, 3, 4};
        EXPECT_EQ(test.result, Colour::Parse(test.text, &c)) << ToPrintable(test.text);
        EXPECT_TRUE(IsColour(c, 0, 0, 0, 255)) << ToPrintable(test.text);
    }
    EXPECT_EQ(23u, Colour::Parse(u"Red", nullptr));
}

TEST(ColourText, NamesAreCaseSensitive) {
    Colour c;
    EXPECT_EQ(0u, Colour::Parse(u"Transparent", &c));
    EXPECT_TRUE(IsColour(c, 0, 0, 0, 0));
    EXPECT_EQ(0u, Colour::Parse(u"LightOrange", &c));
    EXPECT_TRUE(IsColour(c, 255, 217, 76, 255));
    EXPECT_EQ(0u, Colour::Parse(u"DarkBlue", &c));
    EXPECT_TRUE(IsColour(c, 0, 0, 128, 255));
    EXPECT_EQ(33u, Colour::Parse(u"lightorange", &c));
}

TEST(SystemColourText, NamesMapToIndices) {
    SystemColour c;
    EXPECT_EQ(0u, SystemColour::Parse(u"Hyperlink", &c));
    EXPECT_EQ(26, c.systemIndex);
    EXPECT_EQ(0u, c.colour.value());
    EXPECT_EQ(0u, SystemColour::Parse(u"WindowInactiveTitleBackgroundRight", &c));
    EXPECT_EQ(28, c.systemIndex);
    EXPECT_EQ(0u, SystemColour::Parse(u"#FF0000", &c));
    EXPECT_EQ(-1, c.systemIndex);
    EXPECT_TRUE(IsColour(c.colour, 255, 0, 0, 255));
    EXPECT_EQ(33u, SystemColour::Parse(u"hyperlink", &c));
    EXPECT_EQ(-1, c.systemIndex);
    EXPECT_TRUE(IsColour(c.colour, 0, 0, 0, 255));
}

TEST(SystemColourText, EqualityByIndexOrResolvedValue) {
    SystemColour face, dialog, red, alsoRed;
    (void)SystemColour::Parse(u"GUIFace", &face);
    (void)SystemColour::Parse(u"DialogBoxBackground", &dialog);
    (void)SystemColour::Parse(u"Red", &red);
    (void)SystemColour::Parse(u"#FF0000", &alsoRed);
    EXPECT_TRUE(face == dialog) << "both are the button face";
    EXPECT_TRUE(red == alsoRed);
    EXPECT_FALSE(red == face && face.resolved() != red.colour);
}

} // namespace
} // namespace vorn
