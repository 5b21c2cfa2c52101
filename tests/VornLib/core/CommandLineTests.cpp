#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/CommandLine.h"

namespace vorn {
namespace {

TEST(CommandLineTokens, QuotesToggleAndStay) {
    const auto tokens =
        CommandLine::Tokenize(u"\"C:\\Program Files\\Setup.exe\"  /a  x\"y z\"w\t\"\"");
    ASSERT_EQ(4u, tokens.size());
    EXPECT_EQ(tokens[0], u"\"C:\\Program Files\\Setup.exe\"");
    EXPECT_EQ(tokens[1], u"/a");
    EXPECT_EQ(tokens[2], u"x\"y z\"w");
    EXPECT_EQ(tokens[3], u"\"\"");
    EXPECT_TRUE(CommandLine::Tokenize(u"   ").empty());
    EXPECT_TRUE(CommandLine::Tokenize(nullptr).empty());
    EXPECT_EQ(1u, CommandLine::Tokenize(u"\"open quote never closed").size());
}

TEST(CommandLineSwitches, NamesValuesAndArguments) {
    CommandLine line;
    line.parse(u"setup.exe /Quiet -Language=de /InstallFolder:\"C:\\Some Where\\Demo\" "
               u"\"D:\\My Documents\\a.vdm\" /ConfigSet= /a:b=c plain");
    ASSERT_EQ(5u, line.switches().size());
    EXPECT_FALSE(line.switches()[0].hasValue);

    String value;
    EXPECT_TRUE(line.switchValue(u"language", &value));
    EXPECT_EQ(value, u"de");
    EXPECT_TRUE(line.switchValue(u"INSTALLFOLDER", &value));
    EXPECT_EQ(value, u"C:\\Some Where\\Demo");
    EXPECT_TRUE(line.switchValue(u"ConfigSet", &value));
    EXPECT_EQ(value, u"");
    // The name runs to the first "=" when there is one, even past a ":".
    EXPECT_TRUE(line.switchValue(u"a:b", &value));
    EXPECT_EQ(value, u"c");

    EXPECT_TRUE(line.hasSwitch(u"quiet"));
    EXPECT_FALSE(line.switchValue(u"Quiet", &value)) << "a switch without separator has no value";
    EXPECT_FALSE(line.hasSwitch(u"Uninstall"));
    EXPECT_FALSE(line.switchValue(u"Uninstall", &value));
    EXPECT_TRUE(value.isEmpty());

    ASSERT_EQ(2u, line.arguments().size());
    EXPECT_EQ(line.arguments()[0], u"D:\\My Documents\\a.vdm");
    EXPECT_EQ(line.arguments()[1], u"plain");
}

TEST(CommandLineSwitches, LookupsMarkSwitchesUsed) {
    CommandLine line;
    line.parse(u"app.exe /Install /Unknown");
    EXPECT_TRUE(line.hasSwitch(u"install"));
    EXPECT_TRUE(line.switches()[0].used);
    EXPECT_FALSE(line.switches()[1].used);
}

TEST(CommandLineSwitches, ProgramTokenIsDropped) {
    CommandLine line;
    line.parse(u"/Quiet");
    EXPECT_FALSE(line.hasSwitch(u"Quiet"))
        << "the first token is the program, whatever it looks like";
    line.parse(u"");
    EXPECT_TRUE(line.switches().empty());
    EXPECT_TRUE(line.arguments().empty());
}

} // namespace
} // namespace vorn
