// HitText: the analytics hits as Measurement Protocol (version 1) form texts.
// HitFields keeps the values in the form in which they are sent and builds the
// start and end screen views and the events; the rules that decide whether a
// process reports at all (the DataCollection switch, the sample rate) and the
// user agent live here too, so that all of it is plain text work that every
// build can test. The queue, the thread and the network are elsewhere.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

// Form encoding of one value: space becomes "+", the reserved characters
// "!#$&'()*+,/:;=?@[]" become "%XX"; everything else, "%" and non-ASCII
// included, is kept. A null text encodes to the empty text.
String UrlEncode(const char16_t* text);

// The DataCollection switch: absent or "On" enables, "Off" disables; any other
// value enables when it reads as true ("1…", "true…", a non-zero number).
bool DataCollectionEnabled(bool present, const char16_t* value);

// Whether this process takes part at `rate` (0 to 1), `random` being a uniform
// 32-bit number: never at 0 or below, always at 1 or above.
bool IsSampled(float rate, uint32_t random);

// "Mozilla/5.0 (Windows NT 6.1; WOW64) VornLib/2.0"
String UserAgentText(uint32_t major, uint32_t minor, bool wow64);

// Appends "&qt=<milliseconds>" when the hit waited a positive time.
void AppendQueueTime(String* hit, int64_t waitedMicroseconds);

class HitFields {
public:
    static constexpr uint32_t kCustomCount = 20;
    static constexpr int32_t kMetricUnset = INT32_MIN;

    // Taken as they are sent: `tid`, `cid` and `ul` unencoded, the others encoded here.
    void setTrackingId(const String& id) { trackingId_ = id; }
    void setClientId(const String& id) { clientId_ = id; }
    void setApplicationName(const char16_t* name) { applicationName_ = UrlEncode(name); }
    void setApplicationVersion(const char16_t* version) { version_ = UrlEncode(version); }
    void setScreenName(const char16_t* name) { screenName_ = UrlEncode(name); }
    void setUserLanguage(const String& language) { userLanguage_ = language; }
    void setScreenResolution(const String& resolution) { screenResolution_ = resolution; }

    // Index 1 to 20 (37 otherwise); a value is sent with the next hit only.
    Result setCustomDimension(uint32_t index, const char16_t* value);
    Result setCustomMetric(uint32_t index, int32_t value);

    bool hasVersion() const { return !version_.isEmpty(); }
    bool hasScreenName() const { return !screenName_.isEmpty(); }

    // Each consumes the custom dimensions and metrics set so far.
    String startScreenView();
    String endScreenView();
    // 5 for a null or empty action.
    Result event(const char16_t* action, const char16_t* label, String* hit);

private:
    String common();

    String trackingId_;
    String clientId_;
    String applicationName_;
    String version_;
    String screenName_;
    String userLanguage_;
    String screenResolution_;
    String dimensions_[kCustomCount];
    int32_t metrics_[kCustomCount] = {kMetricUnset, kMetricUnset, kMetricUnset, kMetricUnset,
                                      kMetricUnset, kMetricUnset, kMetricUnset, kMetricUnset,
                                      kMetricUnset, kMetricUnset, kMetricUnset, kMetricUnset,
                                      kMetricUnset, kMetricUnset, kMetricUnset, kMetricUnset,
                                      kMetricUnset, kMetricUnset, kMetricUnset, kMetricUnset};
};

} // namespace vorn
