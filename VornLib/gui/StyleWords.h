// Style words: a window description's words that set and clear style bits
// ("ClientEdge", "DropDown"), read through the description word tables.
#pragma once

#include "VornLib/core/DescriptionWords.h"

namespace vorn {

// The style bits a word sets and the ones it clears first.
struct StyleBits {
    uint32_t set;
    uint32_t cleared;
    uint32_t applied(uint32_t style) const { return (style & ~cleared) | set; }
};

// A boolean attribute that sets (true) or clears (false) `bits` of `style`;
// an absent one leaves them.
inline void ApplyStyleFlag(const XmlNode& element, const char16_t* attribute, uint32_t bits,
                           uint32_t* style) {
    bool flag = false;
    if (element.getAttributeBoolean(attribute, &flag) == kResultOk)
        *style = flag ? *style | bits : *style & ~bits;
}

// Applies the bits of the attribute's word to `style`: 0 (also when the
// element has no such attribute), 5 for a word the table lacks.
template <size_t count>
Result ApplyStyleWord(const XmlNode& element, const char16_t* attribute,
                      const DescriptionWord<StyleBits> (&words)[count], uint32_t* style) {
    StyleBits bits = {};
    const Result result = ReadWord(element, attribute, words, &bits);
    if (result == kResultOk)
        *style = bits.applied(*style);
    return result == kResultInvalidArgument ? result : kResultOk;
}

// Applies the words of several attributes in turn, as ApplyStyleWord: the
// first 5 met, else 0.
//   ApplyStyleWords(element, &style, u"Case", kEditCases, u"HorizontalAlign", kEditAligns);
template <size_t count, typename... More>
Result ApplyStyleWords(const XmlNode& element, uint32_t* style, const char16_t* attribute,
                       const DescriptionWord<StyleBits> (&words)[count], const More&... more) {
    const Result result = ApplyStyleWord(element, attribute, words, style);
    if constexpr (sizeof...(more) == 0)
        return result;
    else
        return result != kResultOk ? result : ApplyStyleWords(element, style, more...);
}

} // namespace vorn
