#include "Applications/VornUpdate/NewVersionSetup.h"

#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/UpdateSignature.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/ProgramsInTheWay.h"
#include "VornLib/core/platform/RunningPrograms.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/telemetry/WebDownload.h"

namespace vornupdate {

using namespace vorn;

namespace {

// A new folder of this process's own in the user's temporary folder.
Result MakePrivateFolder(String* folder) {
    const String base = TemporaryFolder();
    for (uint32_t attempt = 0; attempt < 100; ++attempt) {
        *folder = Format(u"{0}VornUpdate-{1,08:x}-{2}\\", {base, GetCurrentProcessId(), attempt});
        if (CreateDirectoryW(Wide(folder->data()), nullptr))
            return kResultOk;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return ResultFromSystemError(GetLastError());
    }
    return kResultAlreadyExists;
}

// The folder and what is in it, however the update ended.
struct PrivateFolder {
    String path;
    ~PrivateFolder() {
        if (!path.isEmpty())
            (void)DeleteFolderTree(path);
    }
};

Result DownloadInto(const String& path, const FeedSetup& release, String* message) {
    FileHandle file(CreateFileW(Wide(path.data()), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *message = Format(u"\"{0}\" cannot be made.", {path});
        return ResultFromSystemError(GetLastError());
    }
    DownloadOutcome outcome;
    Result result = Download(
        release.url, release.size,
        [&file](const uint8_t* piece, uint32_t size) {
            DWORD written = 0;
            return WriteFile(file.get(), piece, size, &written, nullptr) && written == size
                       ? kResultOk
                       : ResultFromSystemError(GetLastError());
        },
        &outcome);
    if (result == kResultOk && outcome.received != release.size)
        result = kResultEndOfData;
    if (result != kResultOk)
        *message = Format(u"The setup \"{0}\" cannot be downloaded (result {1}, status {2}, "
                          u"error {3}, {4} of {5} bytes).",
                          {release.url, int32_t(result), outcome.status, outcome.systemError,
                           outcome.received, release.size});
    return result;
}

// Opens the setup so that nobody may write, rename or delete it while it
// is held, and checks what is held.
bool HoldVerified(const String& path, const Installation& installation, const FeedSetup& release,
                  FileHandle* held) {
    held->reset(CreateFileW(Wide(path.data()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!*held)
        return false;
    StreamVerifier verifier;
    static uint8_t piece[1u << 16];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(held->get(), piece, sizeof piece, &read, nullptr))
            return false;
        if (read == 0)
            break;
        verifier.update(piece, read);
    }
    return verifier.size() == release.size &&
           verifier.sha256().compareIgnoringCase(release.sha256.data()) == 0 &&
           verifier.signatureHolds(installation.feed.publicKey.data(), release.signature);
}

String SetupParameters(const Installation& installation, SetupWindows windows) {
    static const char16_t* const kWindows[] = {u"", u" /Passive", u" /Quiet"};
    return String(kWindows[uint32_t(windows)]) + u" /" + InstallScopeWord(installation.scope) +
           LogSwitch();
}

bool IsRunning(const String& executable) {
    for (const RunningProgram& program : ProgramsRunningIn(ParentFolder(executable))) {
        if (SamePath(program.imagePath, executable))
            return true;
    }
    return false;
}

// Asks the programs that run from the install folder to close, as the
// setup's "/CloseApplications" asks the holders of its files: WM_CLOSE to
// their windows, 30 seconds in all; one that stays makes the setup refuse
// (14). True when the product's executable was among them.
bool CloseProgramsOfInstallation(const Installation& installation) {
    bool productRan = false;
    const DWORD started = GetTickCount();
    for (const RunningProgram& program : ProgramsRunningIn(installation.folder)) {
        productRan = productRan || SamePath(program.imagePath, installation.executable);
        const DWORD spent = GetTickCount() - started;
        const CloseOutcome outcome = AskProgramToClose(
            program.processId, spent < kCloseWaitMilliseconds ? kCloseWaitMilliseconds - spent : 0);
        Log(LogEvent::ProgramInTheWay, u"\"{0}\" (process {1}) asked to close: {2}",
            {program.imagePath, program.processId,
             outcome == CloseOutcome::Closed || outcome == CloseOutcome::AlreadyEnded
                 ? u"it ended"
                 : u"it still runs"});
    }
    return productRan;
}

// What running the setups of one update did to the installation's programs.
struct ProgramsClosed {
    bool asked = false;
    bool productRan = false;
};

// Downloads `release` to `path`, checks it and runs it: its exit code;
// kExitFeedUnavailable or kExitNotTrusted when it never ran. The programs
// of the installation are asked to close before the first setup runs.
int32_t DownloadAndRun(const Installation& installation, const FeedSetup& release,
                       const String& path, SetupWindows windows, ProgramsClosed* programs,
                       String* message) {
    if (DownloadInto(path, release, message) != kResultOk)
        return kExitFeedUnavailable;
    FileHandle held;
    if (!HoldVerified(path, installation, release, &held)) {
        *message = Format(u"The setup \"{0}\" is not the one the feed signed: it was not run.",
                          {release.url});
        return kExitNotTrusted;
    }
    Log(LogEvent::Download, u"{0} ({1} bytes): size, SHA-256 and signature hold",
        {release.url, release.size});
    if (!programs->asked && !installation.executable.isEmpty())
        programs->productRan = CloseProgramsOfInstallation(installation);
    programs->asked = true;
    const String parameters = SetupParameters(installation, windows);
    Log(LogEvent::HandOff, u"\"{0}\"{1}", {path, parameters});
    // The setup appends to the same log, this program after it again.
    const String log = InstallLog::Instance().path();
    InstallLog::Instance().close();
    KernelHandle process;
    const Result started = ShellLaunchStart(path.data(), parameters.data(), &process);
    const int32_t code =
        started == kResultOk ? int32_t(WaitForLaunched(&process)) : int32_t(started);
    if (!log.isEmpty())
        (void)InstallLog::Instance().open(log);
    if (started != kResultOk)
        *message = Format(u"The setup \"{0}\" cannot be started.", {path});
    return code;
}

} // namespace

int32_t InstallRelease(const Installation& installation, const FeedRelease& release,
                       SetupWindows windows, String* message) {
    PrivateFolder folder;
    Result result = MakePrivateFolder(&folder.path);
    if (result != kResultOk) {
        *message = u"No folder for the download can be made in the temporary folder.";
        return int32_t(result);
    }
    ProgramsClosed programs;
    // The delta setup from the installed version when the feed has one; the
    // full setup when there is none, or when it cannot be had or does not
    // fit the installed files (it then changed nothing).
    const FeedDelta* delta =
        installation.interrupted ? nullptr : DeltaFrom(release, installation.version);
    int32_t code = kExitUpdateDoesNotApply;
    if (delta) {
        code = DownloadAndRun(installation, delta->setup, folder.path + u"Delta.exe", windows,
                              &programs, message);
        if (code == kExitUpdateDoesNotApply || code == kExitFeedUnavailable ||
            code == kExitNotTrusted)
            Log(LogEvent::Download, u"the delta setup from {0} did not install ({1}): {2}",
                {delta->from, code, message->isEmpty() ? String(u"the full setup") : *message});
    }
    if (code == kExitUpdateDoesNotApply || code == kExitFeedUnavailable ||
        code == kExitNotTrusted) {
        message->clear();
        code = DownloadAndRun(installation, release.setup, folder.path + u"Setup.exe", windows,
                              &programs, message);
    }
    // A setup that ended without its code (killed, a power cut) may say 0:
    // what counts is the version the list of installed programs records.
    const String recorded = RecordedVersion(installation);
    if ((code == 0 || code == kExitRestartNeeded) && recorded != release.version) {
        *message = Format(u"The setup of {0} ended with {1}, but the installed version is \"{2}\".",
                          {release.version, code, recorded});
        code = int32_t(kResultFailed);
    }
    if (programs.productRan && (code == 0 || code == kExitRestartNeeded) &&
        !IsRunning(installation.executable)) {
        Log(LogEvent::HandOff, u"\"{0}\" started again", {installation.executable});
        KernelHandle restarted;
        (void)ShellLaunchStart(installation.executable.data(), u"", &restarted);
    }
    return code;
}

} // namespace vornupdate
