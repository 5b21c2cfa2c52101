// The runtime's behaviour as a whole process: exit codes, single-instance
// control, the absence of a description and a window description that cannot
// be read. Needs a display (Xvfb).
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TestText.h"
#include "WindowDriver.h"

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

// A vendor's mistake in the main window's description is told, not swallowed:
// the message names the window and the mistake, and the exit code stays the
// reading's. A quiet run, which reads no window, shows nothing.
TEST(RuntimeProcess, UnreadableWindowDescriptionIsTold) {
    ChildProcess probe;
    ASSERT_TRUE(probe.start(L"VornDescribedProbe.exe", L""));
    HWND box = vorntest::WaitForWindow(L"DescribedProbe", 30);
    ASSERT_NE(nullptr, box) << "no message";
    std::wstring shown;
    for (const auto& child : vorntest::ChildTexts(box))
        shown += child.second + L"\n";
    EXPECT_NE(std::wstring::npos, shown.find(L"The window \u201CMainWindow\u201D cannot be shown"))
        << ToPrintable(reinterpret_cast<const char16_t*>(shown.c_str()));
    EXPECT_NE(std::wstring::npos,
              shown.find(L"Line 6, column 23 of its description: HorizontalAlign=\"Justify\" is "
                         L"not allowed; allowed: Left, Center, Right"))
        << ToPrintable(reinterpret_cast<const char16_t*>(shown.c_str()));
    EXPECT_TRUE(vorntest::PressButton(box, L"OK"));
    ASSERT_TRUE(probe.wait(30000));
    EXPECT_EQ(39u, probe.exitCode());

    ChildProcess quiet;
    ASSERT_TRUE(quiet.start(L"VornDescribedProbe.exe", L"/Quiet"));
    ASSERT_TRUE(quiet.wait(30000)) << "a quiet run waited for an answer";
    EXPECT_EQ(0u, quiet.exitCode());
}

} // namespace
} // namespace vorn
