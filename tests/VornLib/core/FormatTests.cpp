#include <cfloat>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/Format.h"

namespace vorn {
namespace {

TEST(FormatGrammar, BracesAndPlainText) {
    EXPECT_EQ(Format(u"{{{0}}}", {7}), u"{7}");
    EXPECT_EQ(Format(u"a}b", {}), u"ab");
    EXPECT_EQ(Format(u"}}", {}), u"}");
    EXPECT_EQ(Format(u"no fields", {}), u"no fields");
    EXPECT_EQ(Format(u"", {1}), u"");
    EXPECT_EQ(Format(u"{1}{0}{1}", {u"a", u"b"}), u"bab");
}

TEST(FormatGrammar, ErrorsYieldTheEmptyText) {
    const char16_t* broken[] = {
        u"{0}{1}", // index out of range
        u"{}",     // index without digits
        u"{a}",    // not a digit
        u"x{0",    // not closed
        u"{0,}",   // "," without width or "."
        u"{0,-}",  // "-" alone
        u"{0,0}",  // zero padding without width
        u"{0:}",   // letter missing
        u"{0:xy}", // more than one letter
        u"{0:q}",  // unknown letter
        u"{0:g}",  // "g" on an integer
        u"{0,5",   // field cut off
    };
    for (const char16_t* format : broken)
        EXPECT_EQ(Format(format, {42}), u"") << ToPrintable(format);

    EXPECT_EQ(Format(nullptr, {1}), u"");
    EXPECT_EQ(Format(u"{0}", 1, nullptr), u"");
    EXPECT_EQ(Format(u"{0}", {static_cast<const char16_t*>(nullptr)}), u"");
    EXPECT_EQ(Format(u"{0}", {FormatArgument::WithKind(ArgumentKind(13), 0)}), u"");
}

TEST(FormatGrammar, FieldOptionsAreParsed) {
    EXPECT_EQ(Format(u"{0,.3}", {2.0}), u"2.000");
    EXPECT_EQ(Format(u"{0,02}", {5}), u"05");
    EXPECT_EQ(Format(u"[{0,-8}]", {u"left"}), u"[left    ]");
    EXPECT_EQ(Format(u"{0,04}", {7}), u"0007");
    EXPECT_EQ(Format(u"{0,-6}|", {u"ab"}), u"ab    |");
}

TEST(FormatIntegers, DecimalAndSignPlacement) {
    EXPECT_EQ(Format(u"{0}", {0}), u"0");
    EXPECT_EQ(Format(u"{0,05}", {-42}), u"-0042");
    EXPECT_EQ(Format(u"{0,5}", {-42}), u"-  42");
    EXPECT_EQ(Format(u"{0,5}", {42}), u"   42");
    EXPECT_EQ(Format(u"{0}", {int8_t(-128)}), u"-128");
    EXPECT_EQ(Format(u"{0}", {uint8_t(255)}), u"255");
    EXPECT_EQ(Format(u"{0}", {int16_t(-32768)}), u"-32768");
    EXPECT_EQ(Format(u"{0}", {uint32_t(4294967295u)}), u"4294967295");
    EXPECT_EQ(Format(u"{0}", {std::numeric_limits<int64_t>::min()}), u"-9223372036854775808");
    EXPECT_EQ(Format(u"{0}", {std::numeric_limits<uint64_t>::max()}), u"18446744073709551615");
    EXPECT_EQ(Format(u"{0:n}", {-5}), u"-5");
}

TEST(FormatIntegers, Hexadecimal) {
    EXPECT_EQ(Format(u"{0,02:X}", {uint8_t(10)}), u"0A");
    EXPECT_EQ(Format(u"{0:x}", {0xBEEFu}), u"beef");
    EXPECT_EQ(Format(u"{0:X}", {-1}), u"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Format(u"{0:x}", {int8_t(-1)}), u"ffffffffffffffff");
    EXPECT_EQ(Format(u"{0,08:X}", {0x1234u}), u"00001234");
    EXPECT_EQ(FormatHex(10), u"0x0a");
    EXPECT_EQ(FormatHex(0x1234u), u"0x1234");
}

TEST(FormatCharacters, LettersCAndN) {
    EXPECT_EQ(Format(u"{0:c}", {uint16_t(65)}), u"A");
    EXPECT_EQ(Format(u"{0:c}", {65}), u"") << "c is not accepted for signed integers";
    EXPECT_EQ(Format(u"{0:c}", {uint32_t(0x10041)}), u"A") << "only the low 16 bits";
    EXPECT_EQ(Format(u"{0:n}", {u'A'}), u"65");
    EXPECT_EQ(Format(u"{0}", {u'A'}), u"A");
    EXPECT_EQ(Format(u"[{0,5}]", {u'A'}), u"[A]") << "width is ignored for characters";
    EXPECT_EQ(Format(u"{0:X}", {u'A'}), u"");
}

TEST(FormatPointers, EightLowercaseDigits) {
    const void* pointer = reinterpret_cast<const void*>(uintptr_t(0xABCDu));
    EXPECT_EQ(Format(u"{0}", {FormatArgument::Address(pointer)}), u"0000abcd");
    EXPECT_EQ(Format(u"{0,4}", {FormatArgument::Address(pointer)}), u"abcd");
    EXPECT_EQ(Format(u"{0:X}", {FormatArgument::Address(pointer)}), u"");
}

TEST(FormatText, PaddingAndChoices) {
    EXPECT_EQ(Format(u"{0}", {u"text"}), u"text");
    EXPECT_EQ(Format(u"[{0,1}]", {u""}), u"[ ]");
    // Without "-" and with a width of 2 or more the text is right-aligned.
    EXPECT_EQ(Format(u"[{0,6}]", {u"ab"}), u"[    ab]");
    EXPECT_EQ(Format(u"[{0,2}]", {u"long"}), u"[long]");
    const String name(u"Vorn");
    EXPECT_EQ(Format(u"{0} {1}", {name, 2}), u"Vorn 2");
}

TEST(FormatText, OutputIsCutAt4095Units) {
    String big;
    for (int i = 0; i < 5000; ++i)
        big += u'x';
    const String result = Format(u"{0}", {big});
    EXPECT_EQ(4095u, result.length());
    EXPECT_EQ(4095u, Format(u"ab{0}cd", {big}).length());
    EXPECT_EQ(4095u, Format(u"{0,9999}", {1}).length());
}

TEST(FormatFloat, FixedAndTrimmed) {
    struct Case {
        const char16_t* format;
        double value;
        const char16_t* expected;
    } cases[] = {
        {u"{0:g}", 1.5, u"1.5"},
        {u"{0:g}", 2.0, u"2"},
        {u"{0:g}", 0.0, u"0"},
        {u"{0}", 2.0, u"2.000000"},
        {u"{0:f}", 2.0, u"2.000000"},
        {u"{0,.2}", 3.14159, u"3.14"},
        {u"{0,.2}", 0.999, u"1.00"},
        {u"{0,.1}", 99.95, u"100.0"},
        {u"{0}", 0.1, u"0.100000"},
        {u"{0}", -0.25, u"-0.250000"},
        {u"{0,.0}", 2.5, u"3"},
        {u"{0}", 123456789.0, u"123456789.000000"},
        {u"{0,10.2}", -3.5, u"     -3.50"},
        {u"{0,010.2}", -3.5, u"-000003.50"},
        {u"{0,8:g}", 0.5, u"     0.5"},
        {u"{0,.2}", 1e-9, u"0.00"},
        // Negative zero has no sign here.
        {u"{0,.1}", -0.0, u"0.0"},
        // Precision 0 in a wider field fills it with decimals.
        {u"{0,8.0}", 3.7, u"3.700000"},
        {u"{0,3.0}", 3.7, u"3.7"},
        {u"{0,2.0}", 3.7, u" 4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.format, {c.value}), c.expected)
            << ToPrintable(c.format) << " " << c.value;
}

TEST(FormatFloat, SpecialValuesAreFourUnits) {
    EXPECT_EQ(Format(u"{0}", {std::numeric_limits<double>::infinity()}), u"#INF");
    EXPECT_EQ(Format(u"{0}", {-std::numeric_limits<double>::infinity()}), u"#INF");
    EXPECT_EQ(Format(u"{0}", {std::nan("")}), u"#NAN");
    EXPECT_EQ(Format(u"{0}", {DBL_MAX}), u"#MAX");
    EXPECT_EQ(Format(u"{0}", {-DBL_MAX}), u"#MIN");
    EXPECT_EQ(Format(u"{0:g}", {std::numeric_limits<float>::infinity()}), u"#INF");
    EXPECT_EQ(Format(u"{0,8}", {std::nan("")}), u"    #NAN");
}

TEST(FormatFloat, HugeValuesUseExponentForm) {
    EXPECT_EQ(FloatToText(1.5e200, 2), u"1.50e200");
    EXPECT_EQ(Format(u"{0:g}", {1e300}), u"1e300");
    EXPECT_EQ(FloatToText(-2.5e150, 1), u"-2.5e150");
}

TEST(FormatFloat, SingleFloatsAreWidened) {
    EXPECT_EQ(Format(u"{0:g}", {0.25f}), u"0.25");
    EXPECT_EQ(Format(u"{0,.1}", {12.5f}), u"12.5");
}

TEST(FormatFloat, TypicalProgressMessage) {
    EXPECT_EQ(Format(u"{0} of {1} files, {2,.1}%", {12u, 345u, 3.4782}), u"12 of 345 files, 3.5%");
    EXPECT_EQ(Format(u"{0,04}{1,02}{2,02}", {2026, uint8_t(12), uint8_t(7)}), u"20261207");
}

// What a file name may carry onto a terminal: escapes, cursor moves, a
// line break that would split a one-line message.
TEST(TerminalSafe, ControlCharactersAreEscapedTheRestStays) {
    const struct {
        const char16_t* text;
        const char16_t* shown;
    } cases[] = {
        {u"plain \\path\\Überblick ü.txt", u"plain \\path\\Überblick ü.txt"},
        {u"\x1b[31mred\x1b[0m", u"\\x1b[31mred\\x1b[0m"},
        {u"a\nb\rc\td", u"a\\x0ab\\x0dc\\x09d"},
        {u"\x7f\x80\x9b\xa0", u"\\x7f\\x80\\x9b\xa0"},
        {u"\x1f \x01", u"\\x1f \\x01"},
        {u"", u""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(TerminalSafe(test.text), test.shown);
    const char16_t withNull[] = {u'a', 0, u'b'};
    EXPECT_EQ(TerminalSafe(String(withNull, 3)), u"a\\x00b");
}

} // namespace
} // namespace vorn
