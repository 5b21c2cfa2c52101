#include "VornLib/app/FilesInUse.h"

#include "VornLib/app/ExitCodes.h"

#ifdef _WIN32
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/ProgramsInTheWay.h"
#endif

namespace vorn {

String FilesInUseSwitches(CommandLine& commandLine) {
    String switches;
    for (const char16_t* name :
         {u"CloseApplications", u"NoCloseApplications", u"NoRestart", u"ForceRestart"}) {
        if (commandLine.hasSwitch(name))
            switches += String(u" /") + name;
    }
    return switches;
}

HeldFilesChoice HeldFilesChoiceOf(CommandLine& commandLine, bool unattended) {
    if (commandLine.hasSwitch(u"NoCloseApplications"))
        return HeldFilesChoice::Refuse;
    return commandLine.hasSwitch(u"CloseApplications") || unattended ? HeldFilesChoice::Close
                                                                     : HeldFilesChoice::Refuse;
}

RestartChoice RestartChoiceOf(CommandLine& commandLine) {
    // Never restarting wins: it is the safe reading of a contradiction.
    return commandLine.hasSwitch(u"ForceRestart") && !commandLine.hasSwitch(u"NoRestart")
               ? RestartChoice::Force
               : RestartChoice::Never;
}

int32_t CompletedExitCode(int32_t completed, bool restartNeeded, bool restartBegun) {
    if (!restartNeeded)
        return completed;
    return restartBegun ? kExitRestartInitiated : kExitRestartNeeded;
}

#ifdef _WIN32

namespace {

const char16_t* OutcomeText(CloseOutcome outcome) {
    switch (outcome) {
    case CloseOutcome::Closed:
        return u"closed";
    case CloseOutcome::NoWindow:
        return u"left running: it has no window to close";
    case CloseOutcome::StillRunning:
        return u"left running: it did not close in time";
    case CloseOutcome::AlreadyEnded:
        return u"had ended";
    }
    return u"";
}

} // namespace

bool IsHeldByAnotherProgram(const String& path) {
    // Renaming and deleting take the right to delete: a program that holds
    // the file without sharing it refuses that.
    const FileHandle probe(CreateFileW(Wide(LongPath(path).data()), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe.isValid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::vector<String> CloseProgramsHolding(const std::vector<String>& held, const String& folder,
                                         std::vector<String>* restarts) {
    const DWORD started = GetTickCount();
    for (const RunningProgram& program : ProgramsHoldingFiles(held, folder)) {
        const DWORD spent = GetTickCount() - started;
        const uint32_t left = spent < kCloseWaitMilliseconds ? kCloseWaitMilliseconds - spent : 0;
        Log(LogEvent::ProgramInTheWay, u"\"{0}\" (process {1}) asked to close",
            {program.imagePath, program.processId});
        // Read while it runs: the system forgets it with the process.
        const String restart = restarts ? RestartCommandOf(program.processId) : String();
        const CloseOutcome outcome = AskProgramToClose(program.processId, left);
        Log(LogEvent::ProgramInTheWay, u"\"{0}\" (process {1}) {2}",
            {program.imagePath, program.processId, OutcomeText(outcome)});
        if (outcome == CloseOutcome::Closed && !restart.isEmpty())
            restarts->push_back(restart);
    }
    std::vector<String> stillHeld;
    for (const String& path : held) {
        if (IsHeldByAnotherProgram(path))
            stillHeld.push_back(path);
    }
    return stillHeld;
}

void RestartClosedPrograms(std::vector<String>* restarts) {
    for (const String& command : *restarts) {
        Log(LogEvent::ProgramInTheWay, u"{0} started again (result {1})",
            {command, StartRestartCommand(command)});
    }
    restarts->clear();
}

Result ReplaceAtRestart(const String& replacement, const String& place) {
    if (MoveFileExW(Wide(LongPath(replacement).data()), Wide(LongPath(place).data()),
                    MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
        return kResultOk;
    return ResultFromSystemError(GetLastError());
}

Result DeleteAtRestart(const String& path) {
    if (MoveFileExW(Wide(LongPath(path).data()), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return kResultOk;
    return ResultFromSystemError(GetLastError());
}

Result RestartWindows() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return ResultFromSystemError(GetLastError());
    const KernelHandle ownedToken(token);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) ||
        !AdjustTokenPrivileges(ownedToken.get(), FALSE, &privileges, 0, nullptr, nullptr) ||
        GetLastError() == ERROR_NOT_ALL_ASSIGNED)
        return ResultFromSystemError(GetLastError());
    wchar_t message[] = L"An installation needs Windows to restart to finish.";
    if (!InitiateSystemShutdownExW(nullptr, message, 60, FALSE, TRUE,
                                   SHTDN_REASON_MAJOR_APPLICATION |
                                       SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED))
        return ResultFromSystemError(GetLastError());
    return kResultOk;
}

int32_t FinishWithRestart(CommandLine& commandLine, int32_t completed, bool restartNeeded) {
    if (!restartNeeded)
        return completed;
    bool begun = false;
    if (RestartChoiceOf(commandLine) == RestartChoice::Force) {
        const Result restarted = RestartWindows();
        begun = restarted == kResultOk;
        Log(LogEvent::ProgramInTheWay,
            begun ? String(u"Windows restarts in a minute to finish")
                  : Format(u"Windows cannot be restarted (result {0}): restart it to finish",
                           {restarted}));
    } else {
        Log(LogEvent::ProgramInTheWay, u"Windows must restart to finish: not restarted now");
    }
    return CompletedExitCode(completed, true, begun);
}

#endif

} // namespace vorn
