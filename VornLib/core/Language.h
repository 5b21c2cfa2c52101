// Interface languages: the table of language codes and their indices, the
// mapping from the system's user locale, and the order in which languages are
// tried when a localized element is looked up.
#pragma once

#include <cstdint>

namespace vorn {

constexpr uint32_t kLanguageNeutral = 0; // "*"
constexpr uint32_t kLanguageEnglish = 1; // the default language
constexpr uint32_t kLanguageCount = 14;

// Indexed by language index: "*", "en", "fr", ... "he".
extern const char16_t* const kLanguages[kLanguageCount];

// "*" for an index above the table.
const char16_t* LanguageCode(uint32_t index);
// Compared ignoring case; an unknown or null code is 0 ("*").
uint32_t LanguageIndex(const char16_t* code);
// True when `code` names a language of the table other than "*".
bool IsKnownLanguage(const char16_t* code);
// The language of a locale identifier by its primary language (low 10 bits); 0 for none.
uint32_t LanguageFromLocale(uint32_t localeId);
// The language of the system's user default locale; 0 when it maps to none.
uint32_t SystemLanguage();

// At most this many candidates: chosen, system, "*", default, then all 14.
constexpr uint32_t kMaxLanguageOrder = 18;
// Fills `order` with the language indices to try, first to last; returns the count.
// Repeats are left in: the first hit ends a lookup anyway.
uint32_t LanguageOrder(uint32_t chosen, uint32_t system, uint32_t defaultLanguage,
                       uint32_t order[kMaxLanguageOrder]);

} // namespace vorn
