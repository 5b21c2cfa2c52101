#include "VornLib/app/UpdateTransaction.h"

#include <algorithm>

#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ProgramGroup.h"
#include "VornLib/app/ServiceChanges.h"
#include "VornLib/app/SettingChanges.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/StepRuns.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/core/platform/ProgramsInTheWay.h"
#include "VornLib/core/platform/RunningPrograms.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {

namespace {

String WithoutSeparator(const String& folder) {
    return folder.isEmpty() ? folder : folder.left(folder.length() - 1);
}

// A program of an installation, run as the installer runs it: elevated per
// machine, with the user's own rights per user. Its "/Quiet /Update" is
// waited for (the entry it deletes at its end must be gone before another is
// written), its "/Install" for at most `limit`. How it ended, for the log.
String RunProgram(InstallScope scope, const String& program, const char16_t* switches,
                  uint32_t limit) {
    if (!IsAbsolutePath(program) || !IsExistingFile(program))
        return u"not run: the program is missing";
    KernelHandle process;
    const Result started = ShellLaunchStartIn(scope, program.data(), switches, &process);
    if (started != kResultOk)
        return Format(u"not started (result {0})", {started});
    Result exitCode = kResultOk;
    if (WaitForLaunched(&process, limit, &exitCode) == kResultTimedOut)
        return u"still running: not waited for any longer";
    return Format(u"ended with {0}", {int32_t(exitCode)});
}

} // namespace

UpdateTransaction::UpdateTransaction(const UUID& uuid, InstallScope scope, uint32_t programLimit)
    : journal_(uuid, scope), uuid_(uuid), scope_(scope), programLimit_(programLimit) {}

bool UpdateTransaction::Recover(const UUID& uuid, InstallScope scope, uint32_t programLimit,
                                String* runningProgram) {
    UpdateTransaction transaction(uuid, scope, programLimit);
    transaction.runningProgram_ = runningProgram;
    if (!transaction.journal_.exists())
        return false;
    transaction.step_ = transaction.journal_.step();
    transaction.next_ = transaction.journal_.next();
    transaction.previous_ = transaction.journal_.previous();
    transaction.company_ = transaction.journal_.company();
    // The user's record is the user's to write: acted on only where all it
    // names lies in the user's own places (RecordConfinement.h).
    if (scope == InstallScope::User) {
        const UserPlaces places = CurrentUserPlaces();
        const bool elevated = IsProcessElevated();
        String fault = ConfinementFault(transaction.next_, places, elevated);
        if (fault.isEmpty())
            fault = ConfinementFault(transaction.previous_, places, elevated);
        if (!fault.isEmpty()) {
            Log(LogEvent::Recovery, u"the user's record is refused: it names {0}", {fault});
            (void)transaction.journal_.remove();
            return false;
        }
    }
    Log(LogEvent::Recovery,
        u"{0} installation interrupted at step {1}: {2}; its {3} files in \"{4}\", the previous "
        u"installation {5}",
        {InstallScopeName(scope), uint32_t(transaction.step_),
         transaction.step_ == UpdateStep::Committed ? u"finished" : u"undone",
         uint32_t(transaction.next_.files.size()), transaction.next_.folder,
         transaction.journal_.hasPrevious()
             ? Format(u"in \"{0}\" kept", {transaction.previous_.folder})
             : String(u"none")});
    transaction.rollBack();
    return true;
}

void UpdateTransaction::record(UpdateStep step) {
    step_ = step;
    // The step in memory is what this run undoes; the record serves a later
    // run, and one that cannot be written only costs that.
    (void)journal_.setStep(step);
}

