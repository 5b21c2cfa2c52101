#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/XmlWriter.h"
#include "XmlTestSupport.h"

namespace vorn {
namespace {

constexpr const char* kDocument = "<a x=\"1 &amp; 2\"><b>t &lt; u</b><c/><!--n-->"
                                  "<![CDATA[<raw>]]><d q='&apos;&quot;'><e>v</e></d></a>";

TEST(XmlWriter, OptionsShapeTheOutput) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, kDocument));
    const struct {
        uint32_t options;
        const char16_t* expected;
    } cases[] = {
        {0, u"<b>t &lt; u</b><c/><![CDATA[<raw>]]><d q=\"&apos;&quot;\"><e>v</e></d>"},
        {kXmlWriteComments,
         u"<b>t &lt; u</b><c/><!--n--><![CDATA[<raw>]]><d q=\"&apos;&quot;\"><e>v</e></d>"},
        {kXmlWriteOuterTags, u"<a x=\"1 &amp; 2\"><b>t &lt; u</b><c/><![CDATA[<raw>]]>"
                             u"<d q=\"&apos;&quot;\"><e>v</e></d></a>"},
        {kXmlWriteIndent, u"\n\t<b>t &lt; u</b>\n\t<c/>\n\t<![CDATA[<raw>]]>"
                          u"\n\t<d q=\"&apos;&quot;\">\n\t\t<e>v</e>\n\t</d>"},
        {kXmlWriteIndent | kXmlWriteOuterTags | kXmlWriteComments,
         u"\n<a x=\"1 &amp; 2\">\n\t<b>t &lt; u</b>\n\t<c/>\n\t<!--n-->\n\t<![CDATA[<raw>]]>"
         u"\n\t<d q=\"&apos;&quot;\">\n\t\t<e>v</e>\n\t</d>\n</a>"},
    };
    for (const auto& c : cases) {
        String text;
        EXPECT_EQ(kResultOk, WriteXml(document.root(), c.options, &text));
        EXPECT_EQ(c.expected, text) << c.options;
    }
}

TEST(XmlWriter, EscapesAllMarkupCharacters) {
    XmlNode* node = XmlNode::NewElement(u"n");
    ASSERT_EQ(kResultOk, node->setText(u"<\"&'>"));
    ASSERT_EQ(kResultOk, node->setAttribute(u"v", u"<\"&'>"));
    String text;
    EXPECT_EQ(kResultOk, WriteXml(node, 0, &text));
    EXPECT_EQ(u"&lt;&quot;&amp;&apos;&gt;", text);
    EXPECT_EQ(kResultOk, WriteXml(node, kXmlWriteOuterTags, &text));
    EXPECT_EQ(u"<n v=\"&lt;&quot;&amp;&apos;&gt;\">&lt;&quot;&amp;&apos;&gt;</n>", text);
    node->setInt32(4);
    EXPECT_EQ(kResultUnsupportedFormat, WriteXml(node, 0, &text));
    EXPECT_EQ(u"", text);
    EXPECT_EQ(kResultNullInput, WriteXml(nullptr, 0, &text));
    EXPECT_EQ(kResultNullOutput, WriteXml(node, 0, nullptr));
    XmlNode::DestroyList(node);
}

// What the writer produces reads back into the same tree.
TEST(XmlWriter, OutputParsesBackToTheSameText) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, kDocument));
    for (uint32_t options : {0u, uint32_t(kXmlWriteComments), uint32_t(kXmlWriteIndent)}) {
        String first;
        ASSERT_EQ(kResultOk, WriteXml(document.root(), options | kXmlWriteOuterTags, &first));
        std::u16string units(first.data(), first.length());
        std::string bytes;
        for (char16_t unit : units)
            bytes += char(unit); // the document is ASCII
        XmlDocument again;
        ASSERT_EQ(kResultOk, ParseText(again, bytes.c_str())) << bytes;
        String second;
        ASSERT_EQ(kResultOk, WriteXml(again.root(), options | kXmlWriteOuterTags, &second));
        EXPECT_EQ(first, second) << options;
    }
}

} // namespace
} // namespace vorn
