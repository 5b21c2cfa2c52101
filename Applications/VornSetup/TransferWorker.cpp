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
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EmbeddedBigFile.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/EntryReadAhead.h"
#include "VornLib/data/FileStream.h"
#include "VornLib/data/ResourceFileSystem.h"

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

// The running executable's payload, mounted for one lane of the read-ahead.
struct PayloadReader {
    EmbeddedBigFile payload;
    ArchiveMount mount;

    Result open() {
        const Result result = payload.open();
        return result == kResultOk ? mount.open(&payload) : result;
    }
    bool holdsAll(const InstallManifest& manifest) const {
        for (const FileEntry& entry : manifest.files) {
            if (entry.base.source != FileSource::Installed &&
                !mount.contains((manifest.sourceRoot + entry.relativePath).data()))
                return false;
        }
        return true;
    }
};

// The payload is part of the running executable: an entry whose bytes do not
// read back (a checksum that does not match, a stream that does not decode,
// a mapping that cannot be paged in) means the setup file itself is damaged,
// and the user's remedy is a fresh download. An entry that is missing, and
// memory that runs out, keep their own codes.
Result AsPayloadFailure(Result result) {
    switch (result) {
    case kResultNotFound:
    case kResultOutOfMemory:
    case kResultCancelled:
        return result;
    default:
        return kResultCrcError;
    }
}

// The test hook of the header: held while the named file exists.
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

} // namespace

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

namespace {

// A step's failure on `path`, logged with the platform's reason: called
// right after the failing call, before anything else can change that reason.
Result Failed(const char16_t* step, const String& path, Result result) {
    const DWORD error = GetLastError();
    if (error)
        LogFailure(step, path, error);
    else
        Log(LogEvent::Failure, u"{0} \"{1}\": result {2}", {step, path, result});
    return result;
}

// A delta setup's patch, whole: it is applied once the base is open.
Result ReadPatch(EntryReadAhead& source, uint64_t size, std::vector<uint8_t>* patch) {
    patch->reserve(size_t(size));
    while (patch->size() < size) {
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        const Result result = source.nextChunk(&chunk, &count);
        if (result != kResultOk)
            return AsPayloadFailure(result);
        patch->insert(patch->end(), chunk, chunk + count);
    }
    return kResultOk;
}

} // namespace

Result TransferWorker::copyFile(FileEntry& entry, EntryReadAhead& source, FolderMaker& folders) {
    // A file a delta setup takes as installed has no entry of its own.
    uint64_t remaining = 0;
    std::vector<uint8_t> patch;
    Result result = kResultOk;
    if (entry.base.source != FileSource::Installed)
        result = source.nextEntry(&remaining);
    if (result == kResultOk && entry.base.source == FileSource::Patch) {
        result = ReadPatch(source, remaining, &patch);
        remaining = 0;
    }
    if (result != kResultOk)
        return AsPayloadFailure(result);
    Log(LogEvent::File, u"{0} ({1} bytes)", {entry.relativePath, entry.size});
    const String written = transaction_.copyPath(entry.relativePath);
    // Nested files may lie beyond the platform's 260-character limit.
    PartialFile partial(LongPath(JoinPath(manifest_.installFolder, entry.relativePath)),
                        LongPath(written));
    // Its folder is made first, once for all its files; a folder that cannot
    // be made that way is left to the create below and its fallback.
    (void)folders.make(ParentFolder(written));
    FileStream destination;
    result = destination.openWrite(partial.path().data());
    if (result == kResultBadPath) {
        // When the folder cannot be made, its reason is the one to report.
        result = CreateFolderTree(ParentFolder(written));
        if (result == kResultOk)
            result = destination.openWrite(partial.path().data());
    }
    if (result != kResultOk)
        return Failed(u"creating", written, result);
    if (entry.base.source != FileSource::Payload) {
        result = WriteFromBase(manifest_, entry, patch, destination);
        if (result != kResultOk)
            return result == Result(kExitUpdateDoesNotApply) ? result
                                                             : Failed(u"writing", written, result);
        done_ += entry.size;
        update(done_);
    }
    while (remaining) {
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        result = source.nextChunk(&chunk, &count);
        if (result != kResultOk)
            return AsPayloadFailure(result);
        result = destination.write(chunk, count);
        if (result != kResultOk)
            return Failed(u"writing", written, result);
        remaining -= count;
        done_ += count;
        update(done_);
        if (done_ == count)
            PauseAt(u"DuringCopy"); // after the first chunk
        std::lock_guard<std::mutex> guard(lock_);
        if (state_ == TransferState::CancelRequested) {
            state_ = TransferState::Cancelled;
            return kResultCancelled;
        }
    }
    result = FinishFile(destination, entry.date);
    if (result != kResultOk)
        return Failed(u"writing", written, result);
    // Complete: it waits beside its place until every file is there.
    partial.keep();
    entry.copied = true;
    return kResultOk;
}

