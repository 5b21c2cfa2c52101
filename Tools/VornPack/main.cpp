// VornPack: builds and inspects the payload containers of setup executables.
#include <cstdio>
#include <string>

#include "VornLib/core/Format.h"

namespace {

std::string Utf8(const vorn::String& text) {
    std::string out;
    for (uint32_t i = 0; i < text.length(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.length()) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
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

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    const char16_t* platform = u"win32";
#else
    const char16_t* platform = u"host";
#endif
    if (argc >= 2 && std::string(argv[1]) == "version") {
        const vorn::String line =
            vorn::Format(u"VornPack {0}.{1}.{2} ({3}), {4,.1}% ready",
                         {2, 0, 0, platform, 100.0});
        std::printf("%s\n", Utf8(line).c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: VornPack version\n");
    return 5;
}
