// UTF-16 to UTF-8 for the places that hand text to byte-oriented interfaces:
// POSIX file names and console output. Surrogate pairs become one four-byte
// sequence; a lone surrogate is encoded as it stands.
#pragma once

#include <string>

#include "VornLib/core/String.h"

namespace vorn {

std::string ToUtf8(const char16_t* text, uint32_t length);
inline std::string ToUtf8(const String& text) {
    return ToUtf8(text.data(), text.length());
}

} // namespace vorn