Result TransferWorker::FinishFile(FileStream& destination, DateTime date) {
    // A small file's last bytes reach the disk only now: a full disk shows
    // here, and nothing after it (the date, the close) says it again. The
    // date comes after the last byte, which would change it.
    const Result flushed = destination.flush(false);
    (void)destination.setLastWriteTime(date);
    const Result closed = destination.close();
    return flushed != kResultOk ? flushed : closed;
}

Result TransferWorker::copyFiles() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (state_ != TransferState::Idle)
            return kResultCancelled;
        state_ = TransferState::Running;
    }
    Result result = transaction_.start(manifest_.installationPlan(IsWow64()));
    if (result != kResultOk)
        return result;
    PauseAt(u"BeforeCopy");
    if (cancelled())
        return kResultCancelled;
    // The payload is decoded a few chunks ahead on threads of their own, so
    // that decoding overlaps with writing; the files are still written one
    // after the other, in manifest order. Each lane reads the mapped payload
    // through a mount of its own (a container serves one entry at a time);
    // where the payload does not hold every file, one lane reads through the
    // resource file system.
    std::vector<std::unique_ptr<PayloadReader>> readers;
    for (uint32_t lane = 0; lane < kReadAheadLanes; ++lane) {
        std::unique_ptr<PayloadReader> reader(new PayloadReader);
        if (reader->open() != kResultOk || !reader->holdsAll(manifest_)) {
            readers.clear();
            break;
        }
        readers.push_back(std::move(reader));
    }
    EntryReadAhead source(kChunkSize, kReadAheadDepth,
                          readers.empty() ? 1 : uint32_t(readers.size()));
    // A repair writes only the files that differ from the payload's.
    // A delta setup reads from its payload only what it carries.
    std::vector<FileEntry*> written;
    std::vector<FileEntry*> carried;
    for (FileEntry& entry : manifest_.files) {
        if (!entry.kept)
            written.push_back(&entry);
        if (!entry.kept && entry.base.source != FileSource::Installed)
            carried.push_back(&entry);
    }
    auto nameOf = [this, &carried](uint32_t index) {
        return manifest_.sourceRoot + carried[index]->relativePath;
    };
    const Result started = source.start(
        uint32_t(carried.size()),
        [&readers, &nameOf](uint32_t index, uint32_t lane, std::unique_ptr<Stream>* out) {
            std::unique_ptr<EntryHandle> entry;
            const Result result =
                readers.empty()
                    ? ResourceFileSystem::Instance().open(nameOf(index).data(), &entry)
                    : EntryHandle::open(&readers[lane]->mount, nameOf(index).data(), &entry);
            *out = std::move(entry);
            return result;
        },
        // The files of one solid group are decoded together on one lane.
        [&readers, &nameOf](uint32_t index) {
            uint64_t unit = index;
            if (!readers.empty())
                (void)readers[0]->mount.unitOf(nameOf(index).data(), &unit);
            return unit;
        },
        // A lane whose chunks wait for the writer decodes further into its
        // group meanwhile, so that the group is ready when its turn comes.
        [&readers](uint32_t lane) {
            return !readers.empty() && readers[lane]->mount.decodeAhead();
        });
    if (started != kResultOk)
        return started;
    total_ = 0;
    for (const FileEntry* entry : written)
        total_ += entry->size;
    done_ = 0;
    lastShown_ = ~uint64_t(0);
    estimator_.reset(total_, MonotonicSeconds());
    if (progress_) {
        progress_->setRange(double(total_));
        progress_->setPosition(0);
    }
    FolderMaker folders;
    for (FileEntry* entry : written) {
        result = copyFile(*entry, source, folders);
        if (result != kResultOk)
            return result;
    }
    if (manifest_.keepsSetup && !manifest_.setupCopyKept) {
        result = CopyRunningSetup(transaction_.copyPath(InstallManifest::kKeptSetup));
        if (result != kResultOk)
            return result;
    }
    // The last chunk may be written while the user reads the cancel question:
    // the answer decides.
    return cancelled() ? kResultCancelled : kResultOk;
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
    Result result =
        transaction_.checkInTheWay(HeldFilesChoiceOf(runtime.commandLine(), unattended));
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
    LogInstallationChoices(manifest_);
    Result result = checkPaths();
    const String running = result == kResultOk ? RunningProgramOfProduct(manifest_) : String();
    if (!running.isEmpty()) {
        Log(LogEvent::Failure, u"the application is running: {0}", {running});
        result = kResultAlreadyExists;
    }
    if (result == kResultOk)
        result = ChooseFilesToWrite(manifest_);
    if (result == kResultOk)
        result = CheckUpdateBases(manifest_);
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
        runtime.setExitCode(FinishWithRestart(runtime.commandLine(),
                                              elevatedCopy ? kExitInstalledByElevatedCopy : 0,
                                              transaction_.restartNeeded()));
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
