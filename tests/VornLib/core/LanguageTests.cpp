#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/Language.h"

namespace vorn {
namespace {

TEST(LanguageTable, CodesAndIndices) {
    EXPECT_EQ(0u, LanguageIndex(u"*"));
    EXPECT_EQ(6u, LanguageIndex(u"de"));
    EXPECT_EQ(2u, LanguageIndex(u"FR")) << "codes compare ignoring case";
    EXPECT_EQ(9u, LanguageIndex(u"ZH-hant"));
    EXPECT_EQ(0u, LanguageIndex(u"xx"));
    EXPECT_EQ(0u, LanguageIndex(u""));
    EXPECT_EQ(0u, LanguageIndex(nullptr));
    EXPECT_EQ(String(LanguageCode(13)), u"he");
    EXPECT_EQ(String(LanguageCode(9)), u"zh-Hant");
    EXPECT_EQ(String(LanguageCode(14)), u"*");
    EXPECT_TRUE(IsKnownLanguage(u"Ko"));
    EXPECT_FALSE(IsKnownLanguage(u"*"));
    EXPECT_FALSE(IsKnownLanguage(u"xx"));
}

TEST(LanguageTable, LocalesMapByPrimaryLanguage) {
    const struct {
        uint32_t locale;
        uint32_t index;
    } cases[] = {
        {0x0407, 6},  // German
        {0x0807, 6},  // Swiss German
        {0x0404, 8},  // Traditional Chinese still selects "zh"
        {0x0804, 8},  // Simplified Chinese
        {0x0409, 1},  // English (United States)
        {0x0C0A, 3},  // Spanish
        {0x0416, 4},  // Portuguese (Brazil)
        {0x040D, 13}, // Hebrew
        {0x0415, 0},  // Polish: no candidate
        {0x0000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.index, LanguageFromLocale(c.locale)) << std::hex << c.locale;
}

std::vector<uint32_t> Order(uint32_t chosen, uint32_t system) {
    uint32_t order[kMaxLanguageOrder];
    const uint32_t count = LanguageOrder(chosen, system, kLanguageEnglish, order);
    return std::vector<uint32_t>(order, order + count);
}

TEST(LanguageOrderTest, ChosenSystemNeutralDefaultThenAll) {
    const std::vector<uint32_t> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    std::vector<uint32_t> expected = {2, 6, 0, 1};
    expected.insert(expected.end(), all.begin(), all.end());
    EXPECT_EQ(expected, Order(2, 6)) << "chosen fr on a German system";

    expected = {6, 0, 1};
    expected.insert(expected.end(), all.begin(), all.end());
    EXPECT_EQ(expected, Order(6, 6)) << "the system language is not tried twice";
    EXPECT_EQ(expected, Order(0, 6)) << "no choice: the system language first";

    expected = {0, 1};
    expected.insert(expected.end(), all.begin(), all.end());
    EXPECT_EQ(expected, Order(0, 0));
    EXPECT_LE(Order(13, 12).size(), size_t(kMaxLanguageOrder));
}

#ifndef _WIN32
TEST(LanguageSystem, HostReadsTheLocaleEnvironment) {
    const char* saved = std::getenv("LC_ALL");
    const std::string keep = saved ? saved : "";
    setenv("LC_ALL", "de_CH.UTF-8", 1);
    EXPECT_EQ(6u, SystemLanguage());
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(0u, SystemLanguage());
    if (saved)
        setenv("LC_ALL", keep.c_str(), 1);
    else
        unsetenv("LC_ALL");
}
#endif

} // namespace
} // namespace vorn
