// Facts about the running system that the framework asks for: the
// operating-system level, elevation, the monotonic clock and the special
// folders (each returned ending with "\").
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

// 5 for Windows 10 and later, 4 for 8, 3 for 7, 2 for Vista, 1 for XP.
uint32_t OperatingSystemLevel();
// True for an elevated token, at level 1 or below, and when the token cannot be read.
bool IsProcessElevated();
// True for a 32-bit process on 64-bit Windows.
bool IsWow64();

// Seconds from the performance counter (multimedia timer when it is missing).
double MonotonicSeconds();

String TemporaryFolder();
// Creates an empty file with the prefix "vnl" in the temporary folder; its path.
String TemporaryFileName();
String ProgramFilesFolder();      // as a 32-bit program sees it
String StartMenuProgramsFolder(); // all users, else the user's own
String DesktopFolder();
String AppDataFolder();
String QuickLaunchFolder();

// The full path of the running executable.
String ExecutablePath();

} // namespace vorn
