#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/XmlWriter.h"
#include "XmlTestSupport.h"

namespace vorn {
namespace {

constexpr const char* kDescription =
    "<Root><Application><UUID>first</UUID><UUID>second</UUID><Sub><UUID>inner</UUID></Sub>"
    "</Application><Application><UUID>other</UUID></Application></Root>";

TEST(XmlPath, FindsFirstElementOfEachComponent) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, kDescription));
    const XmlNode* root = document.root();
    const struct {
        const char16_t* path;
        const char16_t* text; // null: no node
    } cases[] = {
        {u"/Application/UUID", u"first"},
        {u"/Application/Sub/UUID", u"inner"},
        {u"Application/UUID", nullptr},
        {u"/Application//UUID", nullptr},
        {u"/Application/UUID/", nullptr},
        {u"/", nullptr},
        {u"", nullptr},
        {u"/application/UUID", nullptr},
        {u"/Application/Missing", nullptr},
        {u"/Applicatio", nullptr},
    };
    for (const auto& c : cases) {
        const XmlNode* node = root->find(c.path);
        if (!c.text) {
            EXPECT_EQ(nullptr, node) << ToPrintable(c.path);
            String text(u"stale");
            EXPECT_EQ(kResultNotFound, root->getText(c.path, &text)) << ToPrintable(c.path);
            EXPECT_EQ(u"", text);
        } else {
            ASSERT_NE(nullptr, node) << ToPrintable(c.path);
            EXPECT_EQ(c.text, node->text());
        }
    }
    EXPECT_EQ(nullptr, root->find(nullptr));
    ASSERT_NE(nullptr, document.find(u"/Root/Application/Sub/UUID"));
    EXPECT_EQ(u"inner", document.find(u"/Root/Application/Sub/UUID")->text());
    EXPECT_EQ(root, document.find(u"/Root"));
    EXPECT_EQ(nullptr, document.find(u"/Roo/Application"));
    EXPECT_EQ(nullptr, document.find(u"/RootX"));
}

TEST(XmlPath, CreatedElementsComeFirstAndRemoveTakesTheFirstMatch) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, "<Preferences/>"));
    XmlNode* root = document.root();
    ASSERT_EQ(kResultOk, root->setText(u"/User/Global/Language", u"de"));
    ASSERT_EQ(kResultOk, root->setInt32(u"/User/Global/Width", 640));
    ASSERT_EQ(kResultOk, root->setText(u"/System", u"s"));
    EXPECT_EQ(u"Width", root->find(u"/User/Global")->firstChild()->name());
    String written(u"stale");
    EXPECT_EQ(kResultUnsupportedFormat, WriteXml(root, 0, &written)) << "a number is no text";
    EXPECT_EQ(u"", written);
    root->remove(u"/User/Global/Width");
    ASSERT_EQ(kResultOk, WriteXml(root, 0, &written));
    EXPECT_EQ(u"<System>s</System><User><Global><Language>de</Language></Global></User>", written);

    EXPECT_EQ(kResultNotFound, root->setText(u"User", u"x"));
    EXPECT_EQ(kResultNotFound, root->setBoolean(u"/User//x", true));
    EXPECT_EQ(kResultNullInput, root->setText(nullptr, u"x"));

    ASSERT_EQ(kResultOk, ParseText(document, kDescription));
    root = document.root();
    root->remove(u"/Application/UUID");
    root->remove(u"/Application/Nothing");
    root->remove(u"Application");
    EXPECT_EQ(u"second", root->find(u"/Application/UUID")->text());
    root->remove(u"/Application");
    EXPECT_EQ(u"other", root->find(u"/Application/UUID")->text());
}

