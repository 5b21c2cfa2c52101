// VornPack: builds and inspects the payload containers of setup executables.
#include <clocale>

#include "Tools/VornPack/CommandLine.h"

int main(int argc, char** argv) {
#ifndef _WIN32
    // Names that differ only in case are told apart by every letter, as
    // Windows does, not by the letters of ASCII alone.
    std::setlocale(LC_CTYPE, "C.UTF-8");
#endif
    return vornpack::RunCommandLine(vornpack::CommandArguments(argc - 1, argv + 1));
}
