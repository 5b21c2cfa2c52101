#include "VornLib/app/ExitCodes.h"

namespace vorn {

const ExitCode kExitCodes[] = {
    {ExitCodeProgram::Setup, 0, u"installed", u"The application is installed.", nullptr, 0},
    {ExitCodeProgram::Setup, 2, u"unsupportedProcessor",
     u"The processor lacks SSE2: the setup cannot run on this machine.", u"systemNotSupported",
     1633},
    {ExitCodeProgram::Setup, 5, u"invalidSwitch",
     u"The command line holds an unknown switch, a switch without its value or with one it does "
     u"not take, a language the setup has no texts for, or a plain argument. Nothing was touched.",
     u"invalidParameter", 1639},
    {ExitCodeProgram::Setup, 8, u"cancelled",
     u"The user declined the elevation prompt, cancelled the copy or closed the wizard before "
     u"installing. Nothing was installed.",
     u"cancelledByUser", 1602},
    {ExitCodeProgram::Setup, 12, u"outOfMemory", u"The setup ran out of memory.",
     u"insufficientMemory", 1603},
    {ExitCodeProgram::Setup, 13, u"diskFull",
     u"The drive of the install folder is full. What was written is taken back; free some space "
     u"and run the setup again.",
     u"diskFull", 1603},
    {ExitCodeProgram::Setup, 14, u"inUse",
     u"The application is running. Close it and run the setup again.", u"packageInUse", 1603},
    {ExitCodeProgram::Setup, 17, u"accessDenied",
     u"Windows refused to write a file or folder of the installation (rights, a policy, or a "
     u"folder standing where a file must go). What was written is taken back.",
     u"blockedByPolicy", 1603},
    {ExitCodeProgram::Setup, 22, u"damagedSetup",
     u"The setup file is damaged: a file it carries does not read back whole. Download the setup "
     u"again.",
     u"contactSupport", 1620},
    {ExitCodeProgram::Setup, 27, u"fileInUse",
     u"A file that the installation must replace is held open by another program. What was "
     u"written is taken back; close that program and run the setup again.",
     u"fileInUse", 1603},
    {ExitCodeProgram::Setup, 29, u"missingFile",
     u"The setup lacks a file of the application it should carry: ask its vendor for a working "
     u"setup.",
     u"contactSupport", 1620},
    {ExitCodeProgram::Setup, 31, u"folderRefused",
     u"The install folder is refused: not a full path, a separator at its end, a character no "
     u"folder may hold, a part that names a device (CON, NUL, COM1…), or too long for the "
     u"program's path; the log says which. Nothing was touched.",
     u"invalidParameter", 1639},
    {ExitCodeProgram::Setup, 38, u"invalidName",
     u"Windows refused a name of the installation: the drive of the install folder cannot hold a "
     u"file or folder name the application has. What was written is taken back; choose a folder "
     u"on another drive.",
     u"contactSupport", 1603},
    {ExitCodeProgram::Setup, kExitInstalledStartApplication, u"installedStartApplication",
     u"Only the setup's elevated copy ends with this (installed, and the user asked to start the "
     u"application); the setup then starts it and ends with 0.",
     nullptr, 0},
    {ExitCodeProgram::Setup, kExitInstalledByElevatedCopy, u"installedByElevatedCopy",
     u"Only the setup's elevated copy ends with this (installed); the setup then ends with 0.",
     nullptr, 0},
    {ExitCodeProgram::Setup, 43, u"userWritableFolder",
     u"The install folder of an installation for all users is one that standard users may "
     u"change: a program put there would run with administrator rights at the next update or "
     u"removal. Nothing was touched; choose another folder, or give /AllowUserWritableFolder.",
     u"invalidParameter", 1603},
    {ExitCodeProgram::Setup, 44, u"newerVersionInstalled",
     u"A newer version of the application is installed: a setup without windows does not "
     u"replace it with an older one. Nothing was touched; /AllowDowngrade installs this version "
     u"in its place.",
     u"downgrade", 1638},
    {ExitCodeProgram::Setup, kExitSetupRunning, u"setupRunning",
     u"Another setup of the application is running. Let it finish and run the setup again; "
     u"nothing was touched.",
     u"installInProgress", 1618},
    {ExitCodeProgram::Setup, kExitInstalledInOtherScope, u"installedInOtherScope",
     u"The application is installed in the other scope (for all users, or for the current user "
     u"only). Nothing was touched; remove it first, or give the switch of its scope to update "
     u"it.",
     u"alreadyInstalled", 1603},
    {ExitCodeProgram::Setup, kExitFolderUnavailable, u"folderUnavailable",
     u"The install folder cannot be reached: its drive does not exist, or a file stands where a "
     u"folder of its path must be. Nothing was touched; choose another folder.",
     u"invalidParameter", 1603},
    {ExitCodeProgram::Setup, kExitUpdateDoesNotApply, u"updateDoesNotApply",
     u"A delta setup (one that carries only what changed since one version) found another "
     u"version installed, or an installed file that is not that version's: a user changed it, or "
     u"it is damaged. Nothing was touched; run the full setup of the new version (the update "
     u"program does so by itself).",
     nullptr, 1642},
    {ExitCodeProgram::Setup, kExitStepFailed, u"stepFailed",
     u"A program that the application runs once its files are in place (a Run step) ended with "
     u"an exit code it does not call success, ran past its time, or could not start; the log "
     u"names it and its code. The installation was rolled back: the previous version, or "
     u"nothing, is installed as before.",
     u"contactSupport", 1603},
    {ExitCodeProgram::Setup, kExitNothingToRepair, u"nothingToRepair",
     u"/Repair was given, but this setup's version is not installed in its scope: nothing is "
     u"installed there, or another version is (the log says which). Nothing was touched; a "
     u"repair takes the setup of the installed version.",
     u"invalidParameter", 1605},
    {ExitCodeProgram::Setup, kExitPrerequisiteFailed, u"prerequisiteFailed",
     u"A prerequisite the application needs (a runtime, a framework) was not found, and its "
     u"own setup could not run or ended with an exit code it does not call success; the log "
     u"names it and its code. Nothing of the application was touched; install the prerequisite "
     u"and run the setup again.",
     u"missingDependency", 1603},
    {ExitCodeProgram::Setup, kExitServiceDidNotRespond, u"serviceDidNotRespond",
     u"A Windows service of the application did not stop within 30 seconds before its files "
     u"were to be replaced, or did not start at the end of the installation; the log names it. "
     u"The installation was rolled back: the previous version, or nothing, is installed as "
     u"before.",
     u"contactSupport", 1603},
    {ExitCodeProgram::Setup, kExitRestartInitiated, u"restartInitiated",
     u"The application is installed, and Windows restarts to replace the files that programs "
     u"which did not close held (/ForceRestart).",
     u"rebootInitiated", 1641},
    {ExitCodeProgram::Setup, kExitRestartNeeded, u"restartNeeded",
     u"The application is installed, but files that programs which did not close held are "
     u"replaced only when Windows restarts: restart it to finish.",
     u"rebootRequiredToFinish", 3010},
    {ExitCodeProgram::Setup, kOtherExitCodes, u"failed",
     u"The installation failed with this result code; the log names the step that failed.",
     u"contactSupport", 1603},
    {ExitCodeProgram::Removal, 0, u"removed", u"The program is removed.", nullptr, 0},
    {ExitCodeProgram::Removal, 4, u"notInstalled",
     u"The program is not installed: its uninstall entry is missing, and no interrupted "
     u"installation of it is recorded.",
     nullptr, 1605},
    {ExitCodeProgram::Removal, 5, u"invalidSwitch",
     u"The command line holds an unknown switch, a switch with a value it does not take or "
     u"without the one it needs, or a plain argument. Nothing was removed.",
     nullptr, 1639},
    {ExitCodeProgram::Removal, 8, u"cancelled",
     u"The user answered No or declined the elevation prompt. Nothing was removed.", nullptr, 1602},
    {ExitCodeProgram::Removal, 14, u"inUse",
     u"The program is running. Close it and remove it again; nothing was removed.", nullptr, 1603},
    {ExitCodeProgram::Removal, kExitServiceDidNotRespond, u"serviceDidNotRespond",
     u"A Windows service of the application did not stop within 30 seconds; the log names it. "
     u"Nothing was removed; stop the service and remove the application again.",
     nullptr, 1603},
    {ExitCodeProgram::Removal, kExitRestartInitiated, u"restartInitiated",
     u"The program is removed, and Windows restarts to delete the files that programs which did "
     u"not close held (/ForceRestart).",
     nullptr, 1641},
    {ExitCodeProgram::Removal, kExitRestartNeeded, u"restartNeeded",
     u"The program is removed, but files that programs which did not close held are deleted "
     u"only when Windows restarts.",
     nullptr, 3010},
    {ExitCodeProgram::Removal, kOtherExitCodes, u"failed",
     u"The removal failed with this result code: its elevated copy could not be started, or "
     u"the program cannot read its own files and has no uninstall entry.",
     nullptr, 1603},
    {ExitCodeProgram::Update, 0, u"upToDate",
     u"/Check: the installed version is the newest the feed offers. /Apply: it is now, updated "
     u"or already so.",
     nullptr, 0},
    {ExitCodeProgram::Update, 4, u"notInstalled",
     u"The update program finds no installation of its product in its folder: nothing was "
     u"changed.",
     nullptr, 1605},
    {ExitCodeProgram::Update, 5, u"invalidSwitch",
     u"The command line holds an unknown switch, both /Check and /Apply or neither, or a plain "
     u"argument. Nothing was downloaded.",
     nullptr, 1639},
    {ExitCodeProgram::Update, 8, u"cancelled",
     u"The user declined the elevation prompt or cancelled the new version's setup. The "
     u"installed version is unchanged.",
     nullptr, 1602},
    {ExitCodeProgram::Update, kExitUpdateAvailable, u"updateAvailable",
     u"/Check: the feed offers a newer version; the console and the log name it.", nullptr, 0},
    {ExitCodeProgram::Update, kExitFeedUnavailable, u"feedUnavailable",
     u"The feed or the new version's setup could not be downloaded (no connection, a proxy, "
     u"the server's answer); the log names the address and the error. Nothing was changed.",
     nullptr, 1603},
    {ExitCodeProgram::Update, kExitNotTrusted, u"notTrusted",
     u"The feed or the downloaded setup is not signed with the product's key, or the setup's "
     u"size or checksum is not the feed's: nothing was run, the installed version is unchanged.",
     nullptr, 1603},
    {ExitCodeProgram::Update, kExitRestartNeeded, u"restartNeeded",
     u"The new version is installed, but files that programs which did not close held are "
     u"replaced only when Windows restarts.",
     nullptr, 3010},
    {ExitCodeProgram::Update, kOtherExitCodes, u"failed",
     u"The new version's setup ended with this code (the setup's rows above say what it means), "
     u"or the update program failed with this result code; the log says which.",
     nullptr, 1603},
};
const uint32_t kExitCodeCount = uint32_t(sizeof kExitCodes / sizeof *kExitCodes);

const char16_t* ExitCodeProgramName(ExitCodeProgram program) {
    static const char16_t* const kNames[] = {u"setup", u"removal", u"update"};
    return kNames[uint32_t(program)];
}

const ExitCode& FindExitCode(ExitCodeProgram program, int32_t code) {
    const ExitCode* other = nullptr;
    for (const ExitCode& row : kExitCodes) {
        if (row.program != program)
            continue;
        if (row.code == code)
            return row;
        if (row.code == kOtherExitCodes)
            other = &row;
    }
    return *other;
}

bool ParseExitCodeConvention(const String& value, ExitCodeConvention* convention) {
    if (value.compareIgnoringCase(u"Own") == 0)
        *convention = ExitCodeConvention::Own;
    else if (value.compareIgnoringCase(u"Standard") == 0)
        *convention = ExitCodeConvention::Standard;
    else
        return false;
    return true;
}

Result CheckExitCodesSwitch(const CommandLineSwitch& given, String* message) {
    ExitCodeConvention convention = ExitCodeConvention::Own;
    if (ParseExitCodeConvention(given.value, &convention))
        return kResultOk;
    *message = u"The switch /ExitCodes takes Standard or Own (\"" + WrittenSwitch(given) + u"\").";
    return kResultInvalidArgument;
}

ExitCodeConvention ExitCodeConventionOf(CommandLine& commandLine) {
    String value;
    ExitCodeConvention convention = ExitCodeConvention::Own;
    if (commandLine.switchValue(u"ExitCodes", &value))
        (void)ParseExitCodeConvention(value, &convention);
    return convention;
}

int32_t ConventionalExitCode(ExitCodeProgram program, int32_t code, ExitCodeConvention convention) {
    return convention == ExitCodeConvention::Standard ? FindExitCode(program, code).standardCode
                                                      : code;
}

} // namespace vorn
