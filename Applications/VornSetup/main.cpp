// VornSetup: the installer. It carries the application and its own
// definitions in its payload (resource 4096).
#include "Applications/VornSetup/InstallManifest.h"
#include "Applications/VornSetup/InstallerModule.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "Applications/VornSetup/InstallerWindow.h"
#include "Applications/VornSetup/SetupReport.h"
#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/app/Entry.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Win32.h"
#include "VornLib/gui/MessageBox.h"

namespace vornsetup {
namespace {

using namespace vorn;

// The definitions, then the string tables, the custom string tables and the
// licence texts of every language the setup speaks, in the order in which a
// later document may replace elements of an earlier one.
Result LoadDescription(ApplicationDescription* description) {
    std::vector<String> documents = {u"Data/Xml/Configuration.xml", u"Data/Xml/Dialogs.xml",
                                     u"Data/Xml/FileList.xml", u"Data/Xml/Preferences.xml",
                                     u"Data/Xml/Windows.xml"};
    for (const char16_t* family :
         {u"VornSetup-Strings-", u"VornSetup-Custom-Strings-", u"VornSetup-License-"}) {
        for (uint32_t language = 0; language < kSetupLanguageCount; ++language)
            documents.push_back(u"Data/Xml/" + String(family) + kSetupLanguages[language] +
                                u".xml");
    }
    return LoadApplicationDescription(documents, description);
}

AppModule* CreateModule() {
    return new (std::nothrow) InstallerModule;
}

// A second setup ends with 45 once the first one's window is in front; the
// user learns why (a script, from the console).
Result AlreadyRunning() {
    const String name = InstallManifest::Instance().displayName();
    WriteConsoleLine(name + u" Setup is already running: finish or close it first.");
    SetupReport::Instance().begin(AppRuntime::instance().commandLine(),
                                  InstallManifest::Instance());
    Log(LogEvent::Failure, u"another setup of {0} is running", {name});
    if (!IsPassive(AppRuntime::instance().commandLine()))
        (void)ShowMessageBox(u"SetupAlreadyRunning", FormatArgument(name), nullptr);
    return Result(kExitSetupRunning);
}

// The log's last line and the result file, whatever ended the setup.
int Ended(int exitCode) {
    SetupReport& report = SetupReport::Instance();
    InstallManifest& manifest = InstallManifest::Instance();
    report.begin(AppRuntime::instance().commandLine(), manifest);
    return report.end(exitCode, manifest);
}

} // namespace
} // namespace vornsetup

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vorn::ProgramDefinition program;
    program.loadDescription = vornsetup::LoadDescription;
    program.createModule = vornsetup::CreateModule;
    program.alreadyRunning = vornsetup::AlreadyRunning;
    program.ended = vornsetup::Ended;
    program.keepsPreferences = false;
    vornsetup::InstallerWindow::RegisterKinds();
    return vorn::RunApplication(program);
}