TEST(XmlValues, ConversionsByKind) {
    XmlDocument document;
    ASSERT_EQ(kResultOk, ParseText(document, "<r><n>-12</n><f>1.5e2</f><b>True</b><x>0x10</x>"
                                             "<c><![CDATA[7]]></c><e><i/>t</e><empty/></r>"));
    XmlNode* r = document.root();
    int32_t number = 1;
    int64_t wide = 1;
    float single = 1;
    double real = 1;
    bool flag = false;
    String text;
    EXPECT_EQ(kResultOk, r->getInt32(u"/n", &number));
    EXPECT_EQ(-12, number);
    EXPECT_EQ(kResultOk, r->getInt64(u"/x", &wide));
    EXPECT_EQ(16, wide);
    EXPECT_EQ(kResultOk, r->getInt32(u"/c", &number));
    EXPECT_EQ(7, number) << "CDATA values read like text";
    EXPECT_EQ(kResultOk, r->getFloat64(u"/f", &real));
    EXPECT_DOUBLE_EQ(150.0, real);
    EXPECT_EQ(kResultOk, r->getFloat32(u"/f", &single));
    EXPECT_FLOAT_EQ(150.0f, single);
    EXPECT_EQ(kResultOk, r->getBoolean(u"/b", &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(kResultOk, r->getText(u"/e", &text));
    EXPECT_EQ(u"<i/>t", text) << "an element with children gives its content";
    EXPECT_EQ(kResultOk, r->getText(u"/empty", &text));
    EXPECT_EQ(u"", text);

    number = 5;
    EXPECT_EQ(kResultKindMismatch, r->getInt32(u"/e", &number));
    EXPECT_EQ(0, number);
    EXPECT_EQ(kResultNotFound, r->getInt32(u"/missing", &number));
    EXPECT_EQ(kResultNullInput, r->getInt32(nullptr, &number));
    EXPECT_EQ(kResultNullOutput, r->getInt32(u"/n", nullptr));
    EXPECT_EQ(kResultNullInput, r->getText(nullptr, nullptr)) << "null input is checked first";

    ASSERT_EQ(kResultOk, r->setInt32(u"/n", -5));
    EXPECT_EQ(kResultOk, r->getInt64(u"/n", &wide));
    EXPECT_EQ(-5, wide) << "sign-extended";
    EXPECT_EQ(kResultKindMismatch, r->getText(u"/n", &text));
    EXPECT_EQ(kResultKindMismatch, r->getFloat32(u"/n", &single));
    ASSERT_EQ(kResultOk, r->setFloat32(u"/f", 0.25f));
    EXPECT_EQ(kResultOk, r->getFloat32(u"/f", &single));
    EXPECT_FLOAT_EQ(0.25f, single);
    EXPECT_EQ(kResultKindMismatch, r->getFloat64(u"/f", &real));
    EXPECT_EQ(0.0, real);
    ASSERT_EQ(kResultOk, r->setBoolean(u"/b", false));
    flag = true;
    EXPECT_EQ(kResultOk, r->getBoolean(u"/b", &flag));
    EXPECT_FALSE(flag);
    EXPECT_EQ(kResultKindMismatch, r->getInt32(u"/b", &number));
    ASSERT_EQ(kResultOk, r->setText(u"/b", u"42"));
    EXPECT_EQ(kResultOk, r->getInt32(u"/b", &number));
    EXPECT_EQ(42, number);
}

TEST(XmlAttributes, TypedReadsAndAbsence) {
    XmlDocument document;
    ASSERT_EQ(kResultOk,
              ParseText(document, "<File Name=' a.txt ' Flag='true' Port='70000' Offset='-3'"
                                  " Big='-9000000000' Size='123456789012'"
                                  " Date='2026-12-07T10:20:30Z'/>"));
    const XmlNode* file = document.root();
    String text;
    EXPECT_EQ(kResultOk, file->getAttribute(u"Name", &text));
    EXPECT_EQ(u"a.txt", text);
    EXPECT_EQ(kResultInvalidName, file->getAttribute(u"name", &text)) << "names are exact";
    EXPECT_EQ(u"", text);
    EXPECT_EQ(kResultOk, file->getAttribute(u"Missing", &text, u"fallback"));
    EXPECT_EQ(u"fallback", text);
    EXPECT_EQ(kResultNullInput, file->getAttribute(nullptr, &text));
    EXPECT_EQ(kResultNullOutput, file->getAttribute(u"Name", nullptr));

    bool flag = false;
    EXPECT_EQ(kResultOk, file->getAttributeBoolean(u"Flag", &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(kResultInvalidName, file->getAttributeBoolean(u"Missing", &flag));
    EXPECT_FALSE(flag);
    EXPECT_EQ(kResultOk, file->getAttributeBoolean(u"Missing", &flag, true));
    EXPECT_TRUE(flag);

    uint16_t port = 0;
    EXPECT_EQ(kResultOk, file->getAttributeUInt16(u"Port", &port));
    EXPECT_EQ(uint16_t(70000), port) << "read as 32 bits, then cut";
    int32_t offset = 0;
    EXPECT_EQ(kResultOk, file->getAttributeInt32(u"Offset", &offset));
    EXPECT_EQ(-3, offset);
    int64_t big = 0;
    EXPECT_EQ(kResultOk, file->getAttributeInt64(u"Big", &big));
    EXPECT_EQ(-9000000000LL, big);
    EXPECT_EQ(kResultInvalidName, file->getAttributeInt64(u"Missing", &big));
    EXPECT_EQ(0, big);
    uint64_t size = 0;
    EXPECT_EQ(kResultOk, file->getSize(&size));
    EXPECT_EQ(123456789012ull, size);
    DateTime date = 0;
    EXPECT_EQ(kResultOk, file->getTimeStamp(&date));
    EXPECT_EQ(u"2026-12-07T10:20:30Z", TimeStampText(date));

    ASSERT_EQ(kResultOk, ParseText(document, "<File Date='yesterday'/>"));
    EXPECT_NE(kResultOk, document.root()->getTimeStamp(&date));
    EXPECT_EQ(kInvalidDateTime, date);
    EXPECT_EQ(kResultInvalidName, document.root()->getSize(&size));
    EXPECT_EQ(0u, size);
    ASSERT_EQ(kResultOk, ParseText(document, "<File/>"));
    date = 0;
    EXPECT_EQ(kResultInvalidName, document.root()->getTimeStamp(&date));
    EXPECT_EQ(kInvalidDateTime, date);
}

// Long and deep trees are freed without recursion.
TEST(XmlNode, DeepAndLongTreesAreFreedOnASmallStack) {
    Result written = kResultFailed;
    uint32_t length = 0;
    ASSERT_TRUE(RunOnSmallStack([&] {
        XmlNode* root = XmlNode::NewElement(u"r");
        XmlNode* last = nullptr;
        for (int i = 0; i < 20000; ++i)
            root->appendChild(&last, XmlNode::NewElement(u"s"));
        String path;
        for (int i = 0; i < 20000; ++i)
            path += u"/d";
        root->findOrCreate(path.data()); // in front of the "s" elements
        String text;
        written = WriteXml(root, 0, &text);
        length = text.length();
        XmlNode::DestroyList(root);
    }));
    EXPECT_EQ(kResultOk, written);
    EXPECT_EQ(20000u * 4 + 20000u * 7 - 3, length) << "<d>…<d/>…</d> then 20000 <s/>";
}

} // namespace
} // namespace vorn
