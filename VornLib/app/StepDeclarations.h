// The programs an installation runs besides copying, declared inside
// InstallationSettings:
//   <Run>
//     <Step When="AfterInstall|BeforeRemoval|AfterUpdate"
//           Program="{InstallFolder}\hello-register.exe" Arguments="/register"
//           UndoArguments="/unregister" Hidden="true" TimeoutSeconds="60"
//           SuccessCodes="0"/>
//   </Run>
// AfterInstall steps run at every installation, a new one and an update,
// once its files, shortcuts and settings are in place; AfterUpdate steps only
// where an earlier version was replaced, after those. A step is waited for,
// for at most TimeoutSeconds (default 300; then it is ended), and succeeds
// when its exit code is one of SuccessCodes (default "0"); one that fails
// fails the installation, which is rolled back. UndoArguments run the same
// program again to undo a step: on that roll-back for a step that had
// succeeded, and at removal for an AfterInstall step. BeforeRemoval steps run
// at removal, before anything is taken away. Hidden (default "true") starts
// a step without a window.
// Program names a program of the installation's own, "{InstallFolder}\…":
// the setup runs it with its own rights, an administrator's for all users,
// and a folder only administrators may change is the only place such a
// program may come from.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/app/SettingDeclarations.h"

namespace vorn {

constexpr char16_t kRunElement[] = u"Run";

enum class StepTime : uint8_t { AfterInstall, BeforeRemoval, AfterUpdate, Count };
extern const char16_t* const kStepTimeNames[uint32_t(StepTime::Count)];

struct StepDeclaration {
    StepTime when = StepTime::AfterInstall;
    String program; // as declared, names in braces not replaced yet
    String arguments;
    String undoArguments; // empty: nothing undoes the step
    bool hidden = true;
    uint32_t timeoutSeconds = 300;
    std::vector<uint32_t> successCodes;
    String component; // made only when that component is chosen; empty: always
    XmlPosition position;
};

// The Step elements of `settings`' Run elements, in document order. 5 and
// "line L, column C: what is wrong" in `problem` for the first mistake: a
// When that is none of kStepTimeNames, a Program outside "{InstallFolder}\"
// or with a "." or ".." part, UndoArguments on a BeforeRemoval step, a
// timeout outside 1 to 86400 seconds, a success code that is no number, a
// name in braces that kPlaceholderNames lacks. 6 for a missing attribute.
Result ReadStepDeclarations(const XmlNode& settings, std::vector<StepDeclaration>* out,
                            String* problem);

// A step as it runs: its texts expanded.
struct StepCommand {
    String program;
    String arguments;
    bool hidden = true;
    uint32_t timeoutSeconds = 300;
    std::vector<uint32_t> successCodes;

    bool succeeded(uint32_t exitCode) const;
    // "\"<program>\" <arguments>", as a command line and a log give it.
    String commandLine() const;
};

// The step's command, with its undo arguments when `undo`; 5 where a text
// does not expand.
Result CommandOfStep(const StepDeclaration& step, const PlaceholderValues& values, bool undo,
                     StepCommand* out);

// As the journal and the uninstall entry's "StepsList" keep a command.
String EncodeStepCommand(const StepCommand& command);
// False for a malformed text, and for a program that is not a full path:
// such a record is never run.
bool DecodeStepCommand(const String& text, StepCommand* out);

} // namespace vorn