Result UpdateTransaction::start(const InstallationPlan& plan) {
    next_ = plan.product;
    next_.folder = NormalisedFolder(plan.product.folder);
    next_.shortcuts.clear();
    // What is in the way is known before anything changes.
    previous_ = InstalledProductOf(PlacesOf(scope_).uninstallRoot, UninstallEntryPath(uuid_));
    company_ = plan.company;
    // Looked up once for every file of the previous installation.
    kept_.clear();
    for (const String& relative : plan.kept)
        kept_.push_back(PathKey(JoinPath(next_.folder, relative)));
    std::sort(kept_.begin(), kept_.end());
    // A folder that is not there yet is written whole under a name of its own
    // and renamed into place in one step: one rename where each file would
    // take one, and nothing to look for in its way. A partial folder left by
    // an earlier run is not written into: its stray files would go into
    // place with the new ones.
    newFolder_ =
        IsAbsolutePath(next_.folder) && !PathExists(next_.folder) && !PathExists(partialFolder());
    // For all users, what the folder holds runs with administrator rights at
    // the next update and removal: a folder that standard users may change is
    // not worked in unless the administrator says so.
    const bool forAllUsers = scope_ == InstallScope::Machine;
    if (forAllUsers && !newFolder_ && PathExists(next_.folder) && !plan.allowUserWritableFolder &&
        StandardUsersMayChange(next_.folder)) {
        Log(LogEvent::InstallFolder, u"refused: standard users may change {0}", {next_.folder});
        return kResultUnprotectedFolder;
    }
    // Without a record, an interrupted installation could not be undone:
    // nothing is begun.
    const Result result = journal_.start(next_, company_);
    step_ = result == kResultOk ? UpdateStep::Copying : UpdateStep::None;
    // The folders it makes for all users are the system's program files' own
    // kind, whatever their parent lets users do.
    if (result == kResultOk && forAllUsers && newFolder_ && !next_.files.empty()) {
        LocalMemory descriptor;
        SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
        if (ProgramFolderSecurity(&descriptor) == kResultOk)
            security.lpSecurityDescriptor = descriptor.get();
        (void)CreateFolderTree(partialFolder(), &security);
    }
    return result;
}

String UpdateTransaction::partialFolder() const {
    return WithoutSeparator(next_.folder) + PartialFile::kSuffix + u'\\';
}

String UpdateTransaction::copyPath(const String& relative) const {
    return newFolder_ ? JoinPath(partialFolder(), relative)
                      : JoinPath(next_.folder, relative) + PartialFile::kSuffix;
}

bool UpdateTransaction::isKept(const String& path) const {
    return std::binary_search(kept_.begin(), kept_.end(), PathKey(path));
}

std::vector<UpdateTransaction::InTheWay> UpdateTransaction::inTheWay() const {
    std::vector<InTheWay> paths;
    if (IsAbsolutePath(previous_.folder)) {
        for (const String& relative : previous_.files) {
            // The list comes from the registry: nothing outside the folder,
            // nothing through a link.
            const String path = JoinPath(previous_.folder, relative);
            if (IsRelativeInside(relative) && !PassesThroughLink(previous_.folder, relative) &&
                !isKept(path))
                paths.push_back({path, false});
        }
    }
    if (IsAbsolutePath(previous_.program) && !isKept(previous_.program))
        paths.push_back({previous_.program, false});
    if (!newFolder_) {
        for (const String& relative : next_.files)
            paths.push_back({JoinPath(next_.folder, relative), true});
    }
    for (const String& shortcut : previous_.shortcuts) {
        if (IsAbsolutePath(shortcut))
            paths.push_back({shortcut, false});
    }
    return paths;
}

Result UpdateTransaction::removePrevious() {
    // Nothing is taken away before the entry is kept whole.
    const Result kept = journal_.keepPrevious();
    if (kept != kResultOk)
        return kept;
    previous_ = journal_.previous();
    record(UpdateStep::RemovingPrevious);
    if (!journal_.hasPrevious()) {
        Log(LogEvent::Previous, u"none");
        return kResultOk;
    }
    {
        // Its files and shortcuts are this transaction's to move aside and,
        // once the new version is installed, to delete.
        UninstallEntry live(uuid_, scope_);
        String version;
        (void)live.readText(EntryValue::DisplayVersion, &version);
        Log(LogEvent::Previous, u"version {0} in \"{1}\", replaced by this installation",
            {version.isEmpty() ? String(u"unknown") : version, previous_.folder});
        (void)live.key().deleteSubkeyTree(kFilesList);
        (void)live.key().deleteSubkeyTree(kShortcutsList);
        (void)live.key().deleteSubkeyTree(kSettingsList);
        (void)live.key().deleteSubkeyTree(kStepsList);
        (void)live.key().deleteSubkeyTree(kServicesList);
        (void)live.key().deleteSubkeyTree(kStepsRunList);
        (void)live.key().deleteSubkeyTree(kPrerequisitesList);
    }
    // Its removal logs into this installation's log.
    const String switches = u"/Quiet /Update" + LogSwitch();
    Log(LogEvent::Previous, u"\"{0}\" {1}", {previous_.program, switches});
    const String ended = RunProgram(scope_, previous_.program, switches.data(), INFINITE);
    Log(LogEvent::Previous, u"the previous installation's removal {0}", {ended});
    // An entry whose program could not run (or is gone) goes all the same:
    // the new one is written from nothing.
    (void)UninstallEntry(uuid_, scope_).remove();
    return kResultOk;
}

