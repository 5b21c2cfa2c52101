#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

const char16_t kThirtyUnits[] = u"abcdefghijklmnopqrstuvwxyz0123";

TEST(StringStorage, ShortTextsStayInline) {
    String empty;
    EXPECT_EQ(0u, empty.length());
    EXPECT_EQ(24u, empty.capacity());
    EXPECT_FALSE(empty.usesHeap());
    EXPECT_EQ(0, empty.data()[0]);

    String longest(u"abcdefghijklmnopqrstuvw"); // 23 units
    EXPECT_EQ(23u, longest.length());
    EXPECT_FALSE(longest.usesHeap());
    EXPECT_EQ(0, longest.data()[23]);
}

TEST(StringStorage, LongAssignmentAllocatesExactlyAndShortOneReleases) {
    String text(kThirtyUnits);
    EXPECT_TRUE(text.usesHeap());
    EXPECT_EQ(31u, text.capacity());
    text = u"short";
    EXPECT_FALSE(text.usesHeap());
    EXPECT_EQ(24u, text.capacity());
    EXPECT_EQ(text, u"short");
    text = static_cast<const char16_t*>(nullptr);
    EXPECT_TRUE(text.isEmpty());
}

TEST(StringStorage, AssigningOwnDataOrSubTextIsSafe) {
    String text(kThirtyUnits);
    text = text.data();
    EXPECT_EQ(text, kThirtyUnits);
    text.assign(text.data() + 10, 20); // overlaps our own heap block
    EXPECT_EQ(text, u"klmnopqrstuvwxyz0123");
    const String copy = text;
    text = copy;
    EXPECT_EQ(text, copy);
}

TEST(StringStorage, AppendGrowsWithSlack) {
    String text(u"abcdefghijklmnopqrstuvw");
    text += u'x';
    EXPECT_EQ(24u, text.length());
    EXPECT_EQ(24u + 32u, text.capacity());
    const char16_t* block = text.data();
    for (int i = 0; i < 31; ++i)
        text += u'y';
    EXPECT_EQ(block, text.data()) << "appends inside the slack must not reallocate";
    text += u'z';
    EXPECT_EQ(56u + 32u, text.capacity());
    EXPECT_EQ(u'z', text[55]);
    EXPECT_EQ(0, text.data()[56]);
}

TEST(StringStorage, MovesTransferTheBlock) {
    String source(kThirtyUnits);
    const char16_t* block = source.data();
    String target(static_cast<String&&>(source));
    EXPECT_EQ(block, target.data());
    EXPECT_TRUE(source.isEmpty());
    EXPECT_FALSE(source.usesHeap());
    String inlineSource(u"tiny");
    target = static_cast<String&&>(inlineSource);
    EXPECT_EQ(target, u"tiny");
}

TEST(StringConcatenation, ChainAllocatesOnceWithSlack) {
    const String a(u"0123456789");
    const String b(u"abcdefghij");
    String result = a + u" - " + b + u'!' + a;
    EXPECT_EQ(result, u"0123456789 - abcdefghij!0123456789");
    EXPECT_EQ(result.length() + 32u, result.capacity());
}

TEST(StringConcatenation, DestinationMayBeAnOperand) {
    String text(u"abc");
    text = text + u"-" + text + u"-" + text;
    EXPECT_EQ(text, u"abc-abc-abc");
    String longText(kThirtyUnits);
    longText = u'<' + longText + u'>';
    EXPECT_EQ(32u, longText.length());
    EXPECT_EQ(u'<', longText[0]);
    EXPECT_EQ(u'>', longText[31]);
    longText += longText + longText;
    EXPECT_EQ(96u, longText.length());
}

TEST(StringConcatenation, JoinedTextWithinTheExpression) {
    const String key(u"Software\\Vorn");
    EXPECT_EQ(0, CompareText((key + u'\\' + u"Demo").data(), u"Software\\Vorn\\Demo"));
    EXPECT_EQ(15u, TextLength((u"<" + key + u">").data()));
}

TEST(StringCompare, OrdinalWithPrefixFirst) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int expected;
    } cases[] = {
        {u"abc", u"abc", 0}, {u"ab", u"abc", -1}, {u"abc", u"ab", 1},   {u"B", u"a", -1},
        {nullptr, u"", 0},   {u"", nullptr, 0},   {u"\xFFFF", u"a", 1}, {nullptr, u"a", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CompareText(c.a, c.b))
            << ToPrintable(c.a) << " vs " << ToPrintable(c.b);
}

