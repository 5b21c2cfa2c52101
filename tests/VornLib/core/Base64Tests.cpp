// Base64 as RFC 4648 writes it, and only as it writes it: a key or a
// signature has one text.
#include <gtest/gtest.h>

#include <string>

#include "VornLib/core/Base64.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

TEST(Base64, TheStandardsVectorsBothWays) {
    const struct {
        const char* bytes;
        const char16_t* text;
    } cases[] = {{"", u""},
                 {"f", u"Zg=="},
                 {"fo", u"Zm8="},
                 {"foo", u"Zm9v"},
                 {"foob", u"Zm9vYg=="},
                 {"fooba", u"Zm9vYmE="},
                 {"foobar", u"Zm9vYmFy"}};
    for (const auto& test : cases) {
        const std::string bytes = test.bytes;
        EXPECT_EQ(String(test.text),
                  Base64Of(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        std::vector<uint8_t> decoded;
        ASSERT_TRUE(DecodeBase64(test.text, &decoded)) << bytes;
        EXPECT_EQ(bytes, std::string(decoded.begin(), decoded.end()));
    }
    const uint8_t high[] = {0xFB, 0xFF};
    EXPECT_EQ(String(u"+/8="), Base64Of(high, sizeof high));
}

TEST(Base64, AnyOtherTextIsRefused) {
    std::vector<uint8_t> decoded;
    for (const char16_t* text : {u"Zg=", u"Zh==", u"Zm9=", u"Z===", u"Zm=v", u"Zm9v\n", u"Zm 9",
                                 u"Zm9-", u"=Zm9", u"Zg==Zg=="})
        EXPECT_FALSE(DecodeBase64(text, &decoded)) << ToUtf8(String(text));
}

} // namespace
} // namespace vorn
