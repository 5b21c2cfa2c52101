// Facts about the running system that the framework asks for: the
// operating-system level and version, elevation, the clocks and the special
// folders (each returned ending with "\").
#pragma once

#include "VornLib/core/DateTime.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

// The operating-system levels, oldest first.
enum OperatingSystem : uint32_t {
    kWindowsXP = 1,
    kWindowsVista = 2,
    kWindows7 = 3,
    kWindows8 = 4,
    kWindows10 = 5, // and later
};
uint32_t OperatingSystemLevel();
// True for an elevated token, at level 1 or below, and when the token cannot be read.
bool IsProcessElevated();
// The same of another process (opened with PROCESS_QUERY_LIMITED_INFORMATION);
// false when its token cannot be read.
bool IsElevatedProcess(void* process);
// True for a 32-bit process on 64-bit Windows.
bool IsWow64();
// The system's version as it is, not as compatibility shims report it to a
// program, and its width: "10.0.19045, 64-bit" (with "Wine 9.0" in
// parentheses after the number under Wine).
String WindowsVersionText();

// Seconds from the performance counter (multimedia timer when it is missing).
double MonotonicSeconds();
// The framework's time now (UTC).
DateTime CurrentDateTime();

String TemporaryFolder();
// The system's own temporary folder ("<Windows>\Temp\"): users may add
// files there but not take away or rename what others made.
String SystemTemporaryFolder();
// Creates an empty file with the prefix "vnl" in the temporary folder; its path.
String TemporaryFileName();
String ProgramFilesFolder();      // as a 32-bit program sees it
String StartMenuProgramsFolder(); // all users, else the user's own
// The user's own programs folder (%LOCALAPPDATA%\Programs, where the system
// knows no other) and start menu programs: installations for one user.
String UserProgramFilesFolder();
String UserStartMenuProgramsFolder();
String UserProfileFolder(); // the current user's own folder, ending with a separator
String DesktopFolder();
String AppDataFolder();
String QuickLaunchFolder();

// The full path of the running executable.
String ExecutablePath();

} // namespace vorn
