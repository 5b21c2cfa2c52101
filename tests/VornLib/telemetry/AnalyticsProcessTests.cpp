// Whole processes reporting to a real collector on 127.0.0.1: the hits they
// post, in order and field by field, the client id they keep in the registry,
// and what switches sending off. The probe program plays the installer.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "TestCollector.h"

#include "ChildProcess.h"
#include "VornLib/core/PreferenceStorage.h"
#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/telemetry/HitSender.h"

namespace vorn {
namespace {

constexpr DWORD kProcessTimeout = 60000;

std::string Narrow(const String& text) {
    std::string out;
    for (uint32_t i = 0; i < text.length(); ++i)
        out += char(text[i]);
    return out;
}

// A company name of its own per test, so that its registry key starts empty;
// the key is removed afterwards.
class AnalyticsProcess : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        company_ = std::string("VornTelemetryTest-") + info->name() + "-" +
                   std::to_string(GetCurrentProcessId());
        RemoveCompanyKey();
    }
    void TearDown() override { RemoveCompanyKey(); }

    void RemoveCompanyKey() {
        RegistryKey software;
        (void)software.open(kRegistryCurrentUser, u"Software\\");
        (void)software.deleteSubkeyTree(Company().data());
    }

    String Company() const {
        String text;
        for (char c : company_)
            text.append(char16_t(c));
        return text;
    }

    String StoredClientId() {
        RegistryKey key;
        (void)key.open(kRegistryCurrentUser, String(u"Software\\" + Company() + u"\\").data());
        String cid;
        (void)key.readText(u"cid", &cid);
        return cid;
    }

    void StoreSampleRate(float rate) {
        RegistryPreferenceStorage registry;
        PreferencesStore preferences(
            &registry, nullptr,
            PreferencesStore::BaseKey(Company(), u"Telemetry Probe", u"beta", nullptr));
        ASSERT_EQ(kResultOk, preferences.setFloat32(u"/User/Local/AnalyticsSampleRate", rate));
        ASSERT_EQ(kResultOk, preferences.flush());
    }

    // Runs the probe to its end against `collector`; returns its exit code.
    DWORD RunProbe(const std::wstring& collectorUrl, const wchar_t* switches,
                   double* seconds = nullptr) {
        std::wstring arguments = L"/Company:" + std::wstring(company_.begin(), company_.end()) +
                                 L" /Collector:" + collectorUrl + L" " + switches;
        ChildProcess probe;
        EXPECT_TRUE(probe.start(L"VornTelemetryProbe.exe", arguments.c_str()));
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_TRUE(probe.wait(kProcessTimeout));
        if (seconds)
            *seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        output_ = probe.output();
        return probe.exitCode();
    }

    std::string company_;
    std::string output_;
};

// The body without its queue time, which depends on the moment of sending.
std::string WithoutQueueTime(const std::string& body) {
    const size_t at = body.find("&qt=");
    if (at == std::string::npos)
        return body;
    const std::string digits = body.substr(at + 4);
    EXPECT_EQ(std::string::npos, digits.find_first_not_of("0123456789")) << body;
    return body.substr(0, at);
}

std::string ExpectedLanguage() {
    wchar_t name[85] = {};
    if (CallGetUserDefaultLocaleName(name, 85) <= 0)
        return std::string();
    std::string out;
    for (const wchar_t* unit = name; *unit; ++unit)
        out += char(*unit >= L'A' && *unit <= L'Z' ? *unit + 32 : *unit);
    return out;
}

std::vector<std::string> ExpectedHits(const std::string& cid) {
    const std::string common = "v=1&tid=UA-TEST-1&cid=" + cid + "&an=Telemetry+Probe&av=2.5+beta";
    const std::string event = common + "&t=event&cd=Install&ec=Maintenance";
    std::string start = common + "&sc=start&t=screenview&cd=Install";
    const std::string language = ExpectedLanguage();
    if (!language.empty())
        start += "&ul=" + language;
    start += "&sr=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
             std::to_string(GetSystemMetrics(SM_CYSCREEN));
    return {start, event + "&ea=Install&el=Success", event + "&ea=a+b%26c&el=100%",
            event + "&ea=Install", common + "&sc=end&t=screenview&cd=Install"};
}

TEST_F(AnalyticsProcess, QuietRunPostsEveryHitInOrder) {
    TestCollector collector;
    ASSERT_TRUE(collector.start(TestCollector::Answer::Ok));
    EXPECT_EQ(0u, RunProbe(collector.url(), L"/Quiet"));
    collector.stop();

    const String cid = StoredClientId();
    ASSERT_EQ(36u, cid.length()) << "a client id was stored";
    EXPECT_NE(std::string::npos, output_.find("cid=" + Narrow(cid))) << output_;

    const std::vector<CollectedRequest> requests = collector.requests();
    const std::vector<std::string> expected = ExpectedHits(Narrow(cid));
    ASSERT_EQ(expected.size(), requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        const CollectedRequest& request = requests[i];
        EXPECT_EQ("POST", request.method);
        EXPECT_EQ("/collect", request.path);
        EXPECT_EQ("application/x-www-form-urlencoded", request.contentType);
        EXPECT_EQ(0u, request.userAgent.find("Mozilla/5.0 (Windows NT ")) << request.userAgent;
        EXPECT_EQ(Narrow(CollectClient::UserAgent()), request.userAgent);
        EXPECT_EQ(expected[i], WithoutQueueTime(request.body)) << "hit " << i;
    }
    EXPECT_EQ(std::string::npos, requests[3].body.find("&el=")) << "empty label";
}

