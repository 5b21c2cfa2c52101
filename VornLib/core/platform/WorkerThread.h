// WorkerThread: a thread with a small (64 KiB) stack in the multithreaded COM
// apartment. Subclasses put their work in `run`; its result is kept.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

class WorkerThread {
public:
    static constexpr uint32_t kStackSize = 0x10000;

    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    virtual ~WorkerThread();

    Result start();
    // Waits without time-out for the thread to end, then forgets it.
    void wait();
    // Asks `run` to end (it polls stopRequested()), optionally waiting for it.
    void stop(bool wait);

    bool isRunning() const { return thread_.isValid(); }
    bool stopRequested() const { return stopRequested_ != 0; }
    Result result() const { return result_; }

protected:
    virtual Result run() = 0;

private:
    static DWORD WINAPI ThreadBody(void* self);

    KernelHandle thread_;
    DWORD threadId_ = 0;
    volatile LONG stopRequested_ = 0;
    Result result_ = kResultOk;
};

} // namespace vorn
