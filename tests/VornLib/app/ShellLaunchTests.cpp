// Starting programs through the shell, against the real system (Wine in the automated runs).
#include <gtest/gtest.h>

#include "VornLib/app/ShellLaunch.h"

namespace vorn {
namespace {

TEST(ShellLaunchTest, WaitsAndReturnsTheExitCode) {
    EXPECT_EQ(7u, ShellLaunch(u"cmd.exe", u"/c exit 7", true, u"open"));
    EXPECT_EQ(0u, ShellLaunch(u"cmd.exe", u"/c exit 0", true, nullptr));
    EXPECT_EQ(0u, ShellLaunchElevated(u"cmd.exe", u"/c exit 0"));
    EXPECT_EQ(5u, ShellLaunch(nullptr, u"", true, u"open"));
    EXPECT_EQ(31u, ShellLaunch(u"C:\\vornlib\\no-such-program.exe", nullptr, true, u"open"));
    EXPECT_EQ(29u, ShellLaunch(u"C:\\windows\\no-such-program.exe", nullptr, false, u"open"));
}

TEST(ShellLaunchTest, HooksRunBeforeLaunching) {
    static int launches = 0;
    ShellLaunchHooks hooks;
    hooks.beforeLaunch = [] { ++launches; };
    SetShellLaunchHooks(hooks);
    EXPECT_EQ(3u, ShellLaunch(u"cmd.exe", u"/c exit 3", true, u"open"));
    SetShellLaunchHooks(ShellLaunchHooks());
    EXPECT_EQ(1, launches);
}

} // namespace
} // namespace vorn
