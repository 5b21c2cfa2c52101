#include "Applications/VornSetup/TransferWorker.h"

#include <memory>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/InstallerMessages.h"
#include "Applications/VornSetup/InstallerModule.h"
#include "Applications/VornSetup/Registration.h"
#include "Applications/VornSetup/RunningProduct.h"
#include "Applications/VornSetup/SetupReport.h"
#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/UninstallEntry.h"
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
            if (!mount.contains((manifest.sourceRoot + entry.relativePath).data()))
                return false;
        }
        return true;
    }
};

bool HasDatExtension(const String& path) {
    const String name = FileNameOf(path);
    return name.length() > 4 && name.mid(name.length() - 4) == u".dat";
}

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

} // namespace

TransferWorker::TransferWorker(InstallManifest& manifest, LocalizedElementSource& strings,
                               TransferProgress* progress, HWND notify)
    : manifest_(manifest), strings_(strings), progress_(progress), notify_(notify),
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

// The previous installation's own uninstaller removes it (in update mode, so
// it keeps what this installation replaces). Only what that installation
// listed is deleted afterwards: its folder may hold the user's own files.
Result TransferWorker::removePreviousInstallation() {
    UninstallEntry entry(manifest_.uuid);
    String program;
    if (entry.key().readText(kUninstallProgramValue, &program) != kResultOk || program.isEmpty()) {
        Log(LogEvent::Previous, u"none");
        return kResultOk;
    }
    String oldFolder;
    (void)entry.key().readText(kInstallFolderValue, &oldFolder);
    std::vector<String> listed;
    for (const String& relative : entry.readList(kFilesList))
        listed.push_back(JoinPath(oldFolder, relative));
    entry.close();

    Log(LogEvent::Previous, u"\"{0}\" /Quiet /Update", {program});
    const Result removed =
        ShellLaunchElevated(program.data(), (u"/Quiet /Update" + LogSwitch()).data());
    Log(LogEvent::Previous, u"the previous installation's removal ended with {0}", {removed});
    DeleteFileW(Wide(LongPath(program).data()));
    const String programFolder = ParentFolder(program);
    for (const String& path : listed) {
        if (HasDatExtension(path) && SamePath(ParentFolder(path), programFolder))
            DeleteFileW(Wide(LongPath(path).data()));
    }
    if (!SamePath(programFolder, NormalisedFolder(manifest_.installFolder)))
        (void)RemoveEmptyFolderTree(programFolder);
    return kResultOk;
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

Result TransferWorker::copyFile(FileEntry& entry, EntryReadAhead& source, FolderMaker& folders) {
    uint64_t remaining = 0;
    Result result = source.nextEntry(&remaining);
    if (result != kResultOk)
        return AsPayloadFailure(result);
    Log(LogEvent::File, u"{0} ({1} bytes)", {entry.relativePath, entry.size});
    const String destinationPath = JoinPath(manifest_.installFolder, entry.relativePath);
    // Nested files may lie beyond the platform's 260-character limit.
    PartialFile partial(LongPath(destinationPath));
    // Its folder is made first, once for all its files; a folder that cannot
    // be made that way is left to the create below and its fallback.
    (void)folders.make(ParentFolder(destinationPath));
    FileStream destination;
    result = destination.openWrite(partial.path().data());
    if (result == kResultBadPath) {
        // When the folder cannot be made, its reason is the one to report.
        result = CreateFolderTree(ParentFolder(destinationPath));
        if (result == kResultOk)
            result = destination.openWrite(partial.path().data());
    }
    if (result != kResultOk)
        return result;
    while (remaining) {
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        result = source.nextChunk(&chunk, &count);
        if (result != kResultOk)
            return AsPayloadFailure(result);
        result = destination.write(chunk, count);
        if (result != kResultOk)
            return result;
        remaining -= count;
        done_ += count;
        update(done_);
        std::lock_guard<std::mutex> guard(lock_);
        if (state_ == TransferState::CancelRequested) {
            state_ = TransferState::Cancelled;
            return kResultCancelled;
        }
    }
    result = FinishFile(destination, entry.date);
    if (result == kResultOk)
        result = partial.putInPlace();
    if (result != kResultOk)
        return result;
    // Marked once the file is in place: roll-back deletes what this
    // installation put there, never a file it failed to replace.
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
    auto nameOf = [this](uint32_t index) {
        return manifest_.sourceRoot + manifest_.files[index].relativePath;
    };
    const Result started = source.start(
        uint32_t(manifest_.files.size()),
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
        });
    if (started != kResultOk)
        return started;
    total_ = manifest_.totalSize;
    done_ = 0;
    lastShown_ = ~uint64_t(0);
    estimator_.reset(total_, MonotonicSeconds());
    if (progress_) {
        progress_->setRange(double(total_));
        progress_->setPosition(0);
    }
    FolderMaker folders;
    for (FileEntry& entry : manifest_.files) {
        const Result result = copyFile(entry, source, folders);
        if (result != kResultOk) {
            stoppedAt_ = &entry;
            return result;
        }
    }
    // The last chunk may be written while the user reads the cancel question:
    // the answer decides.
    std::unique_lock<std::mutex> guard(lock_);
    answered_.wait(guard, [this] { return state_ != TransferState::ConfirmingCancel; });
    const bool completed = state_ == TransferState::Running;
    state_ = completed ? TransferState::Completed : TransferState::Cancelled;
    return completed ? kResultOk : kResultCancelled;
}

