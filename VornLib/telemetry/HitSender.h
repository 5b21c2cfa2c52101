// HitSender: the queue of hits and the thread that posts them. Callers never
// wait for the network: `post` appends under the queue's lock and wakes the
// thread, which drains the queue, then sleeps until woken or for 20 s. The
// first failed or non-2xx post switches sending off for the process; later
// hits are taken out and dropped.
//
// Shutting down drains what is queued, but waits for the thread at most
// kShutdownDrainMilliseconds: a collector that accepts the connection and
// never answers would otherwise hold the program's exit for WinHTTP's
// time-outs (up to a minute and more). A thread still busy then is left to
// the end of the process together with everything it uses.
#pragma once

#include <mutex>

#include <memory>

#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/WorkerThread.h"
#include "VornLib/telemetry/CollectClient.h"
#include "VornLib/telemetry/HitQueue.h"

namespace vorn {

class CommandLine;

class HitSender : public WorkerThread {
public:
    static constexpr DWORD kWakeMilliseconds = 20000;
    static constexpr DWORD kShutdownDrainMilliseconds = 3000;

    // Reads the DataCollection switch; when enabled, connects to `endpoint`.
    // Without an endpoint nothing is ever sent.
    HitSender(CommandLine& commandLine, const String& endpoint);
    ~HitSender() override;

    // Starts the thread once the whole object is built; until then, and when
    // switched off, `post` refuses.
    void begin();

    // 15 for null, 8 when switched off, 13 when 4096 hits wait already.
    Result post(const char16_t* text);

    bool enabled() const { return enabled_; }
    // DataCollection allows it and there is an endpoint to send to.
    bool collecting() const { return collecting_; }
    bool sending() const { return sending_ != 0; }

    // Asks the thread to drain and end; true when it ended within `milliseconds`.
    // After false the object must not be destroyed: its thread still uses it.
    bool shutdown(DWORD milliseconds);

protected:
    Result run() override;

private:
    void drain();

    std::mutex lock_; // guards the queue
    HitQueue queue_;
    KernelHandle wake_;
    KernelHandle finished_;
    bool collecting_ = false;
    bool enabled_ = false;
    volatile LONG sending_ = 1;
    std::unique_ptr<CollectClient> client_;
};

} // namespace vorn
