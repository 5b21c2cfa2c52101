#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GrowableStream.h"
#include "TestText.h"
#include "VornLib/core/XmlWriter.h"
#include "XmlTestSupport.h"

namespace vorn {
namespace {

struct ResultCase {
    const char* text;
    uint32_t expected;
};

TEST(XmlReader, ResultOfEachMalformedOrAcceptedInput) {
    const ResultCase cases[] = {
        {"<a/>", 0},
        {"<?xml version=\"1.0\"?>", 33},
        {"  \r\n ", 33},
        {"<!-- only a comment -->", 33},
        {"<a>x &amp; y</a>", 0},
        {"<a>x > y</a>", 34},
        {"<a></b>", 38},
        {"<a></a >", 0},
        {"<a></a x>", 33},
        {"<?xml version=\"1.1\"?><a/>", 3},
        {"<?xml version=\"one\"?><a/>", 3},
        {"<?xml version=\"1.00\"?><a/>", 0},
        {"<?xml version=\"1.0\"><a/>", 34},
        {"<?xml version=\"1.0\"encoding=\"utf-8\"?><a/>", 34},
        {"<a><?xml version=\"1.0\"?></a>", 33},
        {"<?target data?><a/>", 34},
        {"<!DOCTYPE a><a/>", 34},
        {"<a/><b/>", 33},
        {"text<a/>", 33},
        {"<a/>text", 33},
        {"<a/>&#32;", 0},
        {"</a>", 33},
        {"<a>&bogus;</a>", 34},
        {"<a>&ampx;</a>", 34},
        {"<a>&#;</a>", 34},
        {"<a>&#0;</a>", 34},
        {"<a>&#x41</a>", 34},
        {"<a>&#x10041;</a>", 0},
        {"<a b='1' c=\"2\"/>", 0},
        {"<a b='1'c='2'/>", 34},
        {"<a b=1/>", 34},
        {"<a b/>", 34},
        {"<a b=\"x\" / >", 34},
        {"< a/>", 34},
        {"<1a/>", 34},
        {"<a:b.c-d_e/>", 0},
        {"<a><!-- x -- y --></a>", 34},
        {"<a><!- x --></a>", 34},
        {"<a><![CDATA[x]]></a>", 0},
        {"<a><![CDAT[x]]></a>", 34},
        {"<![CDATA[x]]><a/>", 33},
        {"<a>", 19},
        {"<a><!-- x", 19},
        {"<a b=\"x", 19},
        {"<a>&am", 19},
        {"<!-- c --><a/><!-- d -->", 0},
        {"\xEF\xBB\xBF<a/>", 0},
        {"\xEF\xBB<a/>", 3},
        {"<a>\xF0\x9F\x98\x80</a>", 34},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>", 3},
    };
    for (const ResultCase& c : cases) {
        XmlDocument document;
        EXPECT_EQ(c.expected, ParseText(document, c.text)) << c.text;
        if (c.expected != kResultOk) {
            EXPECT_EQ(nullptr, document.firstNode()) << c.text;
            EXPECT_EQ(1u, document.line());
            EXPECT_EQ(0u, document.column());
            EXPECT_NE(0u, document.errorLine()) << c.text;
            EXPECT_NE(0, *document.errorText()) << c.text;
        } else {
            EXPECT_NE(nullptr, document.root()) << c.text;
            EXPECT_EQ(0u, document.errorLine());
        }
    }
}

TEST(XmlReader, ArgumentsAndEmptyInputs) {
    XmlDocument document;
    EXPECT_EQ(kResultNullInput, document.parse(nullptr));
    EXPECT_EQ(kResultNullInput, document.parse(nullptr, 4, u"x"));
    EXPECT_EQ(kResultEmptyInput, document.parse("<a/>", 0, u"x"));
    GrowableStream empty;
    EXPECT_EQ(kResultMalformed, document.parse(&empty));
    GrowableStream failing(std::vector<uint8_t>{'<', 'a', '/', '>'});
    failing.failReadsWith = kResultCrcError;
    EXPECT_EQ(kResultCrcError, document.parse(&failing));
}

TEST(XmlReader, FailedParseEmptiesThePreviousDocument) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, "<?xml version=\"1.0\"?>\n<a/>"));
    EXPECT_FALSE(document.standalone());
    EXPECT_EQ(2u, document.line());
    EXPECT_EQ(kResultInvalidName, ParseText(document, "<a></b>"));
    EXPECT_EQ(nullptr, document.root());
    EXPECT_TRUE(document.standalone());
    EXPECT_EQ(0x100, document.version());
}

