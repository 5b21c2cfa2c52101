// The programs that hold files an installation or a removal must replace or
// delete, and asking them to close. One place decides who holds a file:
// where the system has the Restart Manager (rstrtmgr.dll, Windows Vista and
// later, loaded at run time), a session registers the files and lists every
// process that uses them, loaded or merely open. Where the library is missing,
// fails, or lists nobody (Wine's is a stub that always answers with none),
// the processes that have one of the files loaded (RunningPrograms.h) and the
// programs that run from the installation's folder stand in for it: the
// likely holders, and nothing is done to them but a request to close.
//
// Closing is asked, never forced: WM_CLOSE is posted to each visible top-level
// window of the process that has no owner (its main windows, as the user's own
// click on the close box would), then the process is waited for, at most
// kCloseWaitMilliseconds in all. A program that does not end keeps running;
// the caller replaces its files at the next restart. A process is never
// terminated: that would lose its user's unsaved work, and a program that
// wants to save asks its user first.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/platform/RunningPrograms.h"

namespace vorn {

// Thirty seconds, as long as the system gives programs at a shut-down.
constexpr uint32_t kCloseWaitMilliseconds = 30000;

// Who holds any of `paths` (files that exist), each process once, never this
// one. `folder`: the installation's folder, whose running programs are the
// holders where the Restart Manager cannot tell; may be empty.
std::vector<RunningProgram> ProgramsHoldingFiles(const std::vector<String>& paths,
                                                 const String& folder);

// How a program that was asked to close ended.
enum class CloseOutcome : uint8_t {
    Closed,       // it ended within the time
    NoWindow,     // it has no window to ask: left running
    StillRunning, // it was asked and did not end in time
    AlreadyEnded, // it had ended before it was asked
};

// How a program asked to be started again once an installation has closed
// it (RegisterApplicationRestart): its image, quoted, and the arguments it
// registered. Empty when it registered none or the system cannot say (Wine
// answers "not implemented" for every process), and when it runs with fewer
// rights than this process: started from here it would gain them, with a
// command line its user's process chose.
String RestartCommandOf(uint32_t processId);

// Starts `command` (from RestartCommandOf) in its image's folder.
Result StartRestartCommand(const String& command);

// Asks the process to close and waits at most `milliseconds` for it to end
// (what is left of kCloseWaitMilliseconds, shared by all the programs of one
// installation).
CloseOutcome AskProgramToClose(uint32_t processId, uint32_t milliseconds);

} // namespace vorn
