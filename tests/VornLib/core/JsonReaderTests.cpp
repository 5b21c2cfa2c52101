// JSON as another program publishes it: everything RFC 8259 allows is read,
// anything else refused whole.
#include <gtest/gtest.h>

#include <string>

#include "VornLib/core/JsonReader.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

Result Parse(const std::string& text, JsonValue* value) {
    return ParseJson(reinterpret_cast<const uint8_t*>(text.data()), text.size(), value);
}

TEST(JsonReader, ReadsEveryKindOfValue) {
    JsonValue root;
    ASSERT_EQ(kResultOk, Parse("\xEF\xBB\xBF { \"format\": 1, \"name\": \"Vorn \\\"Demo\\\"\",\n"
                               "  \"list\": [true, false, null, -1.5e3, {}, []],\n"
                               "  \"size\": 18446744073709551615, \"name\": \"last\" } ",
                               &root));
    EXPECT_EQ(JsonValue::Kind::Object, root.kind());
    uint64_t number = 0;
    ASSERT_TRUE(root.member(u"size")->unsignedNumber(&number));
    EXPECT_EQ(UINT64_MAX, number);
    String name;
    EXPECT_TRUE(root.memberText(u"name", &name));
    EXPECT_EQ(String(u"last"), name); // the last of a name given twice
    const JsonValue* list = root.member(u"list");
    ASSERT_EQ(6u, list->items().size());
    EXPECT_TRUE(list->items()[0].isTrue());
    EXPECT_FALSE(list->items()[1].isTrue());
    EXPECT_TRUE(list->items()[2].isNull());
    EXPECT_EQ(String(u"-1.5e3"), list->items()[3].text());
    EXPECT_FALSE(list->items()[3].unsignedNumber(&number));
    EXPECT_EQ(JsonValue::Kind::Object, list->items()[4].kind());
    EXPECT_EQ(JsonValue::Kind::List, list->items()[5].kind());
    EXPECT_EQ(nullptr, root.member(u"absent"));
    EXPECT_EQ(nullptr, list->member(u"size"));
    EXPECT_FALSE(root.memberText(u"format", &name)); // a number is no text
    ASSERT_TRUE(root.member(u"format")->unsignedNumber(&number));
    EXPECT_EQ(1u, number);
}

TEST(JsonReader, DecodesEscapesAndUtf8) {
    JsonValue value;
    ASSERT_EQ(kResultOk,
              Parse("\"a\\/b\\\\c\\n\\u00e9\\ud83d\\ude00 \xC3\xA9\xF0\x9F\x98\x80\"", &value));
    EXPECT_EQ(String(u"a/b\\c\n\u00e9\U0001F600 \u00e9\U0001F600"), value.text());
}

TEST(JsonReader, RefusesAnythingElseWhole) {
    const char* const refused[] = {
        "",
        " ",
        "{",
        "[1,]",
        "{\"a\":1,}",
        "{\"a\" 1}",
        "{a:1}",
        "01",
        "1.",
        "-",
        "1e",
        "\"open",
        "\"tab\there\"",
        "\"\\x\"",
        "\"\\u12g4\"",
        "tru",
        "nul",
        "[1] 2",
        "'a'",
        "\"\xC0\xAF\"",     // an overlong form
        "\"\xED\xA0\x80\"", // a surrogate in UTF-8
        "\"\xF4\x90\x80\x80\"",
        "\"\x80\"",
        "\"\xE2\x82\"",
    };
    for (const char* text : refused) {
        JsonValue value;
        EXPECT_EQ(kResultMalformed, Parse(text, &value)) << text;
        EXPECT_TRUE(value.isNull()) << text;
    }
    uint64_t number = 0;
    JsonValue big;
    ASSERT_EQ(kResultOk, Parse("18446744073709551616", &big));
    EXPECT_FALSE(big.unsignedNumber(&number));
}

TEST(JsonReader, NestingIsBounded) {
    JsonValue value;
    EXPECT_EQ(kResultOk, Parse(std::string(64, '[') + std::string(64, ']'), &value));
    EXPECT_EQ(kResultMalformed, Parse(std::string(100000, '['), &value));
}

} // namespace
} // namespace vorn
