// Starts the crashing probe program and checks what the crash report left.
#include <gtest/gtest.h>

#include <string>

#include "ChildProcess.h"
#include "TestText.h"
#include "VornLib/app/CrashReport.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {
namespace {

struct ProbeRun {
    DWORD exitCode = 0;
    std::string output;
};

ProbeRun RunProbe(const wchar_t* argument) {
    ProbeRun run;
    ChildProcess probe;
    if (!probe.start(L"VornCrashProbe.exe", argument) || !probe.wait(60000))
        return run;
    run.exitCode = probe.exitCode();
    run.output = probe.output();
    return run;
}

class CrashReportTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(CrashReportTest, WritesTheDumpAndNamesIt) {
    const String dump = CrashDumpPath();
    DeleteFileW(Wide(dump.data()));
    const ProbeRun run = RunProbe(GetParam());
    EXPECT_EQ(0xC0000005u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("Exception: 0xC0000005")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("VornLib-CrashReport.dmp]")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("[support@vorn.example]")) << run.output;

    const FileHandle file(CreateFileW(Wide(dump.data()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file.isValid()) << ToPrintable(dump.data());
    char magic[4] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file.get(), magic, 4, &read, nullptr));
    EXPECT_EQ(std::string("MDMP"), std::string(magic, read)) << "a minidump";
}

INSTANTIATE_TEST_SUITE_P(Threads, CrashReportTest, ::testing::Values(L"main", L"worker"));

TEST(CrashFilterTest, NullPointersAreIgnored) {
    EXPECT_EQ(0, CrashFilter(0xC0000005u, nullptr));
}

} // namespace
} // namespace vorn
