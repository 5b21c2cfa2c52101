// Starts the crashing probe program and checks what the crash report left.
#include <gtest/gtest.h>

#include <string>

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
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring probe(self);
    probe = probe.substr(0, probe.find_last_of(L'\\') + 1) + L"VornCrashProbe.exe";
    std::wstring commandLine = L"\"" + probe + L"\" " + argument;

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    KernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(probe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return run;
    writer.reset();
    KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reader.get(), buffer, sizeof buffer, &read, nullptr) && read)
        run.output.append(buffer, read);
    WaitForSingleObject(processHandle.get(), 60000);
    GetExitCodeProcess(processHandle.get(), &run.exitCode);
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
