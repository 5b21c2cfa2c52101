#include "VornLib/core/Utf8.h"

namespace vorn {

std::string ToUtf8(const char16_t* text, uint32_t length) {
    std::string out;
    out.reserve(length);
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (unit < 0x80) {
            out += char(unit);
        } else if (unit < 0x800) {
            out += char(0xC0 | unit >> 6);
            out += char(0x80 | (unit & 0x3F));
        } else if (unit < 0x10000) {
            out += char(0xE0 | unit >> 12);
            out += char(0x80 | (unit >> 6 & 0x3F));
            out += char(0x80 | (unit & 0x3F));
        } else {
            out += char(0xF0 | unit >> 18);
            out += char(0x80 | (unit >> 12 & 0x3F));
            out += char(0x80 | (unit >> 6 & 0x3F));
            out += char(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

} // namespace vorn
