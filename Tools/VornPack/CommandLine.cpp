#include "Tools/VornPack/CommandLine.h"

#include <filesystem>

#include "Tools/VornPack/CheckXml.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Delta.h"
#include "Tools/VornPack/Init.h"
#include "Tools/VornPack/Manifest.h"
#include "Tools/VornPack/Setup.h"
#include "Tools/VornPack/UpdateFeed.h"
#include "Tools/VornPack/VornNames.h"

#ifdef _WIN32
#include "VornLib/core/CommandLine.h"
#include "VornLib/core/Win32.h"
#endif

namespace vornpack {

namespace {

int Version(const Arguments&) {
#ifdef _WIN32
    const char16_t* platform = u"Windows";
#else
    const char16_t* platform = u"Linux";
#endif
    PrintLine(Format(u"VornPack {0}.{1}.{2} ({3}, {4}-bit)",
                     {2, 0, 0, platform, unsigned(sizeof(void*) * 8)}));
    return 0;
}

struct Command {
    const char16_t* name;
    CommandFunction run;
    const char16_t* usage;
    // The usage ends with the --method option.
    bool takesMethod = false;
};

constexpr Command kCommands[] = {
    {u"version", Version, u"version"},
    {u"init", Init,
     u"init <folder> --name <Name> --company <Company> --version <x.y.z> "
     u"[--executable <File.exe>] [--website <url>] [--support <url-or-address>] "
     u"[--uuid <UUID>]"},
    {u"check-xml", CheckXml, u"check-xml <file>..."},
    {u"pack", Pack, u"pack <folder> -o <container> [--quiet] [--jobs N]", true},
    {u"list", List, u"list <container-or-setup> [--names <folder-or-list>]"},
    {u"extract", Extract,
     u"extract <container-or-setup> <folder> --names <folder-or-list> [--jobs N]"},
    {u"verify", Verify, u"verify <container-or-setup>"},
    {u"setup", Setup,
     u"setup --app <folder> --definitions <folder> -o <Setup.exe> "
     u"[--stub <VornSetup.exe>] [--uninstaller <VornUninstall.exe>] [--updater <VornUpdate.exe>] "
     u"[--sign-command \"<command "
     u"with {}>\"] [--allow-placeholder-licence] [--quiet] [--jobs N]",
     true},
    {u"delta", Delta,
     u"delta --from <old setup.exe> --to <new setup.exe> -o <delta setup.exe> "
     u"[--stub <VornSetup.exe>] [--sign-command \"<command with {}>\"] [--quiet] [--jobs N]",
     true},
    {u"manifest", Manifest,
     u"manifest <setup.exe> --url <download URL> [--out <folder>] "
     u"[--identifier <Publisher.Name>] [--license <text>]"},
    {u"keygen", Keygen, u"keygen --out <name>"},
    {u"feed", FeedCommand,
     u"feed <setup.exe>... --base-url <https://…/> --key <name.private> --out <folder> "
     u"[--notes-url <https://…/{version}.html>]"},
};

String UsageOf(const Command& command) {
    String usage = String(u"VornPack ") + command.usage;
    if (command.takesMethod)
        usage += String(u" ") + MethodOption();
    return usage;
}

} // namespace

Arguments CommandArguments(int argc, char** argv) {
    Arguments arguments;
#ifdef _WIN32
    // main's narrow arguments have lost what the code page cannot hold.
    // Read by the framework's one reader of command lines, Windows' rules.
    const std::vector<String> wide = vorn::CommandLine::Tokenize(vorn::Units(GetCommandLineW()));
    if (wide.size() >= size_t(argc))
        return Arguments(wide.end() - argc, wide.end());
#endif
    for (int i = 0; i < argc; ++i) {
        const std::u16string units = std::filesystem::u8path(argv[i]).u16string();
        arguments.push_back(String(units.data(), uint32_t(units.size())));
    }
    return arguments;
}

int RunCommandLine(const Arguments& arguments) {
    if (!arguments.empty()) {
        for (const Command& command : kCommands) {
            if (arguments[0] == command.name)
                return command.run(Arguments(arguments.begin() + 1, arguments.end()));
        }
    }
    PrintError(u"usage:");
    for (const Command& command : kCommands)
        PrintError(u"  " + UsageOf(command));
    return int(vorn::kResultInvalidArgument);
}

int Fail(const char16_t* command, const String& what, vorn::Result result) {
    PrintError(Format(u"VornPack {0}: {1} (result {2})", {command, what, result}));
    return int(result ? result : vorn::kResultFailed);
}

int Usage(const char16_t* command) {
    for (const Command& candidate : kCommands) {
        if (String(candidate.name) == command)
            PrintError(Format(u"VornPack {0}: usage: {1}", {command, UsageOf(candidate)}));
    }
    return int(vorn::kResultInvalidArgument);
}

bool OptionReader::flag(const char16_t* name) {
    for (size_t i = 0; i < rest_.size(); ++i) {
        if (rest_[i] == name) {
            rest_.erase(rest_.begin() + long(i));
            return true;
        }
    }
    return false;
}

bool OptionReader::value(const char16_t* name, String* value) {
    for (size_t i = 0; i < rest_.size(); ++i) {
        if (rest_[i] != name)
            continue;
        if (i + 1 >= rest_.size()) {
            complete_ = false;
            return false;
        }
        *value = rest_[i + 1];
        rest_.erase(rest_.begin() + long(i), rest_.begin() + long(i) + 2);
        return true;
    }
    return false;
}

} // namespace vornpack
