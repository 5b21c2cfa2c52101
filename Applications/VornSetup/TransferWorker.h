// The installation proper, on a worker thread, as one transaction over what
// is installed (UpdateTransaction holds its steps and how each is undone).
// Every file of the manifest is copied out of the payload in 4 MiB chunks
// (decoded ahead on two more threads), with progress and a time estimate,
// dated, and left beside its place under a partial name. Only then does the
// previous installation go: its program's removal in update mode takes the
// registrations only it knows, its files and shortcuts are renamed aside; the
// new files take their places and the new version is registered (its entry,
// its program's "/Install", its shortcuts). The commit point is the end of
// that registration. Until then a failure or a cancel puts back exactly what
// was there: the previous files with their contents, dates and attributes,
// its entry with its lists, its shortcuts, and, through its program's
// "/Install", its file types, protocols and App Paths. After it, what was put
// aside is deleted.
//
// A setup killed at any moment (or a power failure) leaves either the
// previous version intact and working (before and during the copy, and up to
// the previous version's removal: only partial files are left beside it), or
// a state that the next setup of the product, of either version, recovers
// from its record before it shows anything: back to the previous version
// before the commit point, forward to the new one after it. It then installs
// its own version as usual.
//
// Cancel asks until the commit point: during the copy the worker stops after
// the chunk, after it before the next step; a question still open holds the
// worker before any step after the copy. A cancel before the worker has begun
// changes nothing and closes at once.
//
// For tests, the worker can be held at a named point: with the environment
// variable VORNSETUP_TEST_PAUSE set to "BeforeCopy", "DuringCopy" (after the
// first chunk), "AfterCopy", "PreviousRemoved", "FilesInPlace", "Registered"
// or "Committed", it creates the file named by VORNSETUP_TEST_PAUSE_FILE
// there and waits while that file exists. Without both variables nothing
// waits.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

#include "Applications/VornSetup/InstallManifest.h"
#include "Applications/VornSetup/Prerequisites.h"
#include "Applications/VornSetup/TimeRemainingEstimator.h"
#include "VornLib/app/UpdateTransaction.h"
#include "VornLib/core/platform/WorkerThread.h"

namespace vorn {
class EntryReadAhead;
class FileStream;
class FolderMaker;
} // namespace vorn

namespace vornsetup {

// The test hook above: held at `point` while the named file exists.
void PauseAt(const char16_t* point);

enum class TransferState : uint32_t {
    Idle = 0,
    Running = 1,
    ConfirmingCancel = 2,
    CancelRequested = 3,
    Cancelled = 4,
    Completed = 5,
    Closed = 6,
};

// What the file transfer page shows; its controls implement it.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    virtual void setRange(double total) = 0;
    virtual void setPosition(double done) = 0;
    virtual void setTimeText(const String& text) = 0;
    virtual void setProgressText(const String& text) = 0;
};

class TransferWorker : public vorn::WorkerThread {
public:
    static constexpr uint32_t kChunkSize = 0x400000;
    // Chunk buffers per lane: the one being written and one decoded ahead;
    // with two lanes, three chunks are ready while one is written.
    static constexpr uint32_t kReadAheadDepth = 2;
    // Threads decoding the next files while one is written.
    static constexpr uint32_t kReadAheadLanes = 2;
    // How long the installation waits for the installed program's "/Install"
    // run (it registers the program's file types); a run that takes longer is
    // left to finish on its own and the installation goes on.
    static constexpr uint32_t kHandOffMilliseconds = 60000;

    // `progress` may be null (quiet mode); results are posted to `notify`
    // unless the runtime is quiet.
    TransferWorker(InstallManifest& manifest, vorn::LocalizedElementSource& strings,
                   TransferProgress* progress, HWND notify);
    ~TransferWorker() override;

    TransferState state();
    // The user asked to cancel. `confirm` asks "CancelConfirmation" (true for
    // Yes) with the lock released. True when the page may close now.
    bool requestCancel(bool (*confirm)(void* context), void* context);

    // Tests wait less.
    void setHandOffLimit(uint32_t milliseconds) { handOffLimit_ = milliseconds; }
    const vorn::UpdateTransaction& transaction() const { return transaction_; }

    // Stamps a written file's date and closes it: 0 only when every byte
    // reached the disk.
    static Result FinishFile(vorn::FileStream& destination, vorn::DateTime date);

    // The steps of run, for tests.
    Result checkPaths() const;
    // Writes every file beside its place, under its partial name.
    Result copyFiles();
    // The previous installation goes, the new files take their places.
    Result placeFiles();
    Result registerInstallation();
    // Undoes every step taken.
    void rollBack();

protected:
    Result run() override;

private:
    void update(uint64_t done);
    // The progress at nothing of what `written` holds.
    void startProgress(const std::vector<FileEntry*>& written);
    // Counts `count` bytes written: the progress, the test hook after the
    // first, and the end of the copy when a cancel was asked meanwhile.
    Result advance(uint64_t count);
    Result copyFile(FileEntry& entry, vorn::EntryReadAhead& source, vorn::FolderMaker& folders);
    // Waits for an open cancel question; true when the user asked to cancel.
    bool cancelled();
    Result registerNewVersion();
    // The commit point: Completed, or 8 for a cancel that came first.
    Result commit();

    InstallManifest& manifest_;
    vorn::LocalizedElementSource& strings_;
    TransferProgress* progress_;
    HWND notify_;
    std::mutex lock_;
    // Signalled when a cancel question has been answered.
    std::condition_variable answered_;
    TransferState state_ = TransferState::Idle;
    uint32_t handOffLimit_ = kHandOffMilliseconds;
    vorn::UpdateTransaction transaction_;
    PrerequisiteOutcome prerequisites_;
    uint64_t total_ = 0;
    uint64_t done_ = 0;
    uint64_t lastShown_ = ~uint64_t(0);
    TimeRemainingEstimator estimator_;
    String timeRemainingLabel_;
    String progressionText_;
};

} // namespace vornsetup
