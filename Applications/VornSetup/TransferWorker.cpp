#include "Applications/VornSetup/TransferWorker.h"

#include <memory>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/InstallerMessages.h"
#include "Applications/VornSetup/InstallerModule.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "Applications/VornSetup/Registration.h"
#include "Applications/VornSetup/RepairFiles.h"
#include "Applications/VornSetup/RunningProduct.h"
#include "Applications/VornSetup/SetupReport.h"
#include "Applications/VornSetup/UpdateBases.h"
#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/FileStream.h"

namespace vornsetup {

using namespace vorn;

namespace {

String Resolve(LocalizedElementSource& strings, const char16_t* key) {
    String text;
    (void)ResolveLocalizedText(strings, key, &text);
    return text;
}

TimeRemainingEstimator::Phrases LoadPhrases(LocalizedElementSource& strings) {
    return {Resolve(strings, u"#TimeRemainingAboutXMinutes"),
            Resolve(strings, u"#TimeRemainingAboutAMinute"),
            Resolve(strings, u"#TimeRemainingLessThanMinute"),
            Resolve(strings, u"#TimeRemainingAbout10Seconds"),
            Resolve(strings, u"#TimeRemainingAbout5Seconds"),
            Resolve(strings, u"#TimeRemaining0Second")};
}

} // namespace

void PauseAt(const char16_t* point) {
    wchar_t wanted[32] = {};
    wchar_t file[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VORNSETUP_TEST_PAUSE", wanted, 32) ||
        String(Units(wanted)) != point ||
        !GetEnvironmentVariableW(L"VORNSETUP_TEST_PAUSE_FILE", file, MAX_PATH))
        return;
    {
        const FileHandle marker(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    while (GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES)
        Sleep(50);
}

TransferWorker::TransferWorker(InstallManifest& manifest, LocalizedElementSource& strings,
                               TransferProgress* progress, HWND notify)
    : manifest_(manifest), strings_(strings), progress_(progress), notify_(notify),
      transaction_(manifest.uuid, manifest.scope, kHandOffMilliseconds),
      estimator_(LoadPhrases(strings)), timeRemainingLabel_(Resolve(strings, u"#TimeRemaining")),
      progressionText_(Resolve(strings, u"#ProgressionText")) {}

TransferWorker::~TransferWorker() {
    stop(true);
}

TransferState TransferWorker::state() {
    std::lock_guard<std::mutex> guard(lock_);
    return state_;
}

bool TransferWorker::requestCancel(bool (*confirm)(void* context), void* context) {
    std::unique_lock<std::mutex> guard(lock_);
    switch (state_) {
    case TransferState::Idle:
        state_ = TransferState::Closed;
        return true;
    case TransferState::Running: {
        state_ = TransferState::ConfirmingCancel;
        guard.unlock();
        const bool yes = confirm && confirm(context);
        guard.lock();
        // The copy may have failed and the worker ended while the user read
        // the question: a late answer must not bring it back to life.
        if (state_ == TransferState::ConfirmingCancel)
            state_ = yes ? TransferState::CancelRequested : TransferState::Running;
        answered_.notify_all();
        return false;
    }
    case TransferState::Closed:
        return true;
    default:
        return false;
    }
}

void TransferWorker::update(uint64_t done) {
    if (done == lastShown_)
        return;
    lastShown_ = done;
    if (!progress_)
        return;
    progress_->setPosition(double(done));
    estimator_.update(done, MonotonicSeconds());
    progress_->setTimeText(timeRemainingLabel_ + u' ' + estimator_.text());
    if (total_)
        progress_->setProgressText(
            Format(progressionText_.data(), {float(double(done) * 100.0 / double(total_))}));
}

bool TransferWorker::cancelled() {
    std::unique_lock<std::mutex> guard(lock_);
    answered_.wait(guard, [this] { return state_ != TransferState::ConfirmingCancel; });
    if (state_ != TransferState::CancelRequested && state_ != TransferState::Cancelled)
        return false;
    state_ = TransferState::Cancelled;
    return true;
}

Result TransferWorker::placeFiles() {
    // A file that another program holds is found before anything changes.
    AppRuntime& runtime = AppRuntime::instance();
    const bool unattended = runtime.quiet() || IsPassive(runtime.commandLine());
    // A service holds its program: it stops before anything is looked at.
    Result result = transaction_.stopServices();
    if (result == kResultOk)
        result = transaction_.checkInTheWay(HeldFilesChoiceOf(runtime.commandLine(), unattended));
    if (result == kResultOk)
        result = cancelled() ? kResultCancelled : transaction_.removePrevious();
    PauseAt(u"PreviousRemoved");
    if (result == kResultOk && cancelled())
        result = kResultCancelled;
    if (result == kResultOk)
        result = transaction_.moveAside();
    if (result == kResultOk)
        result = transaction_.putInPlace();
    PauseAt(u"FilesInPlace");
    return result;
}

void TransferWorker::rollBack() {
    Log(LogEvent::RollBack, u"putting back what was there before this installation");
    transaction_.rollBack();
}

// Programs start, and shortcuts point, only by paths shorter than the
// platform's 260 characters (the files themselves may lie deeper, written
// through "\\?\"): an installation whose programs or shortcut targets would
// not fit is refused before anything is touched, with the code of the
// platform's own "file name too long".
Result TransferWorker::checkPaths() const {
    // A folder the options page would refuse (relative, "C:", a trailing
    // separator) is refused here too, whoever named it.
    if (const char16_t* problem = InstallFolderProblemInWords(manifest_.installFolder)) {
        Log(LogEvent::InstallFolder, u"refused: {0}", {problem});
        return kResultBadPath;
    }
    std::vector<String> paths = {manifest_.executablePath(), manifest_.executableX64Path()};
    for (const ShortcutEntry& shortcut : manifest_.shortcuts)
        paths.push_back(JoinPath(manifest_.installFolder, shortcut.target));
    for (const String& path : paths) {
        if (path.length() >= MAX_PATH) {
            Log(LogEvent::InstallFolder,
                u"refused: too long, \"{0}\" would have {1} characters, a program's path at "
                u"most {2}",
                {path, path.length(), MAX_PATH - 1});
            return kResultBadPath;
        }
    }
    // Decided before anything is touched: a missing drive, or a file where a
    // folder must go, would otherwise fail at the first file with a code that
    // blames the setup.
    const String unavailable = FolderUnavailableReason(manifest_.installFolder);
    if (!unavailable.isEmpty()) {
        Log(LogEvent::InstallFolder, u"unavailable: {0}", {unavailable});
        return Result(kExitFolderUnavailable);
    }
    return kResultOk;
}

Result TransferWorker::registerInstallation() {
    // The installed program registers its file types while the shortcuts are
    // made; the installation ends only when both are done.
    KernelHandle handOff;
    Result result = RegisterUninstallEntry(manifest_, &handOff);
    if (result == kResultOk)
        result = CreateProgramGroup(manifest_, strings_);
    if (result == kResultOk)
        result = CreateDesktopShortcuts(manifest_);
    if (result == kResultOk)
        result = WriteShortcutList(manifest_);
    if (result == kResultOk) {
        // A setting that cannot be made fails the installation: the program
        // would miss it.
        std::vector<String> owned;
        result = transaction_.applySettings(manifest_.declared.settings,
                                            manifest_.placeholderValues(), &owned);
        if (result == kResultOk)
            UninstallEntry(manifest_.uuid, manifest_.scope).writeList(kSettingsList, owned);
        else
            Log(LogEvent::Failure, u"a declared setting could not be made ({0})", {result});
    }
    if (result == kResultOk) {
        std::vector<String> owned;
        result = transaction_.applyServices(manifest_.declared.services, &owned);
        UninstallEntry(manifest_.uuid, manifest_.scope).writeList(kServicesList, owned);
    }
    if (result == kResultOk) {
        std::vector<String> ran;
        std::vector<String> atRemoval;
        result = transaction_.runSteps(manifest_.declared.steps, manifest_.placeholderValues(),
                                       &ran, &atRemoval);
        UninstallEntry entry(manifest_.uuid, manifest_.scope);
        entry.writeList(kStepsList, atRemoval);
        entry.writeList(kStepsRunList, ran);
        entry.writeList(kPrerequisitesList, prerequisites_.report);
    }
    if (result == kResultOk)
        result = transaction_.startServices(manifest_.declared.services);
    Result handOffCode = kResultOk;
    if (WaitForLaunched(&handOff, handOffLimit_, &handOffCode) == kResultTimedOut) {
        // A program that hangs in its own hook must not hold the installation
        // (or the script that runs it) for ever; what it does is its business.
        WriteConsoleLine(Format(u"{0} /Install has not ended after {1} seconds: the installation "
                                u"goes on without waiting for it.",
                                {manifest_.launchPath(IsWow64()), (handOffLimit_ + 999) / 1000}));
        Log(LogEvent::HandOff, u"still running: the installation goes on without waiting");
        handOff.reset();
    } else {
        Log(LogEvent::HandOff, u"ended with {0}", {handOffCode});
    }
    return result;
}

Result TransferWorker::registerNewVersion() {
    if (cancelled())
        return kResultCancelled;
    std::vector<String> shortcuts;
    for (const PlannedShortcut& shortcut : ProgramGroupShortcuts(manifest_, strings_))
        shortcuts.push_back(shortcut.file());
    for (const PlannedShortcut& shortcut : DesktopShortcuts(manifest_))
        shortcuts.push_back(shortcut.file());
    Result result = transaction_.beginRegistration(shortcuts);
    if (result == kResultOk)
        result = registerInstallation();
    PauseAt(u"Registered");
    return result;
}

Result TransferWorker::commit() {
    {
        std::unique_lock<std::mutex> guard(lock_);
        answered_.wait(guard, [this] { return state_ != TransferState::ConfirmingCancel; });
        if (state_ != TransferState::Running) {
            state_ = TransferState::Cancelled;
            return kResultCancelled;
        }
        state_ = TransferState::Completed;
    }
    return transaction_.commit();
}

Result TransferWorker::run() {
    // A refused installation leaves the previous one as it is; so does one
    // whose product was started while the wizard was open.
    manifest_.leaveOutUnchosenComponents();
    LogInstallationChoices(manifest_);
    Result result = checkPaths();
    const String running = result == kResultOk ? RunningProgramOfProduct(manifest_) : String();
    if (!running.isEmpty()) {
        Log(LogEvent::Failure, u"the application is running: {0}", {running});
        result = kResultAlreadyExists;
    }
    // What the product needs comes first; nothing of it is touched yet.
    if (result == kResultOk)
        result = InstallPrerequisites(manifest_, &prerequisites_);
    if (result == kResultOk)
        result = ChooseFilesToWrite(manifest_);
    if (result == kResultOk)
        result = CheckUpdateBases(manifest_);
    if (result == kResultOk)
        KeepUnchangedFiles(manifest_);
    if (result == kResultOk)
        result = copyFiles();
    if (result == kResultOk) {
        PauseAt(u"AfterCopy");
        result = placeFiles();
    }
    if (result == kResultOk)
        result = registerNewVersion();
    if (result == kResultOk)
        result = commit();
    if (result == kResultOk) {
        PauseAt(u"Committed");
        transaction_.cleanUp();
        // 42 tells the launcher; a setup that installs itself (per user, or
        // quiet with the rights already) is the process its caller waits
        // for: it ends with 0, as a launcher does. (The wizard's process
        // began with 8, as if cancelled.)
        AppRuntime& runtime = AppRuntime::instance();
        const bool elevatedCopy = runtime.commandLine().hasSwitch(u"LaunchedAsAdministrator");
        runtime.setExitCode(FinishWithRestart(
            runtime.commandLine(), elevatedCopy ? kExitInstalledByElevatedCopy : 0,
            transaction_.restartNeeded() || prerequisites_.restartNeeded));
    } else {
        rollBack();
    }
    transaction_.restartClosedPrograms();
    std::lock_guard<std::mutex> guard(lock_);
    if (!AppRuntime::instance().quiet() && notify_) {
        PostMessageW(notify_, kInstallerMessage, OutcomeOf(result).command, LPARAM(result));
    }
    state_ = TransferState::Closed;
    return result;
}

} // namespace vornsetup
