// What a setup tells whoever deploys it besides its exit code: the log
// ("/Log", InstallLog.h) and the result file ("/ResultFile", ResultFile.h).
// Both are the caller's files, made with the caller's rights: the setup makes
// the log and deletes an older result file when it starts, and hands its
// elevated copy the log it made (path and identity), never a path to make;
// the elevated copy appends to that file and writes no result file. The
// setup writes the result file once its elevated copy has ended, from what
// is installed, and the log's last line, "Result". The choices file
// ("/SaveChoices", ChoicesFile.h) is the caller's file as well: the setup
// writes it after a successful installation, from the choices installed
// (the ones its elevated copy registered, read back), and never the elevated
// copy.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/CommandLine.h"

namespace vornsetup {

class SetupReport {
public:
    static SetupReport& Instance();

    // First thing at start, before the command line is judged: whatever the
    // outcome, the log and the result file it asks for are written. The
    // elevated copy ("LaunchedAsAdministrator") is told so. Once a run.
    void begin(vorn::CommandLine& commandLine, const InstallManifest& manifest);
    // The switches that hand the log on to the elevated copy about to start,
    // which from then on installs: the result file counts what it copied.
    String handOffToElevatedCopy();
    // With the process's exit code, last thing before it ends; returns the
    // code the process ends with ("/ExitCodes:Standard" maps it).
    int32_t end(int32_t exitCode, const InstallManifest& manifest);

private:
    SetupReport() = default;

    bool begun_ = false;
    bool elevatedCopy_ = false;
    bool handedOff_ = false;
    vorn::ExitCodeConvention convention_ = vorn::ExitCodeConvention::Own;
    String resultPath_;
    String choicesPath_;
    String logProblem_;
    double started_ = 0;
};

// The code a setup's exit code stands for: the elevated copy's "installed"
// codes (41, 42) are the setup's 0.
int32_t SetupExitCode(int32_t processExitCode);

// The installation's choices, logged when the copy starts: scope, folder and
// program group.
void LogInstallationChoices(const InstallManifest& manifest);

} // namespace vornsetup
