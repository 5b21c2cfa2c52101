// Access keys: the letter after a single "&", "&&" marking none, case folded
// for the alphabets of the eight languages, and texts from elsewhere (a
// product's name) that stand in a caption as themselves.
#include <gtest/gtest.h>

#include "VornLib/gui/AccessKeys.h"

namespace vorn {
namespace {

TEST(AccessKeys, TheLetterAfterASingleAmpersandUpperCased) {
    EXPECT_EQ(u'I', AccessKeyOf(u"&Install"));
    EXPECT_EQ(u'R', AccessKeyOf(u"B&rowse…"));
    EXPECT_EQ(u'Q', AccessKeyOf(u"Save && &quit")) << "\"&&\" is passed over";
    EXPECT_EQ(u'У', AccessKeyOf(u"&установить"));
    EXPECT_EQ(u'É', AccessKeyOf(u"&écrire"));
    EXPECT_EQ(u'安', AccessKeyOf(u"&安装")) << "a letter without case stays itself";
    EXPECT_EQ(0, AccessKeyOf(u"R&&D"));
    EXPECT_EQ(0, AccessKeyOf(u"ends in &"));
    EXPECT_EQ(0, AccessKeyOf(nullptr));
}

TEST(AccessKeys, AnEscapedTextMarksNothingAndReadsAsItself) {
    for (const char16_t* name : {u"R&D Tools", u"&&", u"Plain", u"A & B &"}) {
        const String escaped = EscapeAccessKeys(String(name));
        EXPECT_EQ(0, AccessKeyOf(escaped.data()));
        EXPECT_EQ(String(name), WithoutAccessKeys(escaped.data()));
    }
    EXPECT_EQ(String(u"Save & go"), WithoutAccessKeys(u"&Save && go"));
    EXPECT_EQ(String(u"Start R&D Tools"),
              WithoutAccessKeys((String(u"&Start ") + EscapeAccessKeys(u"R&D Tools")).data()));
}

} // namespace
} // namespace vorn
