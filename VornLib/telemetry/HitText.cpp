#include "VornLib/telemetry/HitText.h"

#include <initializer_list>

#include "VornLib/core/Format.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/UnitEscapes.h"

namespace vorn {
namespace {

constexpr UnitEscape kEscapes[] = {
    {u' ', u"+"},    {u'!', u"%21"}, {u'#', u"%23"}, {u'$', u"%24"}, {u'&', u"%26"},
    {u'\'', u"%27"}, {u'(', u"%28"}, {u')', u"%29"}, {u'*', u"%2A"}, {u'+', u"%2B"},
    {u',', u"%2C"},  {u'/', u"%2F"}, {u':', u"%3A"}, {u';', u"%3B"}, {u'=', u"%3D"},
    {u'?', u"%3F"},  {u'@', u"%40"}, {u'[', u"%5B"}, {u']', u"%5D"},
};

constexpr char16_t kEventCategory[] = u"Maintenance";

} // namespace

String UrlEncode(const char16_t* text) {
    String encoded;
    if (!text)
        return encoded;
    for (; *text; ++text) {
        if (const char16_t* escape = FindEscape(kEscapes, *text))
            encoded.append(escape);
        else
            encoded.append(*text);
    }
    return encoded;
}

bool DataCollectionEnabled(bool present, const char16_t* value) {
    if (!present)
        return true;
    if (CompareText(value, u"On") == 0)
        return true;
    if (CompareText(value, u"Off") == 0)
        return false;
    return ReadBoolean(value);
}

bool IsSampled(float rate, uint32_t random) {
    if (!(rate > 0))
        return false;
    if (rate >= 1)
        return true;
    return double(rate) > double(random) / 4294967296.0;
}

String UserAgentText(uint32_t major, uint32_t minor, bool wow64) {
    return Format(u"Mozilla/5.0 (Windows NT {0}.{1}{2}) {3}",
                  {major, minor, wow64 ? u"; WOW64" : u"", u"VornLib/2.0"});
}

void AppendQueueTime(String* hit, int64_t waitedMicroseconds) {
    if (!hit || waitedMicroseconds <= 0)
        return;
    hit->append(Format(u"&qt={0}", {static_cast<long long>(waitedMicroseconds / 1000)}));
}

Result HitFields::setCustomDimension(uint32_t index, const char16_t* value) {
    if (index < 1 || index > kCustomCount)
        return kResultOutOfRange;
    dimensions_[index - 1] = UrlEncode(value);
    return kResultOk;
}

Result HitFields::setCustomMetric(uint32_t index, int32_t value) {
    if (index < 1 || index > kCustomCount)
        return kResultOutOfRange;
    metrics_[index - 1] = value;
    return kResultOk;
}

String HitFields::common() {
    String hit = u"v=1&tid=" + trackingId_ + u"&cid=" + clientId_ + u"&an=" + applicationName_ +
                 u"&av=" + version_;
    for (uint32_t i = 0; i < kCustomCount; ++i) {
        if (dimensions_[i].isEmpty())
            continue;
        hit += Format(u"&cd{0}=", {i + 1}) + dimensions_[i];
        dimensions_[i].clear();
    }
    for (uint32_t j = 0; j < kCustomCount; ++j) {
        if (metrics_[j] == kMetricUnset)
            continue;
        hit += Format(u"&cm{0}={1}", {j + 1, metrics_[j]});
        metrics_[j] = kMetricUnset;
    }
    return hit;
}

String HitFields::startScreenView() {
    String hit = common();
    hit += u"&sc=start&t=screenview&cd=" + screenName_;
    if (!userLanguage_.isEmpty())
        hit += u"&ul=" + userLanguage_;
    if (!screenResolution_.isEmpty())
        hit += u"&sr=" + screenResolution_;
    return hit;
}

String HitFields::endScreenView() {
    String hit = common();
    hit += u"&sc=end&t=screenview&cd=" + screenName_;
    return hit;
}

Result HitFields::event(const char16_t* action, const char16_t* label, String* hit) {
    if (!action || !*action) {
        if (hit)
            hit->clear();
        return kResultInvalidArgument;
    }
    if (!hit)
        return kResultNullOutput;
    *hit = common();
    *hit += u"&t=event&cd=" + screenName_ + u"&ec=" + UrlEncode(kEventCategory) + u"&ea=" +
            UrlEncode(action);
    if (label && *label)
        *hit += u"&el=" + UrlEncode(label);
    return kResultOk;
}

} // namespace vorn
