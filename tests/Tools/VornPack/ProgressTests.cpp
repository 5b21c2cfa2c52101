#include <gtest/gtest.h>

#include "Tools/VornPack/Progress.h"
#include "VornLib/core/Utf8.h"

namespace vornpack {
namespace {

struct TextCase {
    ProgressFigures figures;
    const char* expected;
};

TEST(ProgressText, EntriesBytesRateAndTimeLeft) {
    const TextCase cases[] = {
        {{0, 40, 0, 120000000, 0}, "0/40 entries, 0.0/120.0 MB, -- MB/s, -- left"},
        {{3, 40, 5000000, 120000000, 0.2}, "3/40 entries, 5.0/120.0 MB, -- MB/s, -- left"},
        {{12, 40, 35200000, 120000000, 2}, "12/40 entries, 35.2/120.0 MB, 17.6 MB/s, 0:05 left"},
        {{39, 40, 1000000, 10000000000, 1},
         "39/40 entries, 1.0/10000.0 MB, 1.0 MB/s, 2:46:39 left"},
        {{40, 40, 120000000, 120000000, 60}, "40/40 entries, 120.0/120.0 MB, 2.0 MB/s, 0:00 left"},
    };
    for (const TextCase& test : cases)
        EXPECT_EQ(test.expected, vorn::ToUtf8(ProgressText(test.figures)));
}

double now = 0;
std::vector<std::string> shown;
double FakeClock() {
    return now;
}
void Collect(const vorn::String& text) {
    shown.push_back(vorn::ToUtf8(text));
}

TEST(ProgressLine, OnATerminalRedrawsAtMostFourTimesASecond) {
    now = 100;
    shown.clear();
    ProgressLine progress(OutputMode::Terminal, FakeClock, Collect);
    progress.start(3, 3000000);
    ASSERT_EQ(1u, shown.size()) << "at once, with nothing done";
    for (int step = 1; step <= 64; ++step) { // steps exact in binary
        now = 100 + step / 64.0;
        progress.within(uint64_t(step) * 10000);
    }
    EXPECT_EQ(5u, shown.size()) << "one second: four more";
    now = 101.1;
    progress.entryDone(1000000);
    now = 101.2;
    progress.entryDone(1000000);
    EXPECT_EQ(5u, shown.size()) << "too soon after the last";
    now = 101.3;
    progress.within(500000);
    ASSERT_EQ(6u, shown.size());
    EXPECT_EQ("2/3 entries, 2.5/3.0 MB, 1.9 MB/s, 0:00 left", shown.back());
}

TEST(ProgressLine, ElsewhereShowsNothingButTheSummaryAndQuietNotEvenThat) {
    for (OutputMode mode : {OutputMode::Plain, OutputMode::Quiet}) {
        shown.clear();
        now = 0;
        ProgressLine progress(mode, FakeClock, Collect);
        progress.start(2, 2000);
        for (int step = 1; step <= 10; ++step) {
            now = step;
            progress.entryDone(100);
        }
        testing::internal::CaptureStdout();
        progress.finish(u"packed 2 files");
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(mode == OutputMode::Plain ? "packed 2 files\n" : "", printed);
    }
}

} // namespace
} // namespace vornpack
