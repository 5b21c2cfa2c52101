// The runtime's behaviour as a whole process: exit codes, single-instance
// control and the absence of a description. Needs a display (Xvfb).
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TestText.h"

namespace vorn {
namespace {

HWND WaitForWindow(const wchar_t* windowClass, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (HWND window = FindWindowW(windowClass, nullptr))
            return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(RuntimeProcess, QuitMessageCodeBecomesTheExitCode) {
    ChildProcess probe;
    ASSERT_TRUE(probe.start(L"VornRuntimeProbe.exe", L"/PostQuit:7"));
    ASSERT_TRUE(probe.wait(30000));
    EXPECT_EQ(7u, probe.exitCode());
    EXPECT_NE(std::string::npos, probe.output().find("module started"));
}

TEST(RuntimeProcess, MissingApplicationEndsBeforeAnyModule) {
    ChildProcess probe;
    ASSERT_TRUE(probe.start(L"VornRuntimeProbe.exe", L"/NoApplication"));
    ASSERT_TRUE(probe.wait(30000));
    EXPECT_EQ(29u, probe.exitCode());
    EXPECT_EQ(std::string::npos, probe.output().find("module started")) << probe.output();
}

TEST(RuntimeProcess, SecondInstanceActivatesTheFirstAndEnds) {
    ChildProcess first;
    ASSERT_TRUE(first.start(L"VornRuntimeProbe.exe", L""));
    HWND window = WaitForWindow(L"RuntimeProbe::Window", 30000);
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_MINIMIZE);

    ChildProcess second;
    ASSERT_TRUE(second.start(L"VornRuntimeProbe.exe", L""));
    ASSERT_TRUE(second.wait(30000));
    EXPECT_EQ(14u, second.exitCode());
    EXPECT_EQ(std::string::npos, second.output().find("module started"));
    EXPECT_FALSE(IsIconic(window)) << "the running instance's window was restored";

    ChildProcess allowed;
    ASSERT_TRUE(allowed.start(L"VornRuntimeProbe.exe", L"/AllowMultipleInstances /PostQuit:3"));
    ASSERT_TRUE(allowed.wait(30000));
    EXPECT_EQ(3u, allowed.exitCode()) << "AllowMultipleInstances lets the second one run";

    ChildProcess described;
    ASSERT_TRUE(described.start(L"VornRuntimeProbe.exe", L"/Multiple /PostQuit:4"));
    ASSERT_TRUE(described.wait(30000));
    EXPECT_EQ(4u, described.exitCode()) << "MultipleInstancesAllowed lets it run too";

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.wait(30000));
    EXPECT_EQ(0u, first.exitCode()) << "closing the main window ends the loop";
}

} // namespace
} // namespace vorn