TEST(XmlReader, DeclarationFields) {
    XmlDocument document;
    ASSERT_EQ(
        kResultOk,
        ParseText(document, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><a/>"));
    EXPECT_TRUE(document.standalone());
    EXPECT_EQ(0x100, document.version());
    ASSERT_EQ(kResultOk, ParseText(document, "<?xml version='1.0' standalone='no'?><a/>"));
    EXPECT_FALSE(document.standalone());
    ASSERT_EQ(kResultOk, ParseText(document, "<a/>"));
    EXPECT_TRUE(document.standalone()) << "no declaration";
}

std::vector<uint8_t> Utf16(const std::u16string& text, bool bigEndian) {
    std::vector<uint8_t> bytes =
        bigEndian ? std::vector<uint8_t>{0xFE, 0xFF} : std::vector<uint8_t>{0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(uint8_t(bigEndian ? unit >> 8 : unit));
        bytes.push_back(uint8_t(bigEndian ? unit : unit >> 8));
    }
    return bytes;
}

TEST(XmlReader, DeclaredEncodingMustAgreeWithTheMark) {
    const struct {
        std::u16string text;
        bool bigEndian;
        uint32_t expected;
    } cases[] = {
        {u"<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>", false, 3},
        {u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u20AC</a>", false, 0},
        {u"<?xml version=\"1.0\" encoding=\"utf-16\"?><a>\u20AC</a>", true, 0},
        {u"<a>\u20AC</a>", true, 0},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> bytes = Utf16(c.text, c.bigEndian);
        XmlDocument document;
        EXPECT_EQ(c.expected, document.parse(bytes.data(), uint32_t(bytes.size()), u"x"));
        if (c.expected == kResultOk) {
            EXPECT_EQ(u"\u20AC", document.root()->text());
        }
    }
}

TEST(XmlReader, TextReferencesAndSimpleValues) {
    XmlDocument document;
    ASSERT_EQ(kResultOk,
              ParseText(document, "<a>x &amp; y&#x41;&#x6a;&#66;&lt;&gt;&quot;&apos;</a>"));
    EXPECT_EQ(XmlValueKind::Text, document.root()->kind());
    EXPECT_EQ(u"x & yAjB<>\"'", document.root()->text());
    EXPECT_EQ(nullptr, document.root()->firstNode()) << "the text child became the value";

    ASSERT_EQ(kResultOk, ParseText(document, "<a>&#x10041;&#65601;</a>"));
    EXPECT_EQ(u"AA", document.root()->text()) << "references are cut to 16 bits";

    ASSERT_EQ(kResultOk, ParseText(document, "<a><![CDATA[<b>&amp;]]]></a>"));
    EXPECT_EQ(XmlValueKind::CData, document.root()->kind());
    EXPECT_EQ(u"<b>&amp;]", document.root()->text());

    ASSERT_EQ(kResultOk, ParseText(document, "<a>   </a>"));
    EXPECT_EQ(XmlValueKind::None, document.root()->kind()) << "whitespace-only text is dropped";
    EXPECT_EQ(nullptr, document.root()->firstNode());

    ASSERT_EQ(kResultOk, ParseText(document, "<a>\xC3\xA9</a>"));
    EXPECT_EQ(u"\u00E9", document.root()->text());
}

TEST(XmlReader, ElementContentKeepsTextWithCharactersAndSkipsComments) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, "<a><b/> <!-- c --> <b/></a>"));
    XmlNode* a = document.root();
    ASSERT_NE(nullptr, a->firstChild());
    EXPECT_EQ(u"b", a->firstChild()->name());
    ASSERT_NE(nullptr, a->firstChild()->nextSibling());
    EXPECT_EQ(u"b", a->firstChild()->nextSibling()->name());
    EXPECT_EQ(nullptr, a->firstChild()->nextSibling()->nextSibling());
    ASSERT_NE(nullptr, a->firstNode()->nextNode());
    EXPECT_EQ(XmlValueKind::Comment, a->firstNode()->nextNode()->kind());
    EXPECT_EQ(u"c", a->firstNode()->nextNode()->text());

    ASSERT_EQ(kResultOk, ParseText(document, "<a> text <b/></a>"));
    XmlNode* text = document.root()->firstChild();
    ASSERT_NE(nullptr, text);
    EXPECT_FALSE(text->isElement());
    EXPECT_EQ(u" text ", text->text());
    ASSERT_NE(nullptr, text->nextSibling());
    EXPECT_EQ(u"b", text->nextSibling()->name());

    ASSERT_EQ(kResultOk, ParseText(document, "<!-- before --><a/><!-- after -->"));
    EXPECT_EQ(XmlValueKind::Comment, document.firstNode()->kind());
    EXPECT_EQ(u"a", document.root()->name());
}

