// Escape tables: the units a text format writes otherwise (XML's "&amp;", a
// web form's "%26"), each format's in one constant table of unit and
// replacement, looked up by one helper.
#pragma once

#include <cstddef>

namespace vorn {

struct UnitEscape {
    char16_t unit;
    const char16_t* text;
};

// The replacement of `unit` in `escapes`; null for a unit written as it is.
template <size_t count>
const char16_t* FindEscape(const UnitEscape (&escapes)[count], char16_t unit) {
    for (const UnitEscape& escape : escapes) {
        if (escape.unit == unit)
            return escape.text;
    }
    return nullptr;
}

} // namespace vorn
