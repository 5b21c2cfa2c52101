#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/CrashReport.h"

namespace vorn {
namespace {

TEST(MailLinkTest, EscapesTheQueryOnly) {
    EXPECT_EQ(MailLink(u"support@vorn.example", u"50% off", nullptr),
              u"mailto:support@vorn.example?subject=50%25%20off");
    EXPECT_EQ(MailLink(u"mailto:a b@x", u"Hi", u"line one"),
              u"mailto:a b@x?subject=Hi&body=line%20one")
        << "the address is neither prefixed twice nor escaped";
    EXPECT_EQ(MailLink(u"  a@x  ", nullptr, nullptr), u"mailto:  a@x")
        << "trimming happens after the prefix";
    EXPECT_EQ(MailLink(u"a@x", nullptr, u" body "), u"mailto:a@x&body=%20body");
    EXPECT_EQ(MailLink(nullptr, u"s", u"b"), u"");
}

TEST(CrashMessageTest, BothTexts) {
    const String withDump =
        CrashMessage(0xC0000005u, u"C:\\temp\\VornLib-CrashReport.dmp", u"help@vorn.example", true);
    EXPECT_GE(withDump.find(u"Exception: 0xC0000005\n\n"), 0);
    EXPECT_GE(withDump.find(u"[C:\\temp\\VornLib-CrashReport.dmp]"), 0);
    EXPECT_GE(withDump.find(u"support team at [help@vorn.example]\n\nProvide"), 0);
    EXPECT_TRUE(withDump.startsWith(u"This application has encountered a critical error."));

    const String withoutDump = CrashMessage(0x80000003u, String(), u"help@vorn.example", false);
    EXPECT_GE(withoutDump.find(u"Exception: 0x80000003"), 0);
    EXPECT_GE(withoutDump.find(u"[DbgHelp.dll]"), 0);
    EXPECT_GE(withoutDump.find(u"email us at [help@vorn.example]."), 0);
    EXPECT_EQ(-1, withoutDump.find(u".dmp"));

    EXPECT_GE(CrashMessage(0x1F, String(), String(), false).find(u"0x0000001F"), 0)
        << "eight upper-case digits";
}

} // namespace
} // namespace vorn
