// Lets GoogleTest print framework texts readably in failure messages.
#pragma once

#include <ostream>
#include <string>

#include "VornLib/core/String.h"

namespace vorn {

inline std::string ToPrintable(const char16_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        if (*text >= 0x20 && *text < 0x7F)
            out += char(*text);
        else
            out += "\\u" + std::to_string(unsigned(*text));
    }
    return out;
}

inline void PrintTo(const String& text, std::ostream* os) {
    *os << '"' << ToPrintable(text.data()) << '"';
}

} // namespace vorn
