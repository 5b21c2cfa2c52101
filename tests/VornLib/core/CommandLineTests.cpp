#include <gtest/gtest.h>

#include <vector>

#include "TestText.h"
#include "VornLib/core/CommandLine.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"

#include <shellapi.h>
#endif

namespace vorn {
namespace {

// The arguments as a Windows program reads them (CommandLineToArgvW).
struct TokenCase {
    const char16_t* line;
    std::vector<const char16_t*> arguments;
};

const TokenCase kTokenCases[] = {
    {u"\"C:\\Program Files\\Setup.exe\"  /a  x\"y z\"w\t\"\"",
     {u"C:\\Program Files\\Setup.exe", u"/a", u"xy zw", u""}},
    // A quoted whole switch, and quotes inside a value, are one argument.
    {u"s.exe \"/InstallFolder:C:\\My Apps\\Demo\" /Log:\"C:\\a b\\x.log\"",
     {u"s.exe", u"/InstallFolder:C:\\My Apps\\Demo", u"/Log:C:\\a b\\x.log"}},
    // Backslashes are literal unless a quote follows; before one they halve,
    // and an odd one left makes the quote literal.
    {u"s.exe C:\\a\\b\\ \"C:\\Apps\\\\\" \"C:\\Apps\\\" x\"",
     {u"s.exe", u"C:\\a\\b\\", u"C:\\Apps\\", u"C:\\Apps\" x"}},
    {u"s.exe a\\\\\\\"b \\\\\"c d\"", {u"s.exe", u"a\\\"b", u"\\c d"}},
    // Quotes in a row inside quotes: three give one, and the stretch goes on.
    {u"s.exe \"a\"\"\"b\" \"\"\"\" c", {u"s.exe", u"a\"b", u"\" c"}},
    {u"s.exe \"\"\"\"\" c", {u"s.exe", u"\"", u"c"}},
    // The program keeps its backslashes and ends at its quote.
    {u"\"C:\\x\\\"y z", {u"C:\\x\\", u"y", u"z"}},
    // Blanks before the program leave it empty.
    {u"  prog.exe\t", {u"", u"prog.exe"}},
    {u"s.exe \"open quote never closed", {u"s.exe", u"open quote never closed"}},
};

TEST(CommandLineTokens, WindowsRules) {
    for (const TokenCase& test : kTokenCases) {
        const std::vector<String> tokens = CommandLine::Tokenize(test.line);
        ASSERT_EQ(test.arguments.size(), tokens.size()) << ToPrintable(test.line);
        for (size_t i = 0; i < tokens.size(); ++i)
            EXPECT_EQ(String(test.arguments[i]), tokens[i]) << ToPrintable(test.line) << " #" << i;
    }
    EXPECT_TRUE(CommandLine::Tokenize(u"").empty());
    EXPECT_TRUE(CommandLine::Tokenize(nullptr).empty());
}

#ifdef _WIN32
// The same arguments as the system's own reader.
TEST(CommandLineTokens, AgreeWithCommandLineToArgvW) {
    for (const TokenCase& test : kTokenCases) {
        int count = 0;
        LPWSTR* system = CommandLineToArgvW(Wide(test.line), &count);
        ASSERT_NE(nullptr, system);
        const std::vector<String> tokens = CommandLine::Tokenize(test.line);
        EXPECT_EQ(size_t(count), tokens.size()) << ToPrintable(test.line);
        for (int i = 0; i < count && size_t(i) < tokens.size(); ++i)
            EXPECT_EQ(String(Units(system[i])), tokens[size_t(i)]) << ToPrintable(test.line);
        LocalFree(system);
    }
}
#endif

// What another program reads back from a quoted value, whatever it holds.
TEST(CommandLineTokens, QuotedArgumentsReadBackExactly) {
    const char16_t* values[] = {u"C:\\Apps\\", u"C:\\My Apps\\A=B",    u"",          u"a\"b",
                                u"a\\\"b\\",   u"\\\\server\\share\\", u"x:y=z \t w"};
    for (const char16_t* value : values) {
        const std::vector<String> tokens =
            CommandLine::Tokenize((u"s.exe " + QuoteArgument(value)).data());
        ASSERT_EQ(2u, tokens.size()) << ToPrintable(value);
        EXPECT_EQ(String(value), tokens[1]);
        CommandLine line;
        line.parse((u"s.exe" + QuoteSwitch(u"Log", value)).data());
        String read;
        EXPECT_TRUE(line.switchValue(u"Log", &read));
        EXPECT_EQ(String(value), read);
    }
}

TEST(CommandLineSwitches, NamesValuesAndArguments) {
    CommandLine line;
    line.parse(u"setup.exe /Quiet -Language=de /InstallFolder:\"C:\\Some Where\\Demo\" "
               u"\"D:\\My Documents\\a.vdm\" /ConfigSet= /a:b=c plain \"/Log:C:\\A=B\\x.log\" "
               u"/ResultFile=C:\\r.json /? \"\"");
    ASSERT_EQ(8u, line.switches().size());
    EXPECT_FALSE(line.switches()[0].hasValue);

    String value;
    EXPECT_TRUE(line.switchValue(u"language", &value));
    EXPECT_EQ(value, u"de");
    EXPECT_TRUE(line.switchValue(u"INSTALLFOLDER", &value));
    EXPECT_EQ(value, u"C:\\Some Where\\Demo");
    EXPECT_TRUE(line.switchValue(u"ConfigSet", &value));
    EXPECT_EQ(value, u"");
    // The name runs to the first ":" or "=": the value keeps the other.
    EXPECT_TRUE(line.switchValue(u"a", &value));
    EXPECT_EQ(value, u"b=c");
    EXPECT_TRUE(line.switchValue(u"Log", &value)) << "a switch quoted whole";
    EXPECT_EQ(value, u"C:\\A=B\\x.log");
    EXPECT_TRUE(line.switchValue(u"ResultFile", &value));
    EXPECT_EQ(value, u"C:\\r.json");
    EXPECT_TRUE(line.hasSwitch(u"?"));

    EXPECT_TRUE(line.hasSwitch(u"quiet"));
    EXPECT_FALSE(line.switchValue(u"Quiet", &value)) << "a switch without separator has no value";
    EXPECT_FALSE(line.hasSwitch(u"Uninstall"));
    EXPECT_FALSE(line.switchValue(u"Uninstall", &value));
    EXPECT_TRUE(value.isEmpty());

    ASSERT_EQ(3u, line.arguments().size());
    EXPECT_EQ(line.arguments()[0], u"D:\\My Documents\\a.vdm");
    EXPECT_EQ(line.arguments()[1], u"plain");
    EXPECT_EQ(line.arguments()[2], u"") << "an empty argument is a plain one";
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
