// VornPack: builds and inspects the payload containers of setup executables.
#include <cstring>

#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Init.h"
#include "Tools/VornPack/Setup.h"

namespace {

struct Command {
    const char* name;
    vornpack::CommandFunction run;
    const char16_t* usage;
    // The usage ends with the --method option.
    bool takesMethod = false;
};

constexpr Command kCommands[] = {
    {"version", vornpack::RunVersion, u"VornPack version"},
    {"init", vornpack::RunInit,
     u"VornPack init <folder> --name <Name> --company <Company> --version <x.y.z> "
     u"[--executable <File.exe>] [--website <url>] [--support <url-or-address>] "
     u"[--uuid <UUID>]"},
    {"check-xml", vornpack::RunCheckXml, u"VornPack check-xml <file>..."},
    {"pack", vornpack::RunPack, u"VornPack pack <folder> -o <container> [--quiet] [--jobs N]",
     true},
    {"list", vornpack::RunList, u"VornPack list <container> [--names <folder-or-list>]"},
    {"extract", vornpack::RunExtract,
     u"VornPack extract <container> <folder> --names <folder-or-list>"},
    {"verify", vornpack::RunVerify, u"VornPack verify <container>"},
    {"setup", vornpack::RunSetup,
     u"VornPack setup --app <folder> --definitions <folder> -o <Setup.exe> "
     u"[--stub <VornSetup.exe>] [--sign-command \"<command with {}>\"] [--quiet] [--jobs N]",
     true},
};

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        for (const Command& command : kCommands) {
            if (std::strcmp(argv[1], command.name) == 0)
                return command.run(argc - 2, argv + 2);
        }
    }
    vornpack::PrintError(u"usage:");
    for (const Command& command : kCommands) {
        vorn::String line = vorn::String(u"  ") + command.usage;
        if (command.takesMethod)
            line += vorn::String(u" ") + vornpack::MethodOption();
        vornpack::PrintError(line);
    }
    return 5;
}