TEST_F(AnalyticsProcess, RuntimeSendsTheStartViewOfAWindowedRun) {
    TestCollector collector;
    ASSERT_TRUE(collector.start(TestCollector::Answer::Ok));
    EXPECT_EQ(0u, RunProbe(collector.url(), L""));
    collector.stop();
    const std::vector<CollectedRequest> requests = collector.requests();
    const std::vector<std::string> expected = ExpectedHits(Narrow(StoredClientId()));
    ASSERT_EQ(expected.size(), requests.size());
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(expected[i], WithoutQueueTime(requests[i].body)) << "hit " << i;
}

TEST_F(AnalyticsProcess, ClientIdIsCreatedOnceAndReused) {
    TestCollector collector;
    ASSERT_TRUE(collector.start(TestCollector::Answer::Ok));
    EXPECT_EQ(0u, RunProbe(collector.url(), L"/Quiet"));
    const String first = StoredClientId();
    EXPECT_EQ(0u, RunProbe(collector.url(), L"/Quiet"));
    collector.stop();
    EXPECT_EQ(first, StoredClientId());
    const std::vector<CollectedRequest> requests = collector.requests();
    ASSERT_EQ(10u, requests.size());
    for (const CollectedRequest& request : requests)
        EXPECT_NE(std::string::npos, request.body.find("&cid=" + Narrow(first) + "&"));
}

TEST_F(AnalyticsProcess, SwitchedOffOrNotSampledSendsNothing) {
    struct Case {
        const wchar_t* switches;
        float sampleRate; // negative: not stored
    };
    const Case cases[] = {
        {L"/Quiet /DataCollection=Off", -1},
        {L"/Quiet /DataCollection:off", -1},
        {L"/Quiet", 0},
    };
    for (const Case& c : cases) {
        RemoveCompanyKey();
        if (c.sampleRate >= 0)
            StoreSampleRate(c.sampleRate);
        TestCollector collector;
        ASSERT_TRUE(collector.start(TestCollector::Answer::Ok));
        EXPECT_EQ(0u, RunProbe(collector.url(), c.switches));
        collector.stop();
        EXPECT_EQ(0u, collector.requests().size()) << c.switches << " " << c.sampleRate;
        EXPECT_TRUE(StoredClientId().isEmpty()) << "no client id without reporting";
    }
}

TEST_F(AnalyticsProcess, ExplicitlyEnabledOrFullRateStillReports) {
    const wchar_t* switches[] = {L"/Quiet /DataCollection=TRUE", L"/Quiet /DataCollection=1"};
    StoreSampleRate(1);
    for (const wchar_t* value : switches) {
        TestCollector collector;
        ASSERT_TRUE(collector.start(TestCollector::Answer::Ok));
        EXPECT_EQ(0u, RunProbe(collector.url(), value));
        collector.stop();
        EXPECT_EQ(5u, collector.requests().size()) << value;
    }
}

TEST_F(AnalyticsProcess, NotFoundStopsSendingForTheProcess) {
    TestCollector collector;
    ASSERT_TRUE(collector.start(TestCollector::Answer::NotFound));
    EXPECT_EQ(0u, RunProbe(collector.url(), L"/Quiet"));
    collector.stop();
    const std::vector<CollectedRequest> requests = collector.requests();
    ASSERT_EQ(1u, requests.size()) << "only the first hit reached the collector";
    EXPECT_NE(std::string::npos, requests[0].body.find("&sc=start&t=screenview"));
}

TEST_F(AnalyticsProcess, SilentCollectorDoesNotHoldTheExit) {
    TestCollector collector;
    ASSERT_TRUE(collector.start(TestCollector::Answer::Never));
    double seconds = 0;
    EXPECT_EQ(0u, RunProbe(collector.url(), L"/Quiet", &seconds));
    const size_t received = collector.requests().size();
    collector.stop();
    EXPECT_EQ(1u, received) << "the first hit is still waiting for its answer";
    // The receive time-out alone is 15 s; the exit waits only for the drain.
    EXPECT_LT(seconds, CollectClient::kReceiveTimeout / 1000.0 - 3) << seconds;
}

TEST_F(AnalyticsProcess, NoEndpointSendsNothing) {
    TestCollector collector;
    ASSERT_TRUE(collector.start(TestCollector::Answer::Ok));
    EXPECT_EQ(0u, RunProbe(L"\"\"", L"/Quiet"));
    collector.stop();
    EXPECT_EQ(0u, collector.requests().size());
}

} // namespace
} // namespace vorn