TEST(XmlReader, AttributeValuesAreSimplifiedInOrder) {
    XmlDocument document;
    ASSERT_EQ(
        kResultOk,
        ParseText(document, "<a first='  two   words ' second=\"&#x41;&#66;\" third='a\"b'/>"));
    const XmlAttribute* attribute = document.root()->firstAttribute();
    const char16_t* expected[][2] = {
        {u"first", u"two words"}, {u"second", u"AB"}, {u"third", u"a\"b"}};
    for (const auto& pair : expected) {
        ASSERT_NE(nullptr, attribute);
        EXPECT_EQ(pair[0], attribute->name);
        EXPECT_EQ(pair[1], attribute->value);
        attribute = attribute->next;
    }
    EXPECT_EQ(nullptr, attribute);
}

TEST(XmlReader, CommentsAreNormalised) {
    const struct {
        const char16_t* text;
        const char16_t* normal;
    } cases[] = {
        {u"  a   b  ", u"a b"}, {u"a--b", u"a-b"},    {u"a-----b", u"a-b"},
        {u"a-", u"a"},          {u"a - - ", u"a - "}, {u"---", u""},
    };
    for (const auto& c : cases) {
        String text(c.text);
        NormaliseCommentText(&text);
        EXPECT_EQ(c.normal, text) << ToPrintable(c.text);
    }
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, "<!--  x &#45;&#45;&#45; y &#45;--><a/>"));
    EXPECT_EQ(u"x - y ", document.firstNode()->text()) << "simplified before the dashes go";
}

TEST(XmlReader, FailurePositionCountsLinesTabsAndBreaks) {
    const struct {
        const char* text;
        uint32_t result;
        uint32_t line;
        uint32_t column;
    } cases[] = {
        {"<a>\n  <b>\n</a>", 38, 3, 4},  {"<a>\n\t\tx &bad;", 34, 2, 15},
        {"<a>\r\n\r\n<b>&x;", 34, 3, 6}, {"<a>\r\r<b>&x;", 34, 3, 6},
        {"<a>\xC2\x85<b>&x;", 34, 2, 6}, {"<a>\xE2\x80\xA8 <b>&x;", 34, 2, 7},
        {"<a>x\tyz<", 19, 1, 11},
    };
    for (const auto& c : cases) {
        XmlDocument document;
        EXPECT_EQ(c.result, ParseText(document, c.text)) << c.text;
        EXPECT_EQ(c.line, document.errorLine()) << c.text;
        EXPECT_EQ(c.column, document.errorColumn()) << c.text;
    }
    std::string withNul = "<a>x";
    withNul.push_back('\0');
    withNul += "</a>";
    XmlDocument document;
    EXPECT_EQ(kResultUnexpectedToken,
              document.parse(withNul.data(), uint32_t(withNul.size()), u"x"));
    EXPECT_EQ(5u, document.errorColumn());
}

std::string Nested(uint32_t depth) {
    std::string text;
    for (uint32_t i = 0; i < depth; ++i)
        text += "<e>";
    for (uint32_t i = 0; i < depth; ++i)
        text += "</e>";
    return text;
}

TEST(XmlReader, NestingLimitProtectsSmallStacks) {
    Result atLimit = kResultFailed;
    Result pastLimit = kResultFailed;
    Result hostile = kResultFailed;
    String content;
    const std::string limit = Nested(kXmlMaxDepth);
    const std::string past = Nested(kXmlMaxDepth + 1);
    std::string manyOpen;
    for (int i = 0; i < 100000; ++i)
        manyOpen += "<e>";
    ASSERT_TRUE(RunOnSmallStack([&] {
        XmlDocument document;
        atLimit = ParseText(document, limit.c_str());
        if (atLimit == kResultOk)
            (void)WriteXml(document.root(), kXmlWriteIndent, &content);
        pastLimit = ParseText(document, past.c_str());
        hostile = ParseText(document, manyOpen.c_str());
    }));
    EXPECT_EQ(kResultOk, atLimit);
    EXPECT_EQ(kResultMalformed, pastLimit);
    EXPECT_EQ(kResultMalformed, hostile);
    uint32_t elements = 0;
    for (uint32_t i = 0; i + 1 < content.length(); ++i)
        elements += content[i] == u'<' && content[i + 1] == u'e';
    EXPECT_EQ(kXmlMaxDepth - 1, elements) << "the root's content, without its own tags";
}

} // namespace
} // namespace vorn
