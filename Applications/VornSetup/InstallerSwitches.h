// The setup's command line, in one table: the switches it accepts, which of
// them the launcher passes on to the elevated copy, and the check that runs
// before anything else. A switch the setup does not know (a typo such as
// "/Quite"), a switch missing its value or given one it does not take, a
// language the setup has no texts for, a plain argument, and an install folder
// the options page would refuse all end the setup before it touches anything:
// 5, or 31 for the folder (and a handed-on group), with one line that says
// what was wrong and what the setup accepts. A setup shows no window for
// them, quiet or not: the line goes to the console the setup was started
// from (ConsoleMessage.h).
//
// "/Passive" shows the copy page alone; "/NoCancel" takes its Cancel away
// (and the wizard's, while the files are copied); "/Log" and "/ResultFile" name files
// that the setup writes (SetupReport.h): a name that no file may have is
// refused like a value the switch does not take. "/SaveChoices" and
// "/LoadChoices" name a choices file (ChoicesFile.h) to write once installed
// and to take the defaults from.
//
// A wizard that lets the user choose "for all users" runs without rights and
// hands the installation to an elevated copy of itself once Install is
// pressed. Beside "/AllUsers", its folder ("/InstallFolder") and language
// ("/Language"), the copy gets switches of its own, which the list of
// accepted switches does not show: "/OptionsChosen" (the wizard opens on the
// copy page and shows its end page), "/ProgramGroup:<group>" (refused like
// /InstallFolder when the options page would refuse it) and
// "/CreateDesktopShortcut:0|1", "/CreateQuickLaunchShortcut:0|1". The last
// three are also how a launcher hands on a choices file's entries: the file
// is read by the process the user started, with the user's own drives, and
// the elevated copy reads no file of the command line.
#pragma once

#include "Applications/VornSetup/ShortcutChoices.h"

#include "VornLib/core/CommandLine.h"
#include "VornLib/core/Result.h"

namespace vornsetup {

using vorn::Result;
using vorn::String;

using vorn::SwitchValue;

struct InstallerSwitch {
    const char16_t* name;
    SwitchValue value;
    // Given to the elevated copy as the user wrote it.
    bool passedOn;
    // How the list of accepted switches shows it; null for the ones the setup
    // gives itself or that belong to the framework's own machinery.
    const char16_t* usage;
};

// Every switch the setup accepts; the framework's own operations ("Install",
// "Uninstall", ...) end a program before the setup sees its command line.
extern const InstallerSwitch kInstallerSwitches[];
extern const uint32_t kInstallerSwitchCount;

// The languages the setup carries texts for, in its documents' order.
extern const char16_t* const kSetupLanguages[];
extern const uint32_t kSetupLanguageCount;
bool IsSetupLanguage(const String& code);

// What "/?" shows: every switch the setup accepts, and how values are written.
String InstallerUsage();

// 0 when `entry` is a switch the setup accepts, with a value it takes; else
// as below.
Result CheckInstallerSwitch(const vorn::CommandLineSwitch& entry, String* message);

// 0 when the command line holds only what the setup accepts; else 5 (31 for
// a refused install folder) and the line that says why.
Result CheckInstallerCommandLine(vorn::CommandLine& commandLine, String* message);

// The elevated copy's arguments: " -Quiet" (when quiet), " -AllowMultipleInstances",
// " -LaunchedAsAdministrator", then every other switch passed on, in the
// table's order (" -Passive", " -InstallFolder:\"…\"", " -Language:\"…\"", ...),
// and last `outputSwitches`, which hand on the log and the result file.
String ChildArguments(bool quiet, vorn::CommandLine& commandLine, const String& outputSwitches);

// What the wizard's user chose, for the elevated copy that installs it.
struct WizardChoices {
    String installFolder;
    String programGroup;
    bool shortcuts[kShortcutChoiceCount] = {true, true};
    String language; // the wizard's; empty: the copy gets the given one, or finds its own
    bool offersComponents = false;
    String components; // the chosen ones' names, "Core,Docs"
};

// The elevated copy's arguments after "for all users" was chosen in the
// wizard: " -AllowMultipleInstances -LaunchedAsAdministrator -AllUsers
// -OptionsChosen", every switch passed on but the folder (and the language,
// when the choices name one), then
// the choices (" -InstallFolder:\"…\" -ProgramGroup:\"…\"
// -CreateDesktopShortcut:1 -CreateQuickLaunchShortcut:0 -Language:\"de\"")
// and last `outputSwitches`. Folders and groups hold no quotation mark: the
// options page accepts none.
String HandOffArguments(vorn::CommandLine& commandLine, const WizardChoices& choices,
                        const String& outputSwitches);

// "/Passive": the copy page alone, and no message before or after it.
bool IsPassive(vorn::CommandLine& commandLine);
// "/NoCancel": once the files are being copied, nothing stops the copy.
bool IsUncancellable(vorn::CommandLine& commandLine);

} // namespace vornsetup