TEST(StringCompare, IgnoringCase) {
    EXPECT_EQ(0, CompareTextIgnoringCase(u"Quiet", u"QUIET"));
    EXPECT_EQ(0, CompareTextIgnoringCase(u"de", u"DE"));
    EXPECT_NE(0, CompareTextIgnoringCase(u"de", u"den"));
    EXPECT_EQ(0,
              String(u"LaunchedAsAdministrator").compareIgnoringCase(u"launchedasadministrator"));
}

TEST(StringSearch, FindAndSlices) {
    const String text(u"Data/Xml/Configuration.xml");
    EXPECT_EQ(4, text.find(u'/'));
    EXPECT_EQ(-1, text.find(u'\\'));
    EXPECT_EQ(8, text.findLast(u'/'));
    EXPECT_EQ(-1, text.findLast(u'\\'));
    EXPECT_EQ(-1, String().findLast(u'a'));
    EXPECT_EQ(9, text.find(u"Configuration"));
    EXPECT_EQ(-1, text.find(u"configuration"));
    EXPECT_EQ(0, text.find(u""));
    EXPECT_EQ(-1, String(u"ab").find(u"abc"));
    EXPECT_EQ(text.left(4), u"Data");
    EXPECT_EQ(text.left(100), text);
    EXPECT_EQ(text.mid(9), u"Configuration.xml");
    EXPECT_EQ(text.mid(26), u"");
    EXPECT_EQ(text.mid(9, 13), u"Configuration");
    EXPECT_EQ(text.mid(22, 100), u".xml");
    EXPECT_EQ(text.mid(50, 2), u"");
    EXPECT_EQ(text.lastCharacter(), u"l");
    EXPECT_EQ(String(u"a").lastCharacter(), u"a");
    EXPECT_EQ(String().lastCharacter(), u"");
}

TEST(StringEdit, Replace) {
    String path(u"C:/Program Files/Vorn/");
    EXPECT_EQ(3u, path.replace(u'/', u'\\'));
    EXPECT_EQ(path, u"C:\\Program Files\\Vorn\\");

    String text(u"a&b&c");
    EXPECT_EQ(2u, text.replace(u'&', u"%26"));
    EXPECT_EQ(text, u"a%26b%26c");
    EXPECT_EQ(2u, text.replace(u'%', u""));
    EXPECT_EQ(text, u"a26b26c");
    EXPECT_EQ(0u, text.replace(u'x', u"yyy"));

    String grows(u"xxxxxxxxxxxx"); // 12 units -> 48, forcing a heap block
    EXPECT_EQ(12u, grows.replace(u'x', u"abcd"));
    EXPECT_EQ(48u, grows.length());
    EXPECT_EQ(grows.mid(44), u"abcd");
}

TEST(StringEdit, CaseAndWhitespace) {
    String text(u"HeLLo ÄÖ World");
    text.toLowerCase();
    EXPECT_EQ(text, u"hello ÄÖ world");
    text.capitalizeWords();
    EXPECT_EQ(text, u"Hello ÄÖ World");
    String tabs(u"one\ttwo\u00A0three");
    tabs.capitalizeWords();
    EXPECT_EQ(tabs, u"One\tTwo\u00A0Three");

    String padded(u" \t\u2028 middle \u0085\n");
    String left = padded;
    left.trimLeft();
    EXPECT_EQ(left, u"middle \u0085\n");
    String right = padded;
    right.trimRight();
    EXPECT_EQ(right, u" \t\u2028 middle");

    String messy(u"  several   words\t\there \r\n");
    messy.simplify();
    EXPECT_EQ(messy, u"several words here");
    String blank(u" \t ");
    blank.simplify();
    EXPECT_EQ(blank, u"");
}

TEST(StringText, Utf8Encoding) {
    EXPECT_EQ("a\xC3\xA9\xE2\x82\xAC", ToUtf8(String(u"a\u00E9\u20AC")));
    EXPECT_EQ("\xF0\x9F\x98\x80", ToUtf8(String(u"\U0001F600")))
        << "a surrogate pair is one sequence";
    EXPECT_EQ("\xED\xA0\x80x", ToUtf8(String(u"\xD800x"))) << "a lone surrogate stays";
    EXPECT_EQ("", ToUtf8(String()));
}

TEST(StringText, LengthOfRawText) {
    EXPECT_EQ(0u, TextLength(nullptr));
    EXPECT_EQ(0u, TextLength(u""));
    EXPECT_EQ(5u, TextLength(u"hello"));
    EXPECT_TRUE(IsWhitespace(u'\x01'));
    EXPECT_TRUE(IsWhitespace(u' '));
    EXPECT_FALSE(IsWhitespace(u'\0'));
    EXPECT_FALSE(IsWhitespace(u'!'));
    EXPECT_TRUE(IsWhitespace(u'\u2028'));
    EXPECT_FALSE(IsWhitespace(u'\u2029'));
}

} // namespace
} // namespace vorn
