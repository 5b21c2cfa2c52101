#include "VornLib/telemetry/Analytics.h"

#include "VornLib/core/PreferenceStorage.h"
#include "VornLib/core/PreferencesStore.h"

namespace vorn {
namespace {

constexpr char16_t kSampleRatePath[] = u"/User/Local/AnalyticsSampleRate";

AnalyticsTracker* gTracker = nullptr;

float SampleRate(const ApplicationDescription& description, CommandLine& commandLine) {
    String configSet;
    const bool hasSet = commandLine.switchValue(u"ConfigSet", &configSet);
    RegistryPreferenceStorage registry;
    PreferencesStore preferences(&registry, nullptr,
                                 PreferencesStore::BaseKey(description.company, description.name,
                                                           description.tag,
                                                           hasSet ? &configSet : nullptr));
    float rate = 1;
    if (preferences.getFloat32(kSampleRatePath, &rate) != kResultOk)
        rate = 1;
    return rate;
}

} // namespace

Result CreateAnalytics(const ApplicationDescription& description, CommandLine& commandLine) {
    if (gTracker)
        return kResultOk;
    gTracker = new AnalyticsTracker(description, commandLine, SampleRate(description, commandLine));
    return gTracker->setupResult();
}

AnalyticsTracker* Analytics() {
    return gTracker;
}

void SendPendingAnalyticsHit() {
    if (gTracker)
        (void)gTracker->startSession();
}

Result SendAnalyticsScreenView(const char16_t* screenName) {
    if (!screenName)
        return kResultNullInput;
    if (!gTracker)
        return kResultOk;
    const Result named = gTracker->setScreenName(screenName);
    return named != kResultOk ? named : gTracker->startSession();
}

Result SendAnalyticsEvent(const char16_t* action, const char16_t* label) {
    if (!action || !*action)
        return kResultInvalidArgument;
    return gTracker ? gTracker->sendEvent(action, label) : kResultOk;
}

void ShutdownAnalytics() {
    AnalyticsTracker* tracker = gTracker;
    gTracker = nullptr;
    if (!tracker)
        return;
    (void)tracker->endSession();
    if (!tracker->shutdown(HitSender::kShutdownDrainMilliseconds))
        return; // still inside a post: left to the end of the process
    delete tracker;
    CollectClient::ReleaseSession();
}

} // namespace vorn
