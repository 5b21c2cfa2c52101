// What a setup tells whoever deploys it besides its exit code: the log
// ("/Log", InstallLog.h) and the result file ("/ResultFile", ResultFile.h).
// The setup decides both files' full paths when it starts, deletes an older
// result file, and hands both paths to its elevated copy; the elevated copy
// logs the installation and writes the result file when it ends. The setup
// then writes the result file itself only where its elevated copy wrote none
// (the elevation prompt declined, the copy killed), and the log's last line,
// "Result", in every case.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/core/CommandLine.h"

namespace vornsetup {

class SetupReport {
public:
    static SetupReport& Instance();

    // First thing at start, before the command line is judged: whatever the
    // outcome, the log and the result file it asks for are written. The
    // elevated copy ("LaunchedAsAdministrator") is told so. Once a run.
    void begin(vorn::CommandLine& commandLine, const InstallManifest& manifest);
    // The switches that hand both files on to the elevated copy.
    String childSwitches() const;
    // With the process's exit code, last thing before it ends.
    void end(int32_t exitCode, const InstallManifest& manifest);

private:
    SetupReport() = default;

    bool begun_ = false;
    bool elevatedCopy_ = false;
    String resultPath_;
    // The log asked for that could not be made: the elevated copy tries it
    // again and says so in the result file it writes.
    String unmadeLog_;
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
