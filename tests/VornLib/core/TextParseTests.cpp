#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/TextParse.h"

namespace vorn {
namespace {

TEST(ReadIntegers, DecimalWithWhitespaceSignAndTrailingText) {
    EXPECT_EQ(-12, ReadInt32(u"  -12abc"));
    EXPECT_EQ(7, ReadInt32(u"\t+7"));
    EXPECT_EQ(0, ReadInt32(u"abc"));
    EXPECT_EQ(0, ReadInt32(u""));
    EXPECT_EQ(0, ReadInt32(nullptr));
    EXPECT_EQ(0, ReadInt32(u"- 5")) << "the sign must touch the digits";
    EXPECT_EQ(7u, ReadUInt32(u" +7"));
    EXPECT_EQ(0u, ReadUInt32(u"-7"));
    EXPECT_EQ(0u, ReadUInt64(u"-7"));
    EXPECT_EQ(-9000000000LL, ReadInt64(u"-9000000000"));
    EXPECT_EQ(18446744073709551615ull, ReadUInt64(u"18446744073709551615"));
}

TEST(ReadIntegers, ValuesWrapWithoutOverflowCheck) {
    EXPECT_EQ(0u, ReadUInt32(u"4294967296"));
    EXPECT_EQ(-2147483648, ReadInt32(u"2147483648"));
}

TEST(ReadIntegers, HexadecimalPrefix) {
    EXPECT_EQ(31, ReadInt32(u"0x1F"));
    EXPECT_EQ(0xABCDEFu, ReadUInt32(u"0xabcdefZZ"));
    EXPECT_EQ(-1, ReadInt64(u"0xFFFFFFFF")) << "read in 32 bits and sign-extended";
    EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, ReadUInt64(u"0xFFFFFFFF"));
    EXPECT_EQ(0x23456789, ReadInt32(u"0x123456789")) << "accumulated in 32 bits";
    EXPECT_EQ(0, ReadInt32(u"0X1F")) << "only a lower-case x";
    EXPECT_EQ(0, ReadInt32(u" 0x1F")) << "no whitespace before the prefix";
}

TEST(ReadFloat, DigitsAndPointOnly) {
    EXPECT_FLOAT_EQ(1.25f, ReadFloat32(u"1.25"));
    EXPECT_FLOAT_EQ(-0.5f, ReadFloat32(u"-.5"));
    EXPECT_FLOAT_EQ(3.0f, ReadFloat32(u"3"));
    EXPECT_FLOAT_EQ(0.0f, ReadFloat32(u" 3")) << "no whitespace skipping";
    EXPECT_FLOAT_EQ(0.0f, ReadFloat32(u"+3"));
    EXPECT_FLOAT_EQ(1.0f, ReadFloat32(u"1e5")) << "no exponent";
    EXPECT_FLOAT_EQ(0.0f, ReadFloat32(nullptr));
}

TEST(ReadBoolean, Forms) {
    struct Case {
        const char16_t* text;
        bool expected;
    } cases[] = {
        {u"  true", true}, {u"TRUE", true}, {u"True!", true},   {u"0", false},
        {u"2", true},      {u"yes", false}, {u"10", true},      {u"1abc", true},
        {u"", false},      {u"tru", false}, {u"\ttrue", false}, {u"false", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ReadBoolean(c.text)) << ToPrintable(c.text);
    EXPECT_FALSE(ReadBoolean(nullptr));
}

TEST(ReadHex, FixedLengthStopsEarly) {
    uint32_t read = 0;
    EXPECT_EQ(0xABu, ReadHexDigits(u"ABCD", 2, &read));
    EXPECT_EQ(2u, read);
    EXPECT_EQ(0xAu, ReadHexDigits(u"AZ", 2, &read));
    EXPECT_EQ(1u, read);
    EXPECT_EQ(0u, ReadHexDigits(nullptr, 2, &read));
    EXPECT_EQ(0u, read);
}

TEST(TextParse, VersionsInOrder) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        int32_t order;
    } cases[] = {
        {u"1.0.0", u"2.0.0", -1},
        {u"2.10.1", u"2.9", 1},
        {u"2.0", u"2.0.0", 0},
        {u"2.0.0.1", u"2.0", 1},
        {u"1.0.0 beta", u"1.0.0", 0},
        {u"10", u"9.99", 1},
        {u"", u"0", 0},
        {u"", u"0.1", -1},
        {u"3..1", u"3", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.order, CompareVersions(c.a, c.b))
            << ToPrintable(c.a) << " " << ToPrintable(c.b);
        EXPECT_EQ(-c.order, CompareVersions(c.b, c.a))
            << ToPrintable(c.b) << " " << ToPrintable(c.a);
    }
}

} // namespace
} // namespace vorn
