// The removal's command line: "/Uninstall" from the list of installed
// programs (the entry's "UninstallString", and with "/Quiet" its
// "QuietUninstallString"), "/Quiet /Update" from a newer setup, and what may
// go with them: "/Quiet" and "/Passive" (no question, no message),
// "/Language" (the questions' language, wherever it stands), "/Log" and
// the elevated copy's own "/LogFileId" and "/LaunchedAsAdministrator". As
// the setup does, the removal refuses anything else before it asks or
// touches anything (a typo such as "/Qiuet" would otherwise leave a
// question nobody sees on a machine nobody watches): 5, with one line on
// the console. "/?" shows the switches it accepts and ends with 0.
#pragma once

#include "VornLib/core/CommandLine.h"

namespace vorn {

// What "/?" shows.
String RemovalUsage();

// 0 when the command line holds only what the removal accepts; else 5 and
// the line that says why.
Result CheckRemovalCommandLine(CommandLine& commandLine, String* message);

#ifdef _WIN32
// True when the command line is answered without a removal: refused (the line
// on the console, `exitCode` 5), or "/?" (the switches, on the console or in
// a message box with `caption`, `exitCode` 0).
bool AnswerRemovalCommandLine(CommandLine& commandLine, const String& caption, int32_t* exitCode);
#endif

} // namespace vorn
