// VornUninstall: the framework's removal program, for a product that is not
// built on VornLib. The program carries no product of its own: VornPack puts
// a copy of it into such a product's setup with a payload made for the
// product, "Data/Xml/Product.xml" (the product's Application element, whose
// "Executable" names the product's executable, and the "FileTypes" and
// "CustomProtocols" that the setup's definitions declare) beside the string
// tables of the definitions. The installer copies it into the install folder
// and names it in the uninstall entry. It then does for the product what a
// program built on VornLib does for itself, through the framework's own
// operations:
//   /Install             registers the product's file types, protocols and
//                        App Paths entry, all for the product's executable
//   /Uninstall [/Quiet]  removes the installation, asking first unless quiet,
//                        and ends with the batch file that deletes this
//                        program and the install folder
//   /Quiet /Update       removes it for a newer version that installs over it
// "/Passive" removes without a question, as "/Quiet" does, and "/Log[:<file>]"
// writes the removal's log; anything else ends it with 5, and "/?" shows
// its switches (VornLib/app/RemovalSwitches.h); the exit codes are the
// removal's of the framework's table (VornLib/app/ExitCodes.h).
// Opened without one of them (from the install folder, say), it starts itself
// again with "/Uninstall" and the switches it was given, and ends with that
// copy's exit code.
#include <string>

#include "VornLib/app/Entry.h"
#include "VornLib/app/RemovalSwitches.h"
#include "VornLib/core/CommandLine.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"

namespace vornuninstall {
namespace {

using namespace vorn;

// The product's description, and its texts (a file type's "#Key"
// description); the framework adds its own tables.
const char16_t kProductDocument[] = u"Data/Xml/Product.xml";
const char16_t* const kStringTables[] = {
    u"Data/Xml/VornSetup-Custom-Strings-de.xml", u"Data/Xml/VornSetup-Custom-Strings-en.xml",
    u"Data/Xml/VornSetup-Custom-Strings-es.xml", u"Data/Xml/VornSetup-Custom-Strings-fr.xml",
    u"Data/Xml/VornSetup-Custom-Strings-it.xml", u"Data/Xml/VornSetup-Custom-Strings-ko.xml",
    u"Data/Xml/VornSetup-Custom-Strings-ru.xml", u"Data/Xml/VornSetup-Custom-Strings-zh.xml",
};

// The framework's operations that run before any module.
const char16_t* const kOperations[] = {u"Install", u"Uninstall", u"Update", u"RegisterFileTypes",
                                       u"UnregisterFileTypes"};

Result LoadDescription(ApplicationDescription* description) {
    ResourceCache& resources = ResourceCache::Instance();
    // The product's description is required; a table that does not parse is
    // left out and its keys fall back.
    const Result registered = resources.registerDocument(kProductDocument);
    if (registered != kResultOk)
        return registered;
    for (const char16_t* table : kStringTables)
        (void)resources.registerDocument(table);
    return ReadApplicationElement(description);
}

// The removal in a copy of its own: in this process the window system would
// hold the product's mutex, which tells the removal that the product runs.
bool RemovalRequested(int32_t* exitCode) {
    CommandLine commandLine;
    commandLine.parse(Units(GetCommandLineW()));
    for (const char16_t* operation : kOperations) {
        if (commandLine.hasSwitch(operation))
            return false;
    }
    // What it refuses, and "/?", it answers here: the copy's line would
    // reach no console.
    if (AnswerRemovalCommandLine(commandLine, CaptionFromFileName(ExecutablePath()), exitCode))
        return true;
    wchar_t self[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH))
        return false;
    // Each switch as the copy reads it back, whatever its value holds.
    String arguments = QuoteArgument(Units(self)) + u" /Uninstall";
    for (const CommandLineSwitch& given : commandLine.switches())
        arguments += given.hasValue ? QuoteSwitch(given.name.data(), given.value)
                                    : String(u" /") + given.name;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring line(Wide(arguments.data()));
    if (!CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return false;
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    DWORD code = 0;
    WaitForSingleObject(process.get(), INFINITE);
    if (!GetExitCodeProcess(process.get(), &code))
        code = 0;
    *exitCode = int32_t(code);
    return true;
}

} // namespace
} // namespace vornuninstall

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int32_t exitCode = 0;
    if (vornuninstall::RemovalRequested(&exitCode))
        return exitCode;
    vorn::ProgramDefinition program;
    program.loadDescription = vornuninstall::LoadDescription;
    return vorn::RunApplication(program);
}
