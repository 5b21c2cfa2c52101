#include "VornLib/telemetry/AnalyticsTracker.h"

#include <objbase.h>

#include "VornLib/core/Format.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/platform/DynamicLibrary.h"

namespace vorn {
namespace {

constexpr int kLocaleNameCapacity = 85;

uint32_t RandomNumber() {
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        return GetTickCount();
    return guid.Data1;
}

String UserLanguage() {
    wchar_t name[kLocaleNameCapacity] = {};
    if (CallGetUserDefaultLocaleName(name, kLocaleNameCapacity) <= 0)
        return String();
    String language(Units(name));
    String lower;
    for (uint32_t i = 0; i < language.length(); ++i) {
        const char16_t unit = language[i];
        lower.append(unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit);
    }
    return lower;
}

String ScreenResolution() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0)
        return String();
    return Format(u"{0}x{1}", {width, height});
}

} // namespace

Result AnalyticsTracker::LoadClientId(const String& company, String* clientId) {
    if (!clientId)
        return kResultNullOutput;
    clientId->clear();
    RegistryKey key;
    const String path = u"Software\\" + company + u"\\";
    Result result = key.open(kRegistryCurrentUser, path.data());
    if (result != kResultOk)
        return result;
    String stored;
    UUID id;
    if (key.readText(u"cid", &stored) == kResultOk &&
        UUID::Parse(stored.data(), &id) == kResultOk && !id.isNull()) {
        *clientId = id.toText();
        return kResultOk;
    }
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        return kResultPlatformFailure;
    GuidFields fields;
    static_assert(sizeof fields == sizeof guid, "GUID layout");
    memcpy(&fields, &guid, sizeof guid);
    id = UUID::FromGuid(fields);
    if (id.isNull())
        return kResultPlatformFailure;
    const String text = id.toText();
    // An id that cannot be stored would count every run as a new user.
    result = key.writeText(u"cid", text.data());
    if (result != kResultOk)
        return result;
    *clientId = text;
    return kResultOk;
}

AnalyticsTracker::AnalyticsTracker(const ApplicationDescription& description,
                                   CommandLine& commandLine, float sampleRate)
    : HitSender(commandLine, description.analyticsUrl) {
    // Without data collection no client id is written either.
    sampled_ = collecting() && IsSampled(sampleRate, RandomNumber());
    if (sampled_) {
        setupResult_ = setUp(description);
        if (setupResult_ != kResultOk)
            sampled_ = false;
    }
    // A process that does not take part has nothing to send.
    if (sampled_)
        begin();
}

AnalyticsTracker::~AnalyticsTracker() {
    (void)endSession();
    shutdown(INFINITE);
}

Result AnalyticsTracker::setUp(const ApplicationDescription& description) {
    fields_.setApplicationName(description.name.data());
    if (!fields_.hasVersion()) {
        const String version = description.tag.isEmpty()
                                   ? description.version
                                   : description.version + u' ' + description.tag;
        fields_.setApplicationVersion(version.data());
    }
    if (description.trackingId.isEmpty())
        return kResultMissingEntry;
    fields_.setTrackingId(description.trackingId);
    const Result loaded = LoadClientId(description.company, &clientId_);
    if (loaded != kResultOk)
        return kResultPlatformFailure;
    fields_.setClientId(clientId_);
    fields_.setUserLanguage(UserLanguage());
    fields_.setScreenResolution(ScreenResolution());
    return kResultOk;
}

String AnalyticsTracker::clientId() const {
    std::lock_guard<std::mutex> guard(lock_);
    return clientId_;
}

Result AnalyticsTracker::setVersion(const char16_t* version) {
    if (!version)
        return kResultNullInput;
    std::lock_guard<std::mutex> guard(lock_);
    fields_.setApplicationVersion(version);
    return kResultOk;
}

Result AnalyticsTracker::setApplicationName(const char16_t* name) {
    if (!name)
        return kResultNullInput;
    std::lock_guard<std::mutex> guard(lock_);
    fields_.setApplicationName(name);
    return kResultOk;
}

Result AnalyticsTracker::setScreenName(const char16_t* name) {
    if (!name)
        return kResultNullInput;
    std::lock_guard<std::mutex> guard(lock_);
    fields_.setScreenName(name);
    return kResultOk;
}

Result AnalyticsTracker::setCustomDimension(uint32_t index, const char16_t* value) {
    std::lock_guard<std::mutex> guard(lock_);
    return fields_.setCustomDimension(index, value);
}

Result AnalyticsTracker::setCustomMetric(uint32_t index, int32_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    return fields_.setCustomMetric(index, value);
}

Result AnalyticsTracker::startSession() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!fields_.hasScreenName())
        return kResultWrongState;
    if (!sampled_ || sessionStarted_)
        return kResultOk;
    sessionStarted_ = true;
    return post(fields_.startScreenView().data());
}

Result AnalyticsTracker::endSession() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!sampled_ || !sessionStarted_ || sessionEnded_)
        return kResultOk;
    sessionEnded_ = true;
    return post(fields_.endScreenView().data());
}

Result AnalyticsTracker::sendEvent(const char16_t* action, const char16_t* label) {
    if (!action || !*action)
        return kResultInvalidArgument;
    std::lock_guard<std::mutex> guard(lock_);
    if (!sampled_ || !sessionStarted_)
        return kResultOk;
    String hit;
    const Result built = fields_.event(action, label, &hit);
    if (built != kResultOk)
        return built;
    return post(hit.data());
}

} // namespace vorn
