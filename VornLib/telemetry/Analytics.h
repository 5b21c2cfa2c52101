// The process's one analytics tracker, as the runtime and the programs reach
// it: created during start-up from the application description, told the
// screen name and events by the program, and shut down last. Every call is
// harmless when there is no tracker (nothing created, or nothing to send).
#pragma once

#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/CommandLine.h"
#include "VornLib/telemetry/AnalyticsTracker.h"

namespace vorn {

// Creates the tracker unless there is one; reads "/User/Local/AnalyticsSampleRate"
// from the program's preferences.
Result CreateAnalytics(const ApplicationDescription& description, CommandLine& commandLine);
// Null before CreateAnalytics and after ShutdownAnalytics.
AnalyticsTracker* Analytics();

// The runtime's start: the start screen view, once a screen name is known.
void SendPendingAnalyticsHit();
// Program-facing shorthands.
Result SendAnalyticsScreenView(const char16_t* screenName);
Result SendAnalyticsEvent(const char16_t* action, const char16_t* label);

// Sends the end screen view and waits at most HitSender::kShutdownDrainMilliseconds
// for the queue to drain; a sender that is still busy then is abandoned.
void ShutdownAnalytics();

} // namespace vorn
