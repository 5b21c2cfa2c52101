// AnalyticsTracker: anonymous usage reports of one process. It decides once
// whether this process takes part (the sample rate), learns who it reports
// for (tracking id, a client id kept per user in the registry, the program's
// name and version, language, screen size) and turns screen views and events
// into hits for its HitSender. Hits are built under the tracker's own lock on
// the caller's thread; only the sender's thread touches the network.
#pragma once

#include <mutex>

#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/telemetry/HitSender.h"
#include "VornLib/telemetry/HitText.h"

namespace vorn {

class AnalyticsTracker : public HitSender {
public:
    // `sampleRate` is "/User/Local/AnalyticsSampleRate" (1 when it is not stored).
    AnalyticsTracker(const ApplicationDescription& description, CommandLine& commandLine,
                     float sampleRate);
    ~AnalyticsTracker() override;

    bool sampled() const { return sampled_; }
    // Why set-up turned sampling off (36 no tracking id, 7 no client id), else 0.
    Result setupResult() const { return setupResult_; }
    String clientId() const;

    Result setVersion(const char16_t* version);
    // The application name as shown; it replaces the description's.
    Result setApplicationName(const char16_t* name);
    Result setScreenName(const char16_t* name);
    Result setCustomDimension(uint32_t index, const char16_t* value);
    Result setCustomMetric(uint32_t index, int32_t value);

    // The start screen view, once per process: 4 without a screen name, 0
    // (sending nothing) when not sampled or already started.
    Result startSession();
    // The end screen view, once, when a session was started.
    Result endSession();
    // An event of the category "Maintenance"; 5 for a null or empty action;
    // 0 without sending when not sampled or before the session started.
    Result sendEvent(const char16_t* action, const char16_t* label);

    // The client id under HKEY_CURRENT_USER "Software\<company>\" "cid", made
    // with CoCreateGuid when missing, empty or all zero.
    static Result LoadClientId(const String& company, String* clientId);

private:
    Result setUp(const ApplicationDescription& description);

    mutable std::mutex lock_;
    HitFields fields_;
    String clientId_;
    bool sampled_ = false;
    bool sessionStarted_ = false;
    bool sessionEnded_ = false;
    Result setupResult_ = kResultOk;
};

} // namespace vorn
