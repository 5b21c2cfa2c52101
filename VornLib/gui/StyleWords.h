// Description words: the fixed words a window description may give an
// attribute ("Center", "ClientEdge", "DropDown"), each kind's vocabulary in
// one constant table of word and value, read by one helper. A word is
// compared exactly, as every name of a description is.
//   constexpr DescriptionWord<uint32_t> kAligns[] = {{u"Left", SS_LEFT}, ...};
//   const Result read = ReadWord(element, u"HorizontalAlign", kAligns, &style);
#pragma once

#include <cstddef>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

template <typename Value> struct DescriptionWord {
    const char16_t* word;
    Value value;
};

// The entry of `text` in `words`; null for a word the table lacks.
template <typename Value, size_t count>
const Value* FindWord(const DescriptionWord<Value> (&words)[count], const String& text) {
    for (const DescriptionWord<Value>& entry : words) {
        if (text == entry.word)
            return &entry.value;
    }
    return nullptr;
}

// Reads the word of `attribute`: 0 with its value in `out`, 38 when the
// element has no such attribute and 5 for a word the table lacks (`out`
// unchanged in both cases).
template <typename Value, size_t count>
Result ReadWord(const XmlNode& element, const char16_t* attribute,
                const DescriptionWord<Value> (&words)[count], Value* out) {
    String text;
    if (element.getAttribute(attribute, &text) != kResultOk)
        return kResultInvalidName;
    const Value* found = FindWord(words, text);
    if (!found)
        return kResultInvalidArgument;
    *out = *found;
    return kResultOk;
}

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

} // namespace vorn
