// The hit texts exactly as the collector receives them, the value encoding,
// and the rules that decide whether a process reports at all.
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/telemetry/HitQueue.h"
#include "VornLib/telemetry/HitText.h"

namespace vorn {
namespace {

struct EncodingCase {
    const char16_t* value;
    const char16_t* encoded;
};

TEST(UrlEncode, ReservedCharactersAreEscapedOthersKept) {
    const EncodingCase cases[] = {
        {u"a b&c", u"a+b%26c"},
        {u"100%", u"100%"},
        {u"!#$&'()*+,/:;=?@[]", u"%21%23%24%26%27%28%29%2A%2B%2C%2F%3A%3B%3D%3F%40%5B%5D"},
        {u"1+1=2", u"1%2B1%3D2"},
        {u"A-Z_a.z~0", u"A-Z_a.z~0"},
        {u"\u00FCber \u4E2D", u"\u00FCber+\u4E2D"},
        {u"", u""},
        {nullptr, u""},
    };
    for (const EncodingCase& c : cases)
        EXPECT_EQ(String(c.encoded), UrlEncode(c.value)) << ToPrintable(c.value);
}

TEST(DataCollection, SwitchValues) {
    struct Case {
        bool present;
        const char16_t* value;
        bool enabled;
    };
    const Case cases[] = {
        {false, nullptr, true}, {true, u"On", true},     {true, u"Off", false},
        {true, u"off", false},  {true, u"TRUE", true},   {true, u"  true", true},
        {true, u"1", true},     {true, u"0", false},     {true, u"7", true},
        {true, u"no", false},   {true, u"false", false}, {true, u"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.enabled, DataCollectionEnabled(c.present, c.value))
            << c.present << " " << ToPrintable(c.value);
}

TEST(Sampling, RateAgainstRandomNumber) {
    struct Case {
        float rate;
        uint32_t random;
        bool sampled;
    };
    const Case cases[] = {
        {0.0f, 0, false},           {-1.0f, 0, false},           {1.0f, 0xFFFFFFFFu, true},
        {2.0f, 0xFFFFFFFFu, true},  {0.5f, 0x7FFFFFFFu, true},   {0.5f, 0x80000000u, false},
        {0.25f, 0x3FFFFFFFu, true}, {0.25f, 0x40000001u, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.sampled, IsSampled(c.rate, c.random)) << c.rate << " " << c.random;
}

TEST(UserAgent, VersionAndWow64) {
    EXPECT_EQ(String(u"Mozilla/5.0 (Windows NT 6.1; WOW64) VornLib/2.0"),
              UserAgentText(6, 1, true));
    EXPECT_EQ(String(u"Mozilla/5.0 (Windows NT 10.0) VornLib/2.0"), UserAgentText(10, 0, false));
}

TEST(QueueTime, MillisecondsOnlyForPositiveWaits) {
    const struct {
        int64_t micro;
        const char16_t* expected;
    } cases[] = {{1500000, u"h&qt=1500"}, {999, u"h&qt=0"}, {0, u"h"}, {-5000, u"h"}};
    for (const auto& c : cases) {
        String hit = u"h";
        AppendQueueTime(&hit, c.micro);
        EXPECT_EQ(String(c.expected), hit) << c.micro;
    }
}

HitFields Sample() {
    HitFields fields;
    fields.setTrackingId(u"UA-1-2");
    fields.setClientId(u"0A1B2C3D-0000-1111-2222-333344445555");
    fields.setApplicationName(u"Vorn Demo");
    fields.setApplicationVersion(u"2.5 beta");
    fields.setScreenName(u"Install");
    fields.setUserLanguage(u"en-us");
    fields.setScreenResolution(u"1920x1080");
    return fields;
}

constexpr char16_t kCommon[] = u"v=1&tid=UA-1-2&cid=0A1B2C3D-0000-1111-2222-333344445555"
                               u"&an=Vorn+Demo&av=2.5+beta";

TEST(HitFields, ScreenViewsAndEvents) {
    HitFields fields = Sample();
    EXPECT_EQ(String(kCommon) + u"&sc=start&t=screenview&cd=Install&ul=en-us&sr=1920x1080",
              fields.startScreenView());
    EXPECT_EQ(String(kCommon) + u"&sc=end&t=screenview&cd=Install", fields.endScreenView());

    struct Case {
        const char16_t* action;
        const char16_t* label;
        const char16_t* tail;
    };
    const Case cases[] = {
        {u"Install", u"Success", u"&ea=Install&el=Success"},
        {u"a b&c", u"100%", u"&ea=a+b%26c&el=100%"},
        {u"Uninstall", u"", u"&ea=Uninstall"},
        {u"Uninstall", nullptr, u"&ea=Uninstall"},
    };
    for (const Case& c : cases) {
        String hit;
        ASSERT_EQ(kResultOk, fields.event(c.action, c.label, &hit));
        EXPECT_EQ(String(kCommon) + u"&t=event&cd=Install&ec=Maintenance" + c.tail, hit);
    }
}

TEST(HitFields, StartViewWithoutLanguageOrResolution) {
    HitFields fields = Sample();
    fields.setUserLanguage(u"");
    fields.setScreenResolution(u"");
    EXPECT_EQ(String(kCommon) + u"&sc=start&t=screenview&cd=Install", fields.startScreenView());
}

TEST(HitFields, EventNeedsAnAction) {
    HitFields fields = Sample();
    String hit = u"stale";
    EXPECT_EQ(kResultInvalidArgument, fields.event(nullptr, u"x", &hit));
    EXPECT_TRUE(hit.isEmpty());
    EXPECT_EQ(kResultInvalidArgument, fields.event(u"", u"x", &hit));
    EXPECT_EQ(kResultNullOutput, fields.event(u"Install", u"x", nullptr));
}

TEST(HitFields, CustomValuesGoWithTheNextHitOnly) {
    HitFields fields = Sample();
    EXPECT_EQ(kResultOk, fields.setCustomDimension(20, u"x y"));
    EXPECT_EQ(kResultOk, fields.setCustomDimension(3, u"c"));
    EXPECT_EQ(kResultOk, fields.setCustomMetric(1, -7));
    EXPECT_EQ(kResultOk, fields.setCustomMetric(2, 0));
    EXPECT_EQ(kResultOutOfRange, fields.setCustomDimension(0, u"z"));
    EXPECT_EQ(kResultOutOfRange, fields.setCustomDimension(21, u"z"));
    EXPECT_EQ(kResultOutOfRange, fields.setCustomMetric(21, 1));
    EXPECT_EQ(String(kCommon) + u"&cd3=c&cd20=x+y&cm1=-7&cm2=0&sc=end&t=screenview&cd=Install",
              fields.endScreenView());
    EXPECT_EQ(String(kCommon) + u"&sc=end&t=screenview&cd=Install", fields.endScreenView());
}

TEST(HitQueue, OldestFirstAndBounded) {
    HitQueue queue;
    for (uint32_t i = 0; i < HitQueue::kCapacity; ++i)
        ASSERT_EQ(kResultOk, queue.push(DateTime(i), i == 0 ? u"first" : u"later"));
    EXPECT_EQ(kResultFull, queue.push(0, u"refused"));
    QueuedHit hit;
    ASSERT_EQ(kResultOk, queue.takeOldest(&hit));
    EXPECT_EQ(String(u"first"), hit.text);
    EXPECT_EQ(0, hit.queued);
    ASSERT_EQ(kResultOk, queue.takeOldest(&hit));
    EXPECT_EQ(1, hit.queued);
    EXPECT_EQ(kResultOk, queue.push(99, u"room again"));
    String last;
    while (queue.takeOldest(&hit) == kResultOk)
        last = hit.text;
    EXPECT_EQ(String(u"room again"), last) << "the newest comes out last";
    EXPECT_EQ(0u, queue.size());
    EXPECT_TRUE(hit.text.isEmpty()) << "an empty queue clears the output";
    EXPECT_EQ(kResultNullOutput, queue.takeOldest(nullptr));
}

} // namespace
} // namespace vorn
