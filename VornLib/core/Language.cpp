#include "VornLib/core/Language.h"

#include "VornLib/core/String.h"

namespace vorn {

const char16_t* const kLanguages[kLanguageCount] = {
    u"*",  u"en", u"fr",      u"es", u"pt", u"ru", u"de",
    u"it", u"zh", u"zh-Hant", u"ar", u"ja", u"ko", u"he",
};

namespace {

struct LocaleLanguage {
    uint32_t primaryLanguage;
    uint32_t index;
};

// "zh-Hant" is never chosen from the locale, only explicitly.
constexpr LocaleLanguage kLocaleLanguages[] = {
    {0x09, 1}, {0x0C, 2}, {0x0A, 3},  {0x16, 4},  {0x19, 5},  {0x07, 6},
    {0x10, 7}, {0x04, 8}, {0x01, 10}, {0x11, 11}, {0x12, 12}, {0x0D, 13},
};

} // namespace

const char16_t* LanguageCode(uint32_t index) {
    return index < kLanguageCount ? kLanguages[index] : kLanguages[kLanguageNeutral];
}

uint32_t LanguageIndex(const char16_t* code) {
    if (!code)
        return kLanguageNeutral;
    for (uint32_t index = 0; index < kLanguageCount; ++index) {
        if (CompareTextIgnoringCase(kLanguages[index], code) == 0)
            return index;
    }
    return kLanguageNeutral;
}

bool IsKnownLanguage(const char16_t* code) {
    return LanguageIndex(code) != kLanguageNeutral;
}

uint32_t LanguageFromLocale(uint32_t localeId) {
    const uint32_t primary = localeId & 0x3FF;
    for (const LocaleLanguage& entry : kLocaleLanguages) {
        if (entry.primaryLanguage == primary)
            return entry.index;
    }
    return kLanguageNeutral;
}

uint32_t LanguageOrder(uint32_t chosen, uint32_t system, uint32_t defaultLanguage,
                       uint32_t order[kMaxLanguageOrder]) {
    uint32_t count = 0;
    if (chosen != kLanguageNeutral)
        order[count++] = chosen;
    if (system != kLanguageNeutral && system != chosen)
        order[count++] = system;
    order[count++] = kLanguageNeutral;
    order[count++] = defaultLanguage;
    for (uint32_t index = 0; index < kLanguageCount; ++index)
        order[count++] = index;
    return count;
}

} // namespace vorn
