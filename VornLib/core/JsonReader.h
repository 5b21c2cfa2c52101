// JSON (RFC 8259) as other programs publish it for the framework to read: an
// update feed. The whole document becomes a tree of values; numbers keep
// their text, so that a size is read exactly, whatever its digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

class JsonValue {
public:
    enum class Kind : uint8_t { Null, Boolean, Number, Text, List, Object };

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    // A Text's text, a Number's digits as written; empty for the rest.
    const String& text() const { return text_; }
    bool isTrue() const { return kind_ == Kind::Boolean && boolean_; }
    // A Number without sign, fraction or exponent that fits: false otherwise.
    bool unsignedNumber(uint64_t* value) const;
    // A List's items; an Object's member values, in the document's order.
    const std::vector<JsonValue>& items() const { return items_; }
    // An Object's member of that name (the last when named twice); null when
    // there is none or this is no Object.
    const JsonValue* member(const char16_t* name) const;
    // The member's text when it is a Text; else false.
    bool memberText(const char16_t* name, String* text) const;

private:
    friend class JsonParser;
    Kind kind_ = Kind::Null;
    bool boolean_ = false;
    String text_;
    std::vector<String> names_; // an Object's member names, one per item
    std::vector<JsonValue> items_;
};

// The value that `bytes` (UTF-8, an optional byte-order mark) hold: 0, or 33
// for anything else: a syntax error, text after the value, a string that is
// no UTF-8, nesting deeper than 64.
Result ParseJson(const uint8_t* bytes, size_t size, JsonValue* out);

} // namespace vorn
