#include "Tools/VornPack/Console.h"

#include <cstdio>

#include "VornLib/core/Format.h"
#include "VornLib/core/Utf8.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#else
#include <unistd.h>
#endif

namespace vornpack {

namespace {

// Length of the status line on screen; 0 when there is none.
size_t statusLength = 0;

} // namespace

void ClearStatus() {
    if (!statusLength)
        return;
    std::printf("\r%*s\r", int(statusLength), "");
    std::fflush(stdout);
    statusLength = 0;
}

std::string Utf8(const vorn::String& text) {
    return vorn::ToUtf8(text);
}

void PrintLine(const vorn::String& text) {
    ClearStatus();
    std::printf("%s\n", Utf8(vorn::TerminalSafe(text)).c_str());
}
void PrintError(const vorn::String& text) {
    ClearStatus();
    std::fprintf(stderr, "%s\n", Utf8(vorn::TerminalSafe(text)).c_str());
}

void ShowStatus(const vorn::String& text) {
    const std::string line = Utf8(vorn::TerminalSafe(text));
    // Blanks cover what is left of a longer previous line.
    const int padding = statusLength > line.size() ? int(statusLength - line.size()) : 0;
    std::printf("\r%s%*s", line.c_str(), padding, "");
    std::fflush(stdout);
    statusLength = line.size() + size_t(padding);
}

bool OutputIsTerminal() {
#ifdef _WIN32
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

} // namespace vornpack
