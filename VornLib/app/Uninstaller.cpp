#include "VornLib/app/Uninstaller.h"

#include <memory>
#include <string>

#include "VornLib/core/Win32.h"

#include "VornLib/app/AppModule.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/app/ProductProgram.h"
#include "VornLib/app/ProgramGroup.h"
#include "VornLib/app/ServiceChanges.h"
#include "VornLib/app/SettingChanges.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/ShellRegistration.h"
#include "VornLib/app/StepRuns.h"
#include "VornLib/app/UpdateCheck.h"
#include "VornLib/app/UpdateJournal.h"
#include "VornLib/app/UpdateTransaction.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/platform/ChildProcess.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/core/platform/NamedMutex.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/MessageBox.h"
#include "VornLib/telemetry/Analytics.h"

namespace vorn {
namespace {

constexpr uint32_t kMaxShortcuts = 256;
constexpr char16_t kBatchFolderPrefix[] = u"VornLib-Removal-";
// How long the previous version's "/Install" is waited for when an
// interrupted update is undone, as long as a setup waits.
constexpr uint32_t kRecoveryProgramLimit = 60000;

Result Failed(Result result) {
    (void)SendAnalyticsEvent(u"Uninstall", u"Failure");
    return result;
}

} // namespace

Uninstaller::Uninstaller(const ApplicationDescription& description, const String& executablePath,
                         bool quiet, AppModule* (*createProgramModule)())
    : description_(description), executablePath_(executablePath), quiet_(quiet),
      createProgramModule_(createProgramModule), runningProgram_(executablePath) {
    elevation_.isElevated = IsProcessElevated;
    elevation_.launchElevated = ShellLaunchElevated;
    elevation_.beforeLaunch = FlushPreferences;
}

Result Uninstaller::uninstall(bool update) {
    (void)SendAnalyticsScreenView(update ? u"Update" : u"Uninstall");
    Log(LogEvent::Mode, update ? u"update" : u"uninstall");
    const String title = RemovalTitle(description_);
    // An installation for all users or for this user alone: its entry says;
    // without one, the record of an update interrupted before it wrote its
    // entry. The previous version's removal for an update ("/Update") runs
    // inside that update: its record is not this removal's to take up.
    if (FindUninstallEntry(description_.uuid, executablePath_, &scope_) != kResultOk &&
        (update || FindUpdateJournal(description_.uuid, executablePath_, &scope_) != kResultOk)) {
        (void)show(u"NotInstalled", title);
        return Failed(kResultWrongState);
    }
    // An installation for all users was written with administrator rights;
    // without them every step below would fail unnoticed and the removal
    // would still report success. One for this user alone needs none.
    if (scope_ == InstallScope::Machine && elevation_.isElevated && !elevation_.isElevated() &&
        elevation_.launchElevated)
        return removeInElevatedCopy(update);

    NamedMutex running;
    (void)running.create(SingleInstanceName(description_.uuid).data());
    const String product = ProductExecutablePath(description_, executablePath_);
    Result result = refuseWhileRunning(update, running, product);
    if (result != kResultOk)
        return Failed(result);
    if (!quiet_ && show(u"UninstallConfirmation", title) != kButtonYes) {
        (void)SendAnalyticsEvent(u"Uninstall", u"Canceled");
        return kResultCancelled;
    }

    // Reached without administrator rights only where they cannot be asked for.
    const bool elevated = !elevation_.isElevated || elevation_.isElevated();
    // What the entry lists is what is installed once an interrupted update
    // is finished or undone; an update undone down to nothing leaves no
    // entry, and only the folder it recorded (this program may lie there).
    String recordedFolder;
    const bool recovered = !update && recoverInterruptedUpdate(elevated, &recordedFolder);
    UninstallEntry entry(description_.uuid, scope_);
    String group;
    if ((result = readInstallation(recovered ? &recordedFolder : nullptr, &entry, &group)) !=
        kResultOk) {
        (void)show(u"NotInstalled", title);
        return Failed(result);
    }
    // The services stop first: one that does not leaves everything in place.
    // The declared steps run next, while everything else is still there; an
    // update's new version has its own of both.
    if (!update) {
        const std::vector<String> services = entry.readList(kServicesList);
        if ((result = services.empty() ? kResultOk : ServiceChanges().remove(services)) !=
            kResultOk)
            return Failed(result);
        StepRuns(installFolder_).runAtRemoval(entry.readList(kStepsList));
    }
    removeInstalled(update, entry, group, product);
    const BatchFile batch = update ? BatchFile() : writeBatchFile(elevated);

    running.close();
    Log(LogEvent::Remove, EntryKeyLogName(description_.uuid, scope_));
    (void)entry.remove();
    (void)show(u"UninstallSucceed", title);
    if (!batch.path.isEmpty()) {
        Log(LogEvent::Remove, u"{0}, which deletes {1} once the removal has ended",
            {batch.path, runningProgram_});
        startBatchFile(batch);
    }
    (void)SendAnalyticsEvent(u"Uninstall", u"Success");
    return kResultOk;
}

Result Uninstaller::removeInElevatedCopy(bool update) {
    if (elevation_.beforeLaunch)
        elevation_.beforeLaunch();
    // The elevated copy logs the removal into the same file; the last line
    // stays this process's.
    const String switches = String(quiet_ ? u"/Quiet " : u"") +
                            (update ? u"/Update" : u"/Uninstall") + u" /LaunchedAsAdministrator" +
                            heldFilesSwitches_ + LogSwitch();
    Log(LogEvent::Elevation, u"starting the elevated copy: " + switches);
    const Result elevated = elevation_.launchElevated(executablePath_.data(), switches.data());
    Log(LogEvent::Elevation, u"the elevated copy ended with {0}", {elevated});
    return elevated;
}

Result Uninstaller::refuseWhileRunning(bool update, const NamedMutex& running,
                                       const String& product) {
    if (running.alreadyExisted() && !update) {
        (void)show(u"CloseBeforeUninstall", description_.name);
        return kResultAlreadyExists;
    }
    // A product not built on VornLib holds no mutex: its processes are
    // looked for in the install folder, where this removal program lies.
    const String runningProgram =
        description_.executable.isEmpty() || update
            ? String()
            : RunningProductProgram(
                  description_.name, product, String(), ParentFolder(executablePath_),
                  ServiceProcesses(
                      UninstallEntry(description_.uuid, scope_).readList(kServicesList)));
    if (runningProgram.isEmpty())
        return kResultOk;
    (void)show(u"CloseBeforeUninstall", runningProgram);
    return kResultAlreadyExists;
}

Result Uninstaller::readInstallation(const String* recoveredFolder, UninstallEntry* entry,
                                     String* group) {
    if (!entry->exists() && !recoveredFolder)
        return kResultWrongState;
    if (!entry->exists())
        installFolder_ = *recoveredFolder;
    String folder;
    if (entry->readText(EntryValue::InstallFolder, &folder) == kResultOk && !folder.isEmpty())
        installFolder_ = NormalisedFolder(folder);
    (void)entry->readText(EntryValue::ProgramGroup, group);
    entry->close();
    Log(LogEvent::Scope, InstallScopeName(scope_));
    Log(LogEvent::InstallFolder, installFolder_);
    Log(LogEvent::ProgramGroup, *group);
    return kResultOk;
}

void Uninstaller::removeInstalled(bool update, const UninstallEntry& entry, const String& group,
                                  const String& product) {
    // The update schedule is the framework's; an update keeps it.
    if (!update)
        ForgetUpdateSchedule();
    if (createProgramModule_) {
        const std::unique_ptr<AppModule> module(createProgramModule_());
        if (module)
            module->onUninstall();
    }
    ShellRegistration registration = ShellRegistration::ForProcess();
    registration.setScope(scope_);
    (void)registration.registerShellTypes(false, false);
    ShellRegistration::unregisterAppPath(product.data(), scope_);

    removeShortcuts(entry);
    RemoveProgramGroup(group, scope_);
    removeFiles(entry);
    SettingChanges(scope_).remove(entry.readList(kSettingsList));
}

// The record of the scope this removal removes, taken up as a setup of that
// scope takes it up: all users' with administrator rights, the user's by the
// user's own removal and never by an elevated copy; what the user's record
// names is confined to the user's places (RecordConfinement.h).
bool Uninstaller::recoverInterruptedUpdate(bool elevated, String* recordedFolder) {
    RecoveringProcess process;
    process.elevated = elevated;
    process.elevatedCopy = elevatedCopy_;
    process.usersOwnScope = scope_ == InstallScope::User;
    if (!TakesUpRecord(scope_ == InstallScope::User, process))
        return false;
    UpdateJournal journal(description_.uuid, scope_);
    if (!journal.exists())
        return false;
    *recordedFolder = journal.next().folder;
    return UpdateTransaction::Recover(description_.uuid, scope_, kRecoveryProgramLimit,
                                      &runningProgram_);
}

uint32_t Uninstaller::show(const char16_t* name, const String& argument) const {
    if (quiet_)
        return kMessageBoxFailed;
    ResourceCache& resources = ResourceCache::Instance();
    const XmlNode* described = nullptr;
    if (resources.getLocalizedElement(u"MessageBox", name, &described) == kResultOk) {
        (void)resources.release(described);
        return ShowMessageBox(name, FormatArgument(argument), nullptr);
    }
    for (const RemovalMessage& message : kRemovalMessages) {
        if (String(message.name) != name)
            continue;
        MessageBoxContent content;
        content.icon = String(message.type) == u"Error"     ? MessageIcon::Error
                       : String(message.type) == u"Warning" ? MessageIcon::Warning
                                                            : MessageIcon::Information;
        content.title = description_.name + u" - Uninstall";
        const String text = Format(message.text, {argument});
        const int32_t split = text.find(u'\u00A4');
        content.header = split < 0 ? text : text.left(uint32_t(split));
        content.body = split < 0 ? String() : text.mid(uint32_t(split) + 1);
        const uint32_t buttons[] = {message.question ? kButtonYes : kButtonOK, kButtonNo};
        const char16_t* const captions[] = {message.question ? u"Yes" : u"OK", u"No"};
        for (uint32_t i = 0; i < (message.question ? 2u : 1u); ++i) {
            content.present[buttons[i]] = true;
            content.captions[buttons[i]] = captions[i];
        }
        return ShowMessageBoxContent(content, nullptr);
    }
    return kMessageBoxFailed;
}

void Uninstaller::removeShortcuts(const UninstallEntry& entry) {
    for (const String& shortcut : entry.readList(kShortcutsList, kMaxShortcuts)) {
        Log(LogEvent::Remove, shortcut);
        (void)DeleteFileEvenIfReadOnly(shortcut);
    }
}

void Uninstaller::removeFiles(const UninstallEntry& entry) {
    if (installFolder_.isEmpty())
        return;
    const std::vector<String> files = entry.readList(kFilesList);
    std::vector<String> paths;
    std::vector<String> held;
    for (const String& relative : files) {
        // The list comes from the registry: nothing outside the folder is
        // touched, nothing through a link.
        if (IsRelativeInside(relative) && !PassesThroughLink(installFolder_, relative)) {
            paths.push_back(JoinPath(installFolder_, relative));
            if (IsHeldByAnotherProgram(paths.back()))
                held.push_back(paths.back());
        }
    }
    // Asked to close, the programs let go of what they can; what they still
    // hold goes at the next restart. Not asked, they keep it, as before.
    if (!held.empty() && heldFiles_ == HeldFilesChoice::Close)
        held = CloseProgramsHolding(held, installFolder_);
    for (const String& path : paths) {
        Log(LogEvent::Remove, path);
        if (DeleteFileEvenIfReadOnly(path) == kResultOk || heldFiles_ != HeldFilesChoice::Close ||
            !IsHeldByAnotherProgram(path))
            continue;
        const Result registered = DeleteAtRestart(path);
        restartNeeded_ = restartNeeded_ || registered == kResultOk;
        Log(LogEvent::ProgramInTheWay, u"{0} is deleted at the next restart (result {1})",
            {path, registered});
    }
    // Only the folders that held its files: an empty folder of another
    // program's or the user's in the same place is not the installation's.
    Log(LogEvent::Remove, u"{0}, the folders of its files that are empty", {installFolder_});
    RemoveFoldersOfFiles(installFolder_, files);
}

// The batch file runs after this process has ended, with its rights, and the
// command processor reads it line by line as it goes: whoever may write it in
// the meantime chooses what runs. An elevated removal writes it into a folder
// of its own that administrators and the system alone may write (or writes
// none); an unelevated one runs it with the user's own rights, so the user's
// temporary folder serves.
Uninstaller::BatchFile Uninstaller::writeBatchFile(bool elevated) {
    if (installFolder_.isEmpty())
        return BatchFile();
    BatchFile batch;
    if (elevated) {
        if (CreateAdministratorsFolder(SystemTemporaryFolder(), kBatchFolderPrefix,
                                       &batch.folder) != kResultOk)
            return BatchFile();
        batch.path = batch.folder + description_.name + u" Uninstall.cmd";
    } else {
        const String temporary = TemporaryFileName();
        if (temporary.isEmpty())
            return BatchFile();
        DeleteFileW(Wide(temporary.data()));
        batch.path = RemovalBatchName(temporary, description_.name);
        SetFileAttributesW(Wide(batch.path.data()), FILE_ATTRIBUTE_NORMAL);
    }
    FileHandle file(CreateFileW(Wide(batch.path.data()), GENERIC_WRITE, 0, nullptr,
                                elevated ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    // Plain ASCII: the paths reach it through its environment (startBatchFile).
    const String text = RemovalBatchText(!batch.folder.isEmpty());
    std::string bytes(text.data(), text.data() + text.length());
    DWORD written = 0;
    if (!file.isValid() ||
        !WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        file.reset();
        DeleteFileW(Wide(batch.path.data()));
        if (!batch.folder.isEmpty())
            RemoveDirectoryW(Wide(batch.folder.data()));
        return BatchFile();
    }
    return batch;
}

// The system folder's command processor, never the shell's association for
// ".cmd", which the user's own classes may change; /D skips the AutoRun
// commands a user may set, /V:OFF keeps a "!" in a name as it is. The paths
// go in the environment block, which carries any name exactly.
void Uninstaller::startBatchFile(const BatchFile& batch) const {
    const String processor = SystemFolderLibraryPath(L"cmd.exe");
    if (processor.isEmpty())
        return;
    std::vector<String> inherited;
    if (wchar_t* const strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1)
            inherited.push_back(String(Units(entry)));
        FreeEnvironmentStringsW(strings);
    }
    std::u16string environment =
        RemovalEnvironmentBlock(inherited, RemovalBatchVariables(installFolder_, runningProgram_,
                                                                 batch.path, batch.folder));
    ProgramStart start;
    start.image = processor;
    start.commandLine = u"\"" + processor + u"\" /D /V:OFF /C \"" + batch.path + u"\"";
    // Started in the system folder, so that it holds neither folder it removes.
    start.folder = processor.left(uint32_t(processor.findLast(u'\\')));
    start.hidden = true;
    start.environment = &environment;
    (void)StartProgram(start);
}

} // namespace vorn
