#include "Tools/VornPack/Console.h"

#include <cstdio>

#include "VornLib/core/Format.h"

namespace vornpack {

std::string Utf8(const vorn::String& text) {
    std::string out;
    for (uint32_t i = 0; i < text.length(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.length() && text[i + 1] >= 0xDC00 &&
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

void PrintLine(const vorn::String& text) {
    std::printf("%s\n", Utf8(text).c_str());
}
void PrintError(const vorn::String& text) {
    std::fprintf(stderr, "%s\n", Utf8(text).c_str());
}

int RunVersion(int, char**) {
#ifdef _WIN32
    const char16_t* platform = u"Windows";
#else
    const char16_t* platform = u"Linux";
#endif
    PrintLine(vorn::Format(u"VornPack {0}.{1}.{2} ({3}, {4}-bit)",
                           {2, 0, 0, platform, unsigned(sizeof(void*) * 8)}));
    return 0;
}

} // namespace vornpack