Result UpdateTransaction::moveAside() {
    record(UpdateStep::MovingAside);
    for (const InTheWay& item : inTheWay()) {
        if (!IsExistingFile(item.path) || isHeldAtRestart(item.path))
            continue;
        const Result result = MoveFileWithinVolume(item.path, item.path + kAsideSuffix, true);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

Result UpdateTransaction::putInPlace() {
    if (newFolder_) {
        // A folder made meanwhile may hold a file where a new one goes: it
        // is nobody's to replace, nor (in a roll-back of this step) to
        // delete. Then the step is not begun.
        if (PathExists(next_.folder)) {
            for (const String& relative : next_.files) {
                if (PathExists(JoinPath(next_.folder, relative)))
                    return kResultAlreadyExists;
            }
        }
        record(UpdateStep::PuttingInPlace);
        return putFolderInPlace();
    }
    record(UpdateStep::PuttingInPlace);
    for (const String& relative : next_.files) {
        const String destination = JoinPath(next_.folder, relative);
        if (isHeldAtRestart(destination))
            continue;
        const Result result =
            MoveFileWithinVolume(destination + PartialFile::kSuffix, destination, false);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

// Should the one rename fail (the folder was made meanwhile, or a program
// holds one of its files), each file is moved on its own.
Result UpdateTransaction::putFolderInPlace() {
    const String partial = partialFolder();
    if (MoveFileWithinVolume(WithoutSeparator(partial), WithoutSeparator(next_.folder), false) ==
        kResultOk)
        return kResultOk;
    FolderMaker folders;
    for (const String& relative : next_.files) {
        const String destination = JoinPath(next_.folder, relative);
        (void)folders.make(ParentFolder(destination));
        const Result result = MoveFileWithinVolume(JoinPath(partial, relative), destination, false);
        if (result != kResultOk)
            return result;
    }
    (void)RemoveEmptyFolderTree(WithoutSeparator(partial));
    return kResultOk;
}

Result UpdateTransaction::beginRegistration(const std::vector<String>& shortcuts) {
    next_.shortcuts = shortcuts;
    // Recorded before any is made: an interrupted registration leaves none
    // that a later run does not know of.
    const Result result = journal_.recordShortcuts(shortcuts);
    record(UpdateStep::Registering);
    return result;
}

Result UpdateTransaction::commit() {
    // A commit that cannot be recorded would be undone by a later run after
    // an interruption: this one undoes it now instead.
    const Result result = journal_.setStep(UpdateStep::Committed);
    if (result == kResultOk)
        step_ = UpdateStep::Committed;
    return result;
}

void UpdateTransaction::cleanUp() {
    for (const InTheWay& item : inTheWay()) {
        // A program that still runs from its previous file (the update
        // program waiting for this setup) keeps it: it goes at the restart,
        // which nothing needs sooner.
        const String aside = item.path + kAsideSuffix;
        if (DeleteFileEvenIfReadOnly(aside) != kResultOk && IsExistingFile(aside))
            Log(LogEvent::ProgramInTheWay, u"{0} is deleted at the next restart (result {1})",
                {aside, DeleteAtRestart(aside)});
    }
    registerRestartChanges();
    // Folders that only the previous version used, and its program group when
    // this installation has another.
    if (IsAbsolutePath(previous_.folder))
        RemoveFoldersOfFiles(previous_.folder, previous_.files);
    if (!previous_.programGroup.isEmpty() && previous_.programGroup != next_.programGroup)
        RemoveProgramGroup(previous_.programGroup, scope_);
    (void)journal_.remove();
    step_ = UpdateStep::None;
}

void UpdateTransaction::undoRegistration() {
    // The new program takes away what its "/Install" registered, as its
    // removal does; it finds its entry by the product, without lists (the
    // files and shortcuts are this transaction's).
    (void)UninstallEntry(uuid_, scope_).remove();
    {
        UninstallEntry entry(uuid_, scope_);
        (void)entry.writeText(EntryValue::InstallFolder, next_.folder);
        (void)entry.writeText(EntryValue::UninstallProgram, next_.program);
    }
    RunProgram(scope_, next_.program, u"/Quiet /Update", INFINITE);
    (void)UninstallEntry(uuid_, scope_).remove();
    for (const String& shortcut : next_.shortcuts)
        (void)DeleteFileEvenIfReadOnly(shortcut);
    if (!next_.programGroup.isEmpty())
        RemoveProgramGroup(next_.programGroup, scope_);
}

void UpdateTransaction::removeNewFiles() {
    const String& folder = next_.folder;
    if (!IsAbsolutePath(folder))
        return;
    for (const String& relative : next_.files)
        DeleteFileW(Wide((LongPath(JoinPath(folder, relative)) + PartialFile::kSuffix).data()));
    // Folders made for nested files go when nothing else is in them.
    RemoveFoldersOfFiles(folder, next_.files);
    // What a new folder's copy wrote, wherever it had got to.
    const String partial = partialFolder();
    if (PathExists(partial)) {
        for (const String& relative : next_.files)
            DeleteFileW(Wide(LongPath(JoinPath(partial, relative)).data()));
        (void)RemoveEmptyFolderTree(WithoutSeparator(partial));
    }
    // A folder made for the company goes too when nothing else is in it.
    const int32_t company = company_.isEmpty() ? -1 : folder.find(company_.data());
    if (company >= 0)
        RemoveEmptyFolder(folder.left(uint32_t(company) + company_.length() + 1));
}

void UpdateTransaction::moveRunningProgramFrom(const String& path) {
    if (!runningProgram_ || !SamePath(path, *runningProgram_) || !IsExistingFile(path))
        return;
    const String aside = path + kRunningSuffix;
    if (MoveFileWithinVolume(path, aside, true) != kResultOk)
        return;
    Log(LogEvent::Recovery, u"{0} runs: renamed to {1}, which the removal deletes", {path, aside});
    *runningProgram_ = aside;
}

// Each level undoes its step and records the one below, so that an
// interruption of the undoing itself is taken up where it stopped.
void UpdateTransaction::rollBack() {
    UpdateStep step = step_;
    if (step == UpdateStep::Committed) {
        cleanUp();
        return;
    }
    if (step >= UpdateStep::Registering) {
        // The steps ran last, while everything else was in place.
        StepRuns(next_.folder).undo(journal_.changes(JournalList::Steps));
        if (!journal_.changes(JournalList::Services).empty())
            ServiceChanges().undo(journal_.changes(JournalList::Services), false);
        undoRegistration();
        SettingChanges(scope_).undo(journal_.changes(JournalList::Settings));
        step = UpdateStep::PuttingInPlace;
        record(step);
    }
    if (step >= UpdateStep::PuttingInPlace) {
        // Everything that was in the way is aside: what stands at a new
        // file's place is new, unless its new file is still beside it (a
        // file held until the next restart, or one not put in place yet).
        for (const String& relative : next_.files) {
            if (PassesThroughLink(next_.folder, relative) ||
                IsExistingFile(JoinPath(next_.folder, relative) + PartialFile::kSuffix))
                continue;
            moveRunningProgramFrom(JoinPath(next_.folder, relative));
            (void)DeleteFileEvenIfReadOnly(JoinPath(next_.folder, relative));
        }
        step = UpdateStep::MovingAside;
        record(step);
    }
    if (step >= UpdateStep::MovingAside) {
        for (const InTheWay& item : inTheWay()) {
            if (!IsExistingFile(item.path + kAsideSuffix))
                continue;
            moveRunningProgramFrom(item.path);
            (void)MoveFileWithinVolume(item.path + kAsideSuffix, item.path, true);
        }
        step = UpdateStep::RemovingPrevious;
        record(step);
    }
    if (step >= UpdateStep::RemovingPrevious) {
        if (journal_.hasPrevious()) {
            (void)journal_.restorePrevious();
            // Its program registers again what its removal took away.
            const String ended = RunProgram(scope_, previous_.program, u"/Install", programLimit_);
            Log(LogEvent::Recovery, u"the previous installation is back: \"{0}\" /Install {1}",
                {previous_.program, ended});
        }
        step = UpdateStep::Copying;
        record(step);
    }
    if (step >= UpdateStep::Copying)
        removeNewFiles();
    // The previous version's services run again once its files are back.
    if (!journal_.changes(JournalList::Services).empty())
        ServiceChanges().undo(journal_.changes(JournalList::Services), true);
    (void)journal_.remove();
    step_ = UpdateStep::None;
}

} // namespace vorn
