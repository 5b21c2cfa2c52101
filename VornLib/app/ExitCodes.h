// The exit codes a setup and a removal end with, in one table: for each, the
// program that ends with it, its name, what it means for an administrator
// who deploys the program, and the response a package manager gives for it
// (winget's "ReturnResponse"). The README's table, the setup's result file
// and log, the removal's log and VornPack's winget manifest all read this
// table, so that none of them can say another thing. Each program has one
// row for every code without a row of its own (a failure with a framework
// result code that has no more specific advice).
//
// Deployment tools also know the codes of the platform's own installer
// (0, 1602 cancelled, 1603 failed, 1618 another installation running, ...):
// each row names the one that stands for it, which a program ends with
// instead of its own when its command line says "/ExitCodes:Standard".
#pragma once

#include <cstdint>

#include "VornLib/core/CommandLine.h"
#include "VornLib/core/String.h"

namespace vorn {

// The setup, the removal, and the update program (VornUpdate.exe, which
// checks an installation's feed and runs the new version's setup).
enum class ExitCodeProgram : uint8_t { Setup, Removal, Update };

// The code of a program's row for every code it has no row for.
constexpr int32_t kOtherExitCodes = INT32_MIN;

// The codes a program decides on by name (their rows below say what they mean).
// The setup's elevated copy ends with these for a completed installation; any
// other code of its is the result code of a failure.
constexpr int32_t kExitInstalledStartApplication = 41; // and the user asked to start it
constexpr int32_t kExitInstalledByElevatedCopy = 42;
// The setup's refusals that no framework result code names.
constexpr int32_t kExitSetupRunning = 45;
constexpr int32_t kExitInstalledInOtherScope = 46;
constexpr int32_t kExitFolderUnavailable = 47;
// A delta setup's installed files are not the ones it was made against.
constexpr int32_t kExitUpdateDoesNotApply = 48;
// A program that the definitions run after the files (a Run step) failed.
constexpr int32_t kExitStepFailed = 49;
constexpr int32_t kExitNothingToRepair = 50;
// A prerequisite that was not found could not be installed.
constexpr int32_t kExitPrerequisiteFailed = 51;
// A Windows service of the application did not stop, or start, in time.
constexpr int32_t kExitServiceDidNotRespond = 52;
// The update program's outcomes.
constexpr int32_t kExitUpdateAvailable = 60;
constexpr int32_t kExitFeedUnavailable = 61;
constexpr int32_t kExitNotTrusted = 62;
// Completed, but some files change at the next restart: MSI's codes.
constexpr int32_t kExitRestartInitiated = 1641;
constexpr int32_t kExitRestartNeeded = 3010;

struct ExitCode {
    ExitCodeProgram program;
    int32_t code;
    const char16_t* name;
    const char16_t* meaning;
    // Null where a package manager never sees the code (success, a code of
    // the elevated copy alone, the removal's codes).
    const char16_t* wingetResponse;
    // The platform installer's code for the same outcome.
    int32_t standardCode;
};

extern const ExitCode kExitCodes[];
extern const uint32_t kExitCodeCount;

// "setup", "removal" or "update", as the README's table names the program.
const char16_t* ExitCodeProgramName(ExitCodeProgram program);

// The row of `code` for `program`, else that program's row for other codes.
const ExitCode& FindExitCode(ExitCodeProgram program, int32_t code);

// Which codes a program ends with: its own (the default) or, with
// "/ExitCodes:Standard", the standard ones.
enum class ExitCodeConvention : uint8_t { Own, Standard };

// The convention a value of "/ExitCodes" names ("Own" or "Standard", in any
// case); false for any other value.
bool ParseExitCodeConvention(const String& value, ExitCodeConvention* convention);

// 0 for a "/ExitCodes" switch with a value ParseExitCodeConvention knows;
// else 5 and the line that says why.
Result CheckExitCodesSwitch(const CommandLineSwitch& given, String* message);
// The convention the command line asks for: Own unless "/ExitCodes:Standard".
ExitCodeConvention ExitCodeConventionOf(CommandLine& commandLine);

// The code a program that decided on `code` ends with under `convention`.
int32_t ConventionalExitCode(ExitCodeProgram program, int32_t code, ExitCodeConvention convention);

} // namespace vorn
