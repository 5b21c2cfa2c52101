#include <gtest/gtest.h>

#include "VornLib/core/NearestWord.h"
#include "VornLib/core/XmlVocabulary.h"
#include "XmlTestSupport.h"

namespace vorn {
namespace {

// A small vocabulary of the same shape as the definitions': a root, a list
// and its entries two levels down, and a root that holds other elements.
constexpr XmlElementWords kWords[] = {
    {nullptr, u"Settings", u""},
    {u"Settings", u"Scope", u"Default UserMayChoose"},
    {u"Settings", u"Shortcuts", u""},
    {u"Shortcuts", u"Shortcut", u"Text Help"},
    {nullptr, u"Strings", u"Language", XmlChildren::ListedOrOthers},
    {u"Strings", u"String", u"ID", XmlChildren::Markup},
};
const XmlVocabulary kVocabulary = VocabularyOf(kWords);

bool IsMessageBox(const String& name) {
    return name == u"MessageBox";
}

std::string Utf8(const String& text) {
    std::string out;
    for (uint32_t i = 0; i < text.length(); ++i)
        out += char(text[i] < 0x80 ? text[i] : '?');
    return out;
}

struct VocabularyCase {
    const char* xml;
    // The one problem: its line, column and text; nullptr for none.
    uint32_t line;
    uint32_t column;
    const char* text;
};

class XmlVocabularyCheck : public testing::TestWithParam<VocabularyCase> {};

TEST_P(XmlVocabularyCheck, ReportsTheUnknownWordAtItsPlace) {
    const VocabularyCase& test = GetParam();
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, test.xml));
    std::vector<XmlWordProblem> problems;
    CheckXmlVocabulary(*document.root(), nullptr, kVocabulary, IsMessageBox, &problems);
    if (!test.text) {
        EXPECT_TRUE(problems.empty()) << Utf8(problems[0].text);
        return;
    }
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(test.line, problems[0].position.line);
    EXPECT_EQ(test.column, problems[0].position.column);
    EXPECT_EQ(test.text, Utf8(problems[0].text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlVocabularyCheck,
    testing::Values(
        VocabularyCase{"<Settings>\n <Scope Default=\"A\"/>\n <Shortcuts>\n"
                       "  <Shortcut Text=\"T\" Help=\"H\">a.exe</Shortcut>\n </Shortcuts>\n"
                       "</Settings>",
                       0, 0, nullptr},
        // A misspelt optional element, with its nearest allowed word.
        VocabularyCase{"<Settings>\n  <Scpe Default=\"A\"/>\n</Settings>", 2, 4,
                       "\"Scpe\" is no element of Settings (did you mean \"Scope\"?); allowed: "
                       "Scope, Shortcuts"},
        // An unknown attribute of a known element, two edits away.
        VocabularyCase{"<Settings><Scope Defualt=\"A\"/></Settings>", 1, 18,
                       "\"Defualt\" is no attribute of Scope (did you mean \"Default\"?); "
                       "allowed: Default, UserMayChoose"},
        // Deep in the tree; an element allowed elsewhere is not allowed here.
        VocabularyCase{"<Settings>\n<Shortcuts>\n<Shortcut/>\n<Scope/>\n</Shortcuts>\n</Settings>",
                       4, 2, "\"Scope\" is no element of Shortcuts; allowed: Shortcut"},
        // A leaf holds no elements; a far-off word gets no guess.
        VocabularyCase{"<Settings><Scope><Anything/></Scope></Settings>", 1, 19,
                       "\"Anything\" is no element of Scope; allowed: none"},
        // Names are compared exactly, though the guess ignores case.
        VocabularyCase{"<Settings><scope/></Settings>", 1, 12,
                       "\"scope\" is no element of Settings (did you mean \"Scope\"?); allowed: "
                       "Scope, Shortcuts"},
        VocabularyCase{"<Setings/>", 1, 2,
                       "\"Setings\" is no root element here (did you mean \"Settings\"?); "
                       "allowed: Settings, Strings"},
        // What another check reads is passed over where the row allows it
        // only; so is a string's markup.
        VocabularyCase{"<Strings Language=\"de\"><String ID=\"A\">a <b>b</b></String>"
                       "<MessageBox Type=\"x\"/></Strings>",
                       0, 0, nullptr},
        VocabularyCase{"<Settings><MessageBox/></Settings>", 1, 12,
                       "\"MessageBox\" is no element of Settings; allowed: Scope, Shortcuts"}));

// Every unknown word is reported, in document order; an unknown element's
// own children are not reported again.
TEST(XmlVocabulary, ReportsEveryProblemInDocumentOrder) {
    XmlDocument document;
    ASSERT_EQ(kResultOk,
              ParseText(document, "<Settings>\n<Scope Defualt=\"A\" UserMayChose=\"1\"/>\n"
                                  "<Shortcutt><Shortcut Txt=\"T\"/></Shortcutt>\n"
                                  "</Settings>"));
    std::vector<XmlWordProblem> problems;
    CheckXmlVocabulary(*document.root(), nullptr, kVocabulary, nullptr, &problems);
    ASSERT_EQ(3u, problems.size());
    const uint32_t expected[][2] = {{2, 8}, {2, 20}, {3, 2}};
    for (size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(expected[i][0], problems[i].position.line) << i;
        EXPECT_EQ(expected[i][1], problems[i].position.column) << i;
    }
    EXPECT_NE(std::string::npos, Utf8(problems[2].text).find("did you mean \"Shortcuts\"?"));
}

TEST(NearestWord, OffersOnlyANearWordAndTheFirstOfEquallyNearOnes) {
    const struct {
        const char16_t* text;
        const char16_t* expected;
    } cases[] = {
        {u"RemoveBy", u"RemovedBy"}, {u"FileTyp", u"FileType"},   {u"Defualt", u"Default"},
        {u"tExT", u"Text"},          {u"Hlp", u"Help"},           {u"Hp", u""},
        {u"Execute", u""},           {u"Shortcutt", u"Shortcut"},
    };
    for (const auto& test : cases) {
        NearestWord nearest(test.text);
        for (const char16_t* word : {u"RemovedBy", u"FileType", u"FileTypes", u"Default", u"Text",
                                     u"Help", u"Executable", u"Shortcut", u"Shortcuts"})
            nearest.consider(word);
        EXPECT_EQ(String(test.expected), nearest.word()) << Utf8(test.text);
    }
    EXPECT_EQ(0u, EditDistance(u"Scope", u"sCOPE"));
    EXPECT_EQ(2u, EditDistance(u"Defualt", u"Default"));
    EXPECT_EQ(3u, EditDistance(u"", u"abc"));
}

} // namespace
} // namespace vorn
