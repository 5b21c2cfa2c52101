// VornDemo as a user runs it: under Wine, with a display (Xvfb).
#include <gtest/gtest.h>

#include "ChildProcess.h"

namespace vorn {
namespace {

HWND WaitForDemoWindow(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (HWND window = FindWindowW(L"VornDemo::Window", nullptr))
            return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(VornDemoProcess, TimedRunEndsByItself) {
    ChildProcess demo;
    ASSERT_TRUE(demo.start(L"VornDemo.exe", L"/DemoSeconds:1"));
    ASSERT_TRUE(demo.wait(60000));
    EXPECT_EQ(0u, demo.exitCode());
}

TEST(VornDemoProcess, QuitMessageCodeIsTheExitCode) {
    ChildProcess demo;
    ASSERT_TRUE(demo.start(L"VornDemo.exe", L""));
    HWND window = WaitForDemoWindow(60000);
    ASSERT_NE(nullptr, window);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(L"VornDemo 1.0.0", title) << "name and version from the payload";
    PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 7, 0);
    ASSERT_TRUE(demo.wait(60000));
    EXPECT_EQ(7u, demo.exitCode());
}

TEST(VornDemoProcess, SecondStartActivatesTheFirst) {
    ChildProcess first;
    ASSERT_TRUE(first.start(L"VornDemo.exe", L""));
    HWND window = WaitForDemoWindow(60000);
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    ChildProcess second;
    ASSERT_TRUE(second.start(L"VornDemo.exe", L""));
    ASSERT_TRUE(second.wait(60000));
    EXPECT_EQ(14u, second.exitCode());
    EXPECT_FALSE(IsIconic(window)) << "the first one's window is restored";

    ChildProcess both;
    ASSERT_TRUE(both.start(L"VornDemo.exe", L"/AllowMultipleInstances /DemoSeconds:1"));
    ASSERT_TRUE(both.wait(60000));
    EXPECT_EQ(0u, both.exitCode()) << "with AllowMultipleInstances both run";
    EXPECT_TRUE(IsWindow(window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.wait(60000));
    EXPECT_EQ(0u, first.exitCode());
}

} // namespace
} // namespace vorn
