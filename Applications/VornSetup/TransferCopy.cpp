// The copy step of the installation's worker: every file written beside its
// place out of the payload (or, for a delta setup, out of the installed
// file), in chunks decoded ahead on threads of their own.
#include <memory>

#include "Applications/VornSetup/PayloadReader.h"
#include "Applications/VornSetup/RepairFiles.h"
#include "Applications/VornSetup/TransferWorker.h"
#include "Applications/VornSetup/UpdateBases.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
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

// One reader of the payload per read-ahead lane; none where the payload does
// not hold every file (the resource file system reads them then).
std::vector<std::unique_ptr<PayloadReader>> OpenLanes(const InstallManifest& manifest) {
    std::vector<std::unique_ptr<PayloadReader>> readers;
    for (uint32_t lane = 0; lane < TransferWorker::kReadAheadLanes; ++lane) {
        std::unique_ptr<PayloadReader> reader(new PayloadReader);
        if (reader->open() != kResultOk || !reader->holdsAll(manifest))
            return {};
        readers.push_back(std::move(reader));
    }
    return readers;
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
        result = advance(entry.size);
        if (result != kResultOk)
            return result;
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
        result = advance(count);
        if (result != kResultOk)
            return result;
    }
    result = FinishFile(destination, entry.date);
    if (result != kResultOk)
        return Failed(u"writing", written, result);
    // Complete: it waits beside its place until every file is there.
    partial.keep();
    entry.copied = true;
    return kResultOk;
}

Result TransferWorker::advance(uint64_t count) {
    done_ += count;
    update(done_);
    if (done_ == count)
        PauseAt(u"DuringCopy"); // after the first chunk
    std::lock_guard<std::mutex> guard(lock_);
    if (state_ == TransferState::CancelRequested) {
        state_ = TransferState::Cancelled;
        return kResultCancelled;
    }
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

void TransferWorker::startProgress(const std::vector<FileEntry*>& written) {
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
    const std::vector<std::unique_ptr<PayloadReader>> readers = OpenLanes(manifest_);
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
    startProgress(written);
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

} // namespace vornsetup
