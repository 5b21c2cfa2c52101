#include "VornLib/telemetry/HitSender.h"

#include "VornLib/core/CommandLine.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/telemetry/HitText.h"

namespace vorn {

HitSender::HitSender(CommandLine& commandLine, const String& endpoint) {
    // A copy started with administrator rights sends nothing: its launcher,
    // with the user's rights, reports the run.
    if (commandLine.hasSwitch(u"LaunchedAsAdministrator"))
        return;
    String value;
    const bool present = commandLine.hasSwitch(u"DataCollection");
    commandLine.switchValue(u"DataCollection", &value);
    if (!DataCollectionEnabled(present, value.data()))
        return;
    client_.reset(new CollectClient(endpoint));
    // Without a connection there is nowhere to send to: treated as switched off.
    if (client_->state() != kResultOk) {
        client_.reset();
        return;
    }
    wake_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    finished_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    collecting_ = wake_ && finished_;
}

void HitSender::begin() {
    if (!collecting_ || enabled_)
        return;
    if (start() != kResultOk) {
        client_.reset();
        collecting_ = false;
        return;
    }
    enabled_ = true;
}

HitSender::~HitSender() {
    shutdown(INFINITE);
}

Result HitSender::post(const char16_t* text) {
    if (!text)
        return kResultNullInput;
    if (!enabled_)
        return kResultCancelled;
    Result result;
    {
        std::lock_guard<std::mutex> guard(lock_);
        result = queue_.push(CurrentDateTime(), String(text));
    }
    if (result == kResultOk)
        SetEvent(wake_.get());
    return result;
}

bool HitSender::shutdown(DWORD milliseconds) {
    if (!isRunning())
        return true;
    stop(false);
    SetEvent(wake_.get());
    if (WaitForSingleObject(finished_.get(), milliseconds) != WAIT_OBJECT_0)
        return false;
    wait();
    client_.reset();
    return true;
}

Result HitSender::run() {
    while (!stopRequested()) {
        drain();
        WaitForSingleObject(wake_.get(), kWakeMilliseconds);
    }
    drain();
    SetEvent(finished_.get());
    return kResultOk;
}

void HitSender::drain() {
    for (;;) {
        QueuedHit hit;
        Result taken;
        {
            std::lock_guard<std::mutex> guard(lock_);
            taken = queue_.takeOldest(&hit);
        }
        if (taken != kResultOk)
            return;
        if (!sending_)
            continue;
        AppendQueueTime(&hit.text, CurrentDateTime() - hit.queued);
        const Result posted = client_->post(hit.text.data());
        const uint32_t status = client_->statusCode();
        if (posted != kResultOk || status < 200 || status > 299)
            InterlockedExchange(&sending_, 0);
    }
}

} // namespace vorn
