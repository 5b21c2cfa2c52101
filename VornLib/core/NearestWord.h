// NearestWord: the known word a mistaken one was most likely meant to be, for
// the "did you mean" of the definitions' checks. Words are compared by edits
// (one unit inserted, deleted or changed), letters of another case costing
// nothing; a word is offered only within one edit of a text shorter than
// five units and two of a longer one, so that a guess is never far-fetched.
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// Edits between two texts, letters of another case costing nothing.
uint32_t EditDistance(const String& a, const String& b);

class NearestWord {
public:
    explicit NearestWord(const String& text) : text_(text) {}

    // Keeps `candidate` when it is near enough and nearer than the words
    // considered before it (the first of equally near ones stays).
    void consider(const char16_t* candidate);
    // The word kept; empty when none was near enough.
    const String& word() const { return word_; }
    // " (did you mean "Width"?)", or nothing.
    String hint() const;

private:
    String text_;
    String word_;
    uint32_t best_ = 3;
};

} // namespace vorn
