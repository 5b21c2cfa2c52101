// The installation proper, on a worker thread: remove a previous installation,
// copy every file of the manifest out of the payload in 4 MiB chunks (decoded
// ahead on two more threads) with progress and a time estimate, stamp the
// dates, register the installation. A failed or cancelled copy deletes what
// it wrote.
#pragma once

#include <condition_variable>
#include <mutex>

#include "Applications/VornSetup/InstallManifest.h"
#include "Applications/VornSetup/TimeRemainingEstimator.h"
#include "VornLib/core/platform/WorkerThread.h"

namespace vorn {
class EntryReadAhead;
class FileStream;
class FolderMaker;
} // namespace vorn

namespace vornsetup {

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

    // Stamps a written file's date and closes it: 0 only when every byte
    // reached the disk.
    static Result FinishFile(vorn::FileStream& destination, vorn::DateTime date);

    // The steps of run, for tests.
    Result checkPaths() const;
    Result removePreviousInstallation();
    Result copyFiles();
    void rollBack();
    Result registerInstallation();

protected:
    Result run() override;

private:
    void update(uint64_t done);
    Result copyFile(FileEntry& entry, vorn::EntryReadAhead& source, vorn::FolderMaker& folders);

    InstallManifest& manifest_;
    vorn::LocalizedElementSource& strings_;
    TransferProgress* progress_;
    HWND notify_;
    std::mutex lock_;
    // Signalled when a cancel question has been answered.
    std::condition_variable answered_;
    TransferState state_ = TransferState::Idle;
    uint32_t handOffLimit_ = kHandOffMilliseconds;
    // The entry whose copy failed or was cancelled, for the roll-back.
    const FileEntry* stoppedAt_ = nullptr;
    uint64_t total_ = 0;
    uint64_t done_ = 0;
    uint64_t lastShown_ = ~uint64_t(0);
    TimeRemainingEstimator estimator_;
    String timeRemainingLabel_;
    String progressionText_;
};

} // namespace vornsetup
