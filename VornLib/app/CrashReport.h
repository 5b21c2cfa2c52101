// Crash report: when a structured exception escapes, a minidump goes into the
// temporary folder and a message tells the user where it is and whom to send
// it to. Also the "mailto:" link builder of the framework's e-mail links.
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// "mailto:" + address (unless already there) + "?subject=…&body=…", with "%"
// and spaces of the query escaped. Empty for a null address.
String MailLink(const char16_t* address, const char16_t* subject, const char16_t* body);

// The message shown after a crash: with the debug-help library it names the
// dump file, without it asks the user to install the library.
String CrashMessage(uint32_t exceptionCode, const String& dumpPath, const String& supportAddress,
                    bool debugHelpAvailable);

constexpr char16_t kCrashDumpName[] = u"VornLib-CrashReport.dmp";
constexpr char16_t kCrashCaption[] = u"VornLib - Crash Report";

} // namespace vorn

#ifdef _WIN32
#include "VornLib/core/Win32.h"

namespace vorn {

void OpenMailLink(const char16_t* address, const char16_t* subject, const char16_t* body);

// The filter for escaping exceptions: writes the dump, shows the message and
// returns 1 (0 for null pointers). Installed for every thread by InstallCrashReport.
LONG CrashFilter(DWORD exceptionCode, EXCEPTION_POINTERS* exception);

struct CrashReportSettings {
    String supportAddress;
    HWND (*ownerWindow)() = nullptr; // the main window, when it exists
    // Shows the message; MessageBoxW unless a test replaces it.
    void (*showMessage)(HWND owner, const String& text) = nullptr;
};
// Loads the debug-help library (from the system folder) and makes CrashFilter
// the filter of every thread's unhandled exceptions.
void InstallCrashReport(const CrashReportSettings& settings);
// The path the dump is written to.
String CrashDumpPath();

} // namespace vorn
#endif
