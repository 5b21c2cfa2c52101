// The one reader of description words: a word is found exactly or fails
// with 5, an absent attribute is 38 and changes nothing, and style words and
// flags set and clear their bits.
#include <gtest/gtest.h>

#include "VornLib/core/XmlTestSupport.h"
#include "VornLib/gui/StyleWords.h"

namespace vorn {
namespace {

enum class Shape { Round, Square };
constexpr DescriptionWord<Shape> kShapes[] = {{u"Round", Shape::Round}, {u"Square", Shape::Square}};
constexpr DescriptionWord<StyleBits> kAligns[] = {
    {u"Left", {0x0, 0x3}},
    {u"Center", {0x1, 0x3}},
    {u"Right", {0x2, 0x3}},
};

TEST(DescriptionWords, WordsAreReadExactly) {
    XmlDocument document;
    ASSERT_EQ(0u, ParseText(document, R"(<Box A="Square" B="square" C=""/>)"));
    const XmlNode& box = *document.root();
    Shape shape = Shape::Round;
    EXPECT_EQ(0u, ReadWord(box, u"A", kShapes, &shape));
    EXPECT_EQ(Shape::Square, shape);
    shape = Shape::Round;
    EXPECT_EQ(5u, ReadWord(box, u"B", kShapes, &shape)) << "compared exactly";
    EXPECT_EQ(5u, ReadWord(box, u"C", kShapes, &shape));
    EXPECT_EQ(38u, ReadWord(box, u"D", kShapes, &shape));
    EXPECT_EQ(Shape::Round, shape) << "unchanged by a failure";
    EXPECT_EQ(nullptr, FindWord(kShapes, String(u"Oval")));
}

TEST(DescriptionWords, StyleWordsAndFlagsSetAndClearTheirBits) {
    XmlDocument document;
    ASSERT_EQ(0u,
              ParseText(document, R"(<Box Align="Right" Bad="Middle" On="true" Off="false"/>)"));
    const XmlNode& box = *document.root();
    uint32_t style = 0x101; // a centred style with an unrelated bit
    EXPECT_EQ(0u, ApplyStyleWord(box, u"Align", kAligns, &style));
    EXPECT_EQ(0x102u, style);
    EXPECT_EQ(0u, ApplyStyleWord(box, u"Missing", kAligns, &style)) << "absent is no error";
    EXPECT_EQ(5u, ApplyStyleWord(box, u"Bad", kAligns, &style));
    EXPECT_EQ(0x102u, style);
    ApplyStyleFlag(box, u"On", 0x30, &style);
    EXPECT_EQ(0x132u, style);
    ApplyStyleFlag(box, u"Off", 0x102, &style);
    EXPECT_EQ(0x30u, style);
    ApplyStyleFlag(box, u"Missing", 0x30, &style);
    EXPECT_EQ(0x30u, style);
}

} // namespace
} // namespace vorn
