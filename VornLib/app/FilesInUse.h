// What an installation or a removal does about files that other programs
// hold, and how it ends when some of them can only change at the next
// restart. The command line decides, as MSI's and other installers' do:
//   "/CloseApplications"    the holders are asked to close
//                           (ProgramsInTheWay.h: WM_CLOSE, at most 30 s);
//                           the default without windows ("/Quiet",
//                           "/Passive").
//   "/NoCloseApplications"  nobody is asked: a held file fails the
//                           installation with 27, its holder named in the log.
//   neither, in the wizard  as "/NoCloseApplications".
// A file still held once its holders were asked is replaced (or, by a
// removal, deleted) at the next restart, through the system's list of pending
// renames. The installation or removal then ends with 3010 ("restartNeeded"),
// or, with "/ForceRestart", restarts Windows and ends with 1641
// ("restartInitiated"); "/NoRestart" never restarts (3010 stays).
#pragma once

#include <vector>

#include "VornLib/core/CommandLine.h"
#include "VornLib/core/Result.h"

namespace vorn {

enum class HeldFilesChoice : uint8_t { Refuse, Close };
enum class RestartChoice : uint8_t { Never, Force };

// The four switches as given (" /CloseApplications /NoRestart"), for an
// elevated copy.
String FilesInUseSwitches(CommandLine& commandLine);

// `unattended`: "/Quiet" or "/Passive".
HeldFilesChoice HeldFilesChoiceOf(CommandLine& commandLine, bool unattended);
RestartChoice RestartChoiceOf(CommandLine& commandLine);

// The code a completed installation or removal ends with: `completed` (its
// code when nothing waits for a restart), 3010 when something does, 1641
// when the restart was begun.
int32_t CompletedExitCode(int32_t completed, bool restartNeeded, bool restartBegun);

#ifdef _WIN32
// Asks every program that holds one of `held` to close, logging each, and
// gives the files still held afterwards. `folder`: the installation's. The
// programs closed that asked to be started again add their command lines to
// `restarts`, when given.
std::vector<String> CloseProgramsHolding(const std::vector<String>& held, const String& folder,
                                         std::vector<String>* restarts = nullptr);
// Starts again the programs closed, once the installation has ended (done or
// undone), logging each.
void RestartClosedPrograms(std::vector<String>* restarts);

// True when `path` exists and another program holds it against a rename
// or a deletion.
bool IsHeldByAnotherProgram(const String& path);

// Entries of the system's pending renames, done at the next restart:
// `replacement` over `place`, and `path` deleted.
Result ReplaceAtRestart(const String& replacement, const String& place);
Result DeleteAtRestart(const String& path);

// Asks Windows to restart (the shut-down right enabled for it), with a
// minute's notice for the logged-on users.
Result RestartWindows();

// What ends a completed run with `completed` (0, or the elevated copy's
// code): asks for the restart where the command line says so and gives the
// code to end with.
int32_t FinishWithRestart(CommandLine& commandLine, int32_t completed, bool restartNeeded);
#endif

} // namespace vorn
