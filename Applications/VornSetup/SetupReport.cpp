#include "Applications/VornSetup/SetupReport.h"

#include "Applications/VornSetup/ChoicesFile.h"
#include "Applications/VornSetup/InstallerModule.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "Applications/VornSetup/ResultFile.h"
#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/SettingRecord.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vornsetup {

using namespace vorn;

namespace {

// A switch's value; empty where it cannot name a file, which the command
// line check refuses.
String FileSwitch(CommandLine& commandLine, const char16_t* name) {
    String value;
    (void)commandLine.switchValue(name, &value);
    return IsPossibleFileName(value) ? value : String();
}

// What of the installation is in place: the files this run wrote (its
// elevated copy's, for a setup that started one), found in the install
// folder, and the removal command of the entry that registers the product
// (this installation's, or an earlier one left as it was).
void DescribeInstallation(const InstallManifest& manifest, bool copiedElsewhere,
                          SetupResult* result) {
    for (const FileEntry& file : manifest.files) {
        if ((file.copied || copiedElsewhere) &&
            PathExists(JoinPath(manifest.installFolder, file.relativePath))) {
            ++result->filesInstalled;
            result->bytesInstalled += file.size;
        }
    }
    UninstallEntry entry(manifest.uuid, manifest.scope);
    if (!entry.exists())
        return;
    (void)entry.readText(EntryValue::UninstallString, &result->uninstallCommand);
    for (const String& text : entry.readList(kSettingsList)) {
        SettingRecord setting;
        if (DecodeSettingRecord(text, &setting) && setting.action != SettingAction::Key)
            result->settings.push_back(SettingName(setting, manifest.scope == InstallScope::User));
    }
    result->steps = entry.readList(kStepsRunList);
    result->prerequisites = entry.readList(kPrerequisitesList);
    String components;
    if (entry.readText(EntryValue::Components, &components) == kResultOk)
        result->components = SplitComponentList(components);
}

} // namespace

SetupReport& SetupReport::Instance() {
    static SetupReport report;
    return report;
}

void SetupReport::begin(CommandLine& commandLine, const InstallManifest& manifest) {
    if (begun_)
        return;
    begun_ = true;
    started_ = MonotonicSeconds();
    elevatedCopy_ = commandLine.hasSwitch(u"LaunchedAsAdministrator");
    // The launcher reads its elevated copy's own codes (41, 42).
    convention_ = elevatedCopy_ ? ExitCodeConvention::Own : ExitCodeConventionOf(commandLine);
    // The caller's file, written with the caller's rights: never by the
    // elevated copy, whatever path it is given.
    const String result = elevatedCopy_ ? String() : FileSwitch(commandLine, u"ResultFile");
    resultPath_ = result.isEmpty() ? String() : FullPath(result);
    // The choices file too: the user's own process writes it, from what the
    // elevated copy left registered. "/?" ends with 0 having installed nothing.
    const bool installs = !elevatedCopy_ && !commandLine.hasSwitch(u"?");
    const String choices = installs ? FileSwitch(commandLine, u"SaveChoices") : String();
    choicesPath_ = choices.isEmpty() ? String() : FullPath(choices);
    // A reader must not take an earlier run's document for this one's.
    if (!resultPath_.isEmpty())
        DeleteFileW(Wide(LongPath(resultPath_).data()));
    String logValue;
    (void)commandLine.switchValue(u"Log", &logValue);
    if (IsPossibleFileName(logValue))
        (void)OpenRequestedLog(commandLine, manifest.displayName(), u"Setup", &logProblem_);
    LogProgramStart(Format(u"{0} {1} setup{2} (VornSetup {3})",
                           {manifest.displayName(), manifest.displayVersion(),
                            elevatedCopy_ ? u", elevated copy" : u"", FrameworkBuild()}));
}

String SetupReport::handOffToElevatedCopy() {
    handedOff_ = true;
    return LogSwitch();
}

int32_t SetupReport::end(int32_t exitCode, const InstallManifest& manifest) {
    const int32_t code = SetupExitCode(exitCode);
    // Installed, whether or not Windows must restart to finish.
    const bool installed =
        code == kResultOk || code == kExitRestartNeeded || code == kExitRestartInitiated;
    if (!resultPath_.isEmpty()) {
        SetupResult result;
        result.exitCode = code;
        result.productUuid = manifest.uuid;
        result.productName = manifest.displayName();
        result.productVersion = manifest.displayVersion();
        result.scope = manifest.scope;
        result.installFolder = manifest.installFolder;
        DescribeInstallation(manifest, handedOff_, &result);
        result.durationSeconds = MonotonicSeconds() - started_;
        result.logFile = InstallLog::Instance().path();
        result.logProblem = logProblem_;
        result.restartNeeded = installed && code != kResultOk;
        const Result written = WriteResultFile(resultPath_, result);
        if (written == kResultOk) {
            Log(LogEvent::ResultFile, resultPath_);
        } else {
            const String said = Format(u"The result file \"{0}\" cannot be written (result {1}).",
                                       {resultPath_, written});
            WriteConsoleLine(said);
            Log(LogEvent::ResultFile, said);
        }
    }
    // Only what was installed is worth installing again.
    if (!choicesPath_.isEmpty() && installed) {
        const Result written = WriteChoicesFile(choicesPath_, manifest);
        if (written != kResultOk)
            WriteConsoleLine(Format(u"The choices file \"{0}\" cannot be written (result {1}).",
                                    {choicesPath_, written}));
    }
    // The setup's last line is its own; its elevated copy's end shows in the
    // setup's "Elevation" line.
    const int32_t ended =
        elevatedCopy_ ? exitCode : LogResult(ExitCodeProgram::Setup, code, convention_);
    InstallLog::Instance().close();
    return convention_ == ExitCodeConvention::Standard ? ended : exitCode;
}

int32_t SetupExitCode(int32_t processExitCode) {
    const bool installed = processExitCode == kExitInstalledByElevatedCopy ||
                           processExitCode == kExitInstalledStartApplication;
    return installed ? 0 : processExitCode;
}

void LogInstallationChoices(const InstallManifest& manifest) {
    Log(LogEvent::Scope, InstallScopeName(manifest.scope));
    Log(LogEvent::InstallFolder, manifest.installFolder);
    Log(LogEvent::ProgramGroup, manifest.programGroup);
    const std::vector<ComponentDeclaration>& components = manifest.declared.components;
    if (!components.empty())
        Log(LogEvent::Components, u"{0}; left out: {1}",
            {ComponentListText(components, manifest.chosenComponents),
             ComponentListText(components, manifest.chosenComponents, false)});
}

} // namespace vornsetup
