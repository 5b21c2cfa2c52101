#include "Tools/VornPack/Console.h"

#include <cstdio>

#include "VornLib/core/Format.h"
#include "VornLib/core/Utf8.h"

namespace vornpack {

std::string Utf8(const vorn::String& text) {
    return vorn::ToUtf8(text);
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