void TransferWorker::rollBack() {
    Log(LogEvent::RollBack, u"deleting the files this installation wrote");
    const String installFolder = NormalisedFolder(manifest_.installFolder);
    for (const FileEntry& entry : manifest_.files) {
        // The file the copy stopped at was never put in place, but folders may
        // have been made for it.
        if (!entry.copied && &entry != stoppedAt_)
            continue;
        const String path = JoinPath(installFolder, entry.relativePath);
        if (entry.copied)
            DeleteFileW(Wide(LongPath(path).data()));
        // Folders made for nested files go when nothing else is in them.
        for (String folder = ParentFolder(path);
             folder.length() > installFolder.length() && RemoveEmptyFolder(folder);
             folder = ParentFolder(folder.left(folder.length() - 1))) {
        }
    }
    RemoveEmptyFolder(installFolder);
    const int32_t company =
        manifest_.company.isEmpty() ? -1 : installFolder.find(manifest_.company.data());
    if (company >= 0) {
        const uint32_t end = uint32_t(company) + manifest_.company.length() + 1;
        RemoveEmptyFolder(installFolder.left(end));
    }
}

// Programs start, and shortcuts point, only by paths shorter than the
// platform's 260 characters (the files themselves may lie deeper, written
// through "\\?\"): an installation whose programs or shortcut targets would
// not fit is refused before anything is touched, with the code of the
// platform's own "file name too long".
Result TransferWorker::checkPaths() const {
    // A folder the options page would refuse (relative, "C:", a trailing
    // separator) is refused here too, whoever named it.
    if (!IsValidInstallFolder(manifest_.installFolder))
        return kResultBadPath;
    std::vector<String> paths = {manifest_.executablePath(), manifest_.executableX64Path()};
    for (const ShortcutEntry& shortcut : manifest_.shortcuts)
        paths.push_back(JoinPath(manifest_.installFolder, shortcut.target));
    for (const String& path : paths) {
        if (path.length() >= MAX_PATH)
            return kResultBadPath;
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

Result TransferWorker::run() {
    // A refused installation leaves the previous one as it is; so does one
    // whose product was started while the wizard was open.
    LogInstallationChoices(manifest_);
    Result result = checkPaths();
    if (result == kResultOk && !RunningProgramOfProduct(manifest_).isEmpty())
        result = kResultAlreadyExists;
    if (result == kResultOk) {
        (void)removePreviousInstallation();
        result = copyFiles();
        if (result != kResultOk) {
            rollBack();
        } else {
            result = registerInstallation();
            if (result == kResultOk)
                AppRuntime::instance().setExitCode(int32_t(kExitInstalled));
        }
    }
    std::lock_guard<std::mutex> guard(lock_);
    if (!AppRuntime::instance().quiet() && notify_) {
        PostMessageW(notify_, kInstallerMessage, OutcomeOf(result).command, LPARAM(result));
    }
    state_ = TransferState::Closed;
    return result;
}

} // namespace vornsetup
