#include "Applications/VornSetup/InstallerModule.h"

#include "Applications/VornSetup/ChoicesFile.h"
#include "Applications/VornSetup/InstallManifest.h"
#include "Applications/VornSetup/InstallerMessages.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "Applications/VornSetup/InstallerWindow.h"
#include "Applications/VornSetup/RepairCheck.h"
#include "Applications/VornSetup/RunningProduct.h"
#include "Applications/VornSetup/ScopeChoice.h"
#include "Applications/VornSetup/SetupReport.h"
#include "Applications/VornSetup/TransferWorker.h"
#include "Applications/VornSetup/VersionChange.h"
#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/app/DescribedMainWindow.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/NamedMutex.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/MessageBox.h"
#include "VornLib/telemetry/Analytics.h"

namespace vornsetup {

using namespace vorn;

namespace {

// Owns the elevation prompt while the elevated copy runs; never shown.
class LauncherWindow : public AppWindow {
public:
    Result create() override {
        handle_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
        return handle_ ? kResultOk : ResultFromSystemError(GetLastError());
    }
    void show(bool) override {}
    void close() override { handle_.reset(); }
    HWND handle() const override { return handle_.get(); }

private:
    WindowHandle handle_;
};

// An interrupted installation of this product, undone or finished: the
// current user's by the user's own installation, all users' when this setup
// has the rights for it (RecordConfinement.h says why).
bool RecoverInterruptedInstallations(const InstallManifest& manifest, CommandLine& commandLine) {
    RecoveringProcess process;
    process.elevated = IsProcessElevated();
    process.elevatedCopy = commandLine.hasSwitch(u"LaunchedAsAdministrator");
    process.usersOwnScope = manifest.scope == InstallScope::User || manifest.scopeChoiceOffered;
    bool recovered = false;
    for (const InstallScope scope : {InstallScope::User, InstallScope::Machine}) {
        if (TakesUpRecord(scope == InstallScope::User, process))
            recovered |= UpdateTransaction::Recover(manifest.uuid, scope,
                                                    TransferWorker::kHandOffMilliseconds);
    }
    return recovered;
}

bool InterruptedInstallationLeft(const InstallManifest& manifest) {
    return UpdateJournal(manifest.uuid, InstallScope::Machine).exists() ||
           UpdateJournal(manifest.uuid, InstallScope::User).exists();
}

// Nobody watches a setup without windows: an older version does not take a
// newer one's place unless the command line says so.
Result RefuseUnattendedDowngrade(const InstallManifest& manifest, AppRuntime& runtime) {
    const bool unattended = runtime.quiet() || IsPassive(runtime.commandLine());
    if (!unattended || VersionChangeOf(manifest) != VersionChange::Downgrade ||
        runtime.commandLine().hasSwitch(u"AllowDowngrade"))
        return kResultOk;
    const String refusal =
        Format(u"{0} {1} is installed, newer than this setup's {2}: nothing was changed. "
               u"/AllowDowngrade installs {2} in its place.",
               {manifest.displayName(), manifest.installedVersion, manifest.displayVersion()});
    WriteConsoleLine(refusal);
    Log(LogEvent::Previous, refusal);
    return kResultNewerInstalled;
}

// A refusal before anything is touched: its line on the console and in the log.
Result Refused(Result result, LogEvent event, const String& refusal) {
    if (result != kResultOk) {
        WriteConsoleLine(refusal);
        Log(event, u"refused: " + refusal);
    }
    return result;
}

// "/Repair" where this version is not installed.
Result RefuseImpossibleRepair(const InstallManifest& manifest, AppRuntime& runtime) {
    String refusal;
    const Result repairable = CheckRepair(manifest, runtime.commandLine(), &refusal);
    return Refused(repairable, LogEvent::Repair, refusal);
}

// The installed application's own single-instance mutex.
NamedMutex gApplicationMutex;

} // namespace

Result InstallerModule::start() {
    AppRuntime& runtime = AppRuntime::instance();
    // Refused before anything is touched, and without a window: a script
    // that misspelt a switch must not wait for a wizard nobody sees. The
    // choices file's entries join the command line before the manifest is
    // built from it, each judged as its switch would be.
    String refusal;
    Result checked = CheckInstallerCommandLine(runtime.commandLine(), &refusal);
    if (checked == kResultOk)
        checked = LoadChoicesFile(runtime.commandLine(), &refusal);
    SetupReport::Instance().begin(runtime.commandLine(), InstallManifest::Instance());
    if (checked != kResultOk)
        return Refused(checked, LogEvent::CommandLine, refusal);
    InstallManifest& manifest = InstallManifest::Instance();
    if (runtime.commandLine().hasSwitch(u"?")) {
        ShowConsoleOrMessage(manifest.displayName() + u" Setup", InstallerUsage());
        runtime.setExitCode(int32_t(kResultOk));
        runtime.requestQuit();
        return kResultOk;
    }
    const Result allowed = CheckScopeChoice(manifest, runtime.commandLine(), &refusal);
    if (allowed != kResultOk)
        return Refused(allowed, LogEvent::Scope, refusal);
    const Result named = manifest.checkComponentSwitch(runtime.commandLine(), &refusal);
    if (named != kResultOk)
        return Refused(named, LogEvent::CommandLine, refusal);
    // Checked by the launcher before it asks for rights, and again by the
    // elevated copy, which may see another installation by then.
    const Result repairable = RefuseImpossibleRepair(manifest, runtime);
    if (repairable != kResultOk)
        return repairable;
    // What an interrupted installation left is not what is installed: it is
    // judged once that is finished or undone (runInstaller).
    if (!InterruptedInstallationLeft(manifest)) {
        const Result older = RefuseUnattendedDowngrade(manifest, runtime);
        if (older != kResultOk)
            return older;
    }
    // An installation for the current user alone needs no rights: the setup
    // installs it itself, and nothing asks for elevation. Where the user
    // chooses, the wizard runs here first, and rights are asked for only
    // once "for all users" is installed (InstallerWindow hands it over).
    // A repair keeps the installed scope: nobody chooses it.
    manifest.scopeChoiceOffered =
        !manifest.repairing && ScopeChoiceOffered(manifest, runtime.commandLine(), runtime.quiet());
    // A quiet setup that has the rights already (an elevated console, a
    // deployment tool running as the system) installs itself: a second copy
    // would gain it nothing and cost it a process.
    const bool elevatedCopyNeeded = !(runtime.quiet() && IsProcessElevated());
    const bool launcher = OperatingSystemLevel() >= kWindowsVista &&
                          manifest.scope == InstallScope::Machine && !manifest.scopeChoiceOffered &&
                          !runtime.commandLine().hasSwitch(u"LaunchedAsAdministrator") &&
                          elevatedCopyNeeded;
    return launcher ? runLauncher() : runInstaller();
}

bool HoldApplicationMutex(const InstallManifest& manifest) {
    if (gApplicationMutex.isValid())
        return true;
    (void)gApplicationMutex.create(SingleInstanceName(manifest.uuid).data());
    if (!gApplicationMutex.alreadyExisted())
        return true;
    gApplicationMutex.close();
    return false;
}

void ReleaseApplicationMutex() {
    gApplicationMutex.close();
}

Result AfterElevatedCopy(Result child) {
    Log(LogEvent::Elevation, u"the elevated copy ended with {0}", {int32_t(child)});
    // The elevated copy may have changed the remembered folder and group.
    InstallManifest& manifest = InstallManifest::Instance();
    manifest.readPreviousChoices();
    if (child == Result(kExitInstalledStartApplication))
        (void)ShellLaunch(manifest.launchPath(IsWow64()).data(), nullptr, false, u"open");
    // Whoever started the setup learns of a failure from the exit code, after
    // the wizard's failure page as after a quiet installation.
    if (child != kResultOk && child != Result(kExitInstalledStartApplication) &&
        child != Result(kExitInstalledByElevatedCopy))
        return child;
    return kResultOk;
}

Result InstallerModule::runLauncher() {
    AppRuntime& runtime = AppRuntime::instance();
    auto* window = new (std::nothrow) LauncherWindow;
    if (!window)
        return kResultOutOfMemory;
    runtime.setMainWindow(window);
    (void)window->create();

    const String arguments = ChildArguments(runtime.quiet(), runtime.commandLine(),
                                            SetupReport::Instance().handOffToElevatedCopy());
    // The elevated copy shows the wizard the user is waiting for: it may
    // take the foreground from the launcher.
    AllowSetForegroundWindow(ASFW_ANY);
    Log(LogEvent::Elevation, u"starting the elevated copy:" + arguments);
    const Result child = ShellLaunchElevated(ExecutablePath().data(), arguments.data());
    const Result ended = AfterElevatedCopy(child);
    runtime.setMainWindow(nullptr);
    return ended;
}

Result InstallerModule::runInstaller() {
    AppRuntime& runtime = AppRuntime::instance();
    InstallManifest& manifest = InstallManifest::Instance();
    // Held until the process ends: the application must not start meanwhile.
    if (!HoldApplicationMutex(manifest)) {
        Log(LogEvent::Failure, u"the application is running: {0}", {manifest.displayName()});
        if (!IsPassive(runtime.commandLine()))
            ShowMessageBox(u"CloseBeforeUninstall", FormatArgument(manifest.name), nullptr);
        return kResultAlreadyExists;
    }
    const String runningProgram = RunningProgramOfProduct(manifest);
    if (!runningProgram.isEmpty()) {
        Log(LogEvent::Failure, u"the application is running: {0}", {runningProgram});
        ShowMessageBox(u"CloseBeforeUninstall", FormatArgument(runningProgram), nullptr);
        return kResultAlreadyExists;
    }
    // An installation that was interrupted (a kill, a power failure) is
    // undone or finished first, so that the wizard proposes what is there.
    if (RecoverInterruptedInstallations(manifest, runtime.commandLine())) {
        manifest.readInstalledScope();
        manifest.readChoices();
        Result refused = RefuseUnattendedDowngrade(manifest, runtime);
        if (refused == kResultOk)
            refused = RefuseImpossibleRepair(manifest, runtime);
        if (refused != kResultOk)
            return refused;
    }
    std::unique_ptr<MainWindow> window(new (std::nothrow) InstallerWindow(manifest));
    auto* described =
        window ? new (std::nothrow) DescribedMainWindow(u"MainWindow", std::move(window)) : nullptr;
    if (!described)
        return kResultOutOfMemory;
    runtime.setMainWindow(described);
    // A wizard closed before its installation ended has installed nothing:
    // the installation's end sets the code it ends with instead.
    if (!runtime.quiet())
        runtime.setExitCode(int32_t(kResultCancelled));
    if (runtime.quiet()) {
        // Events count only within a session, which the screen view starts.
        (void)SendAnalyticsScreenView(u"Install");
        TransferWorker worker(manifest, ResourceCache::Instance(), nullptr, nullptr);
        // A worker that cannot start has installed nothing: that is no success.
        Result result = worker.start();
        if (result == kResultOk) {
            worker.wait();
            result = worker.result();
        }
        (void)SendAnalyticsEvent(u"Install", OutcomeOf(result).label);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

} // namespace vornsetup
