// Description words: the fixed words a description may give an attribute
// ("Center", "AllUsers", "OpenBeta"), each kind's vocabulary in one constant
// table of word and value, read by one helper. A word is compared exactly, as
// every name of a description is.
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

} // namespace vorn
