// The exit codes a setup and a removal end with, in one table: for each, the
// program that ends with it, its name, what it means for an administrator
// who deploys the program, and the response a package manager gives for it
// (winget's "ReturnResponse"). The README's table, the setup's result file
// and log, the removal's log and VornPack's winget manifest all read this
// table, so that none of them can say another thing. Each program has one
// row for every code without a row of its own (a failure with a framework
// result code that has no more specific advice).
#pragma once

#include <cstdint>

namespace vorn {

enum class ExitCodeProgram : uint8_t { Setup, Removal };

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
constexpr int32_t kExitNothingToRepair = 50;

struct ExitCode {
    ExitCodeProgram program;
    int32_t code;
    const char16_t* name;
    const char16_t* meaning;
    // Null where a package manager never sees the code (success, a code of
    // the elevated copy alone, the removal's codes).
    const char16_t* wingetResponse;
};

extern const ExitCode kExitCodes[];
extern const uint32_t kExitCodeCount;

// "setup" or "removal", as the README's table names the program.
const char16_t* ExitCodeProgramName(ExitCodeProgram program);

// The row of `code` for `program`, else that program's row for other codes.
const ExitCode& FindExitCode(ExitCodeProgram program, int32_t code);

} // namespace vorn
