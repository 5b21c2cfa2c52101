#include "VornLib/core/platform/WorkerThread.h"

#include <objbase.h>

#include "VornLib/core/platform/ThreadRecord.h"

namespace vorn {

WorkerThread::~WorkerThread() {
    stop(true);
}

Result WorkerThread::start() {
    stop(true);
    InterlockedExchange(&stopRequested_, 0);
    result_ = kResultOk;
    // The size is the reservation, so the thread really has only 64 KiB.
    thread_.reset(CreateThread(nullptr, kStackSize, &WorkerThread::ThreadBody, this,
                               CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, &threadId_));
    if (!thread_)
        return ResultFromSystemError(GetLastError());
    ResumeThread(thread_.get());
    return kResultOk;
}

void WorkerThread::wait() {
    if (!thread_)
        return;
    ResumeThread(thread_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    threadId_ = 0;
}

void WorkerThread::stop(bool waitForEnd) {
    if (!thread_)
        return;
    InterlockedExchange(&stopRequested_, 1);
    ResumeThread(thread_.get());
    if (waitForEnd)
        wait();
}

DWORD WINAPI WorkerThread::ThreadBody(void* self) {
    WorkerThread* worker = static_cast<WorkerThread*>(self);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CurrentThreadRecord();
    worker->result_ = worker->run();
    ReleaseThreadRecord();
    if (SUCCEEDED(com))
        CoUninitialize();
    return worker->result_;
}

} // namespace vorn
