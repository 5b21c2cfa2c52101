// StepRuns: the declared steps (StepDeclarations.h) of an installation run
// in its transaction. Before a step whose undo there is runs, its undo
// command goes to a recorder (the update's journal keeps it), so that a
// roll-back in this process or in a later one after a kill runs the undo of
// every step that had begun, last first; a step that failed is not undone
// (a mark after its record says so). What the removal runs afterwards goes into the uninstall
// entry's "StepsList": the BeforeRemoval steps, then the AfterInstall steps'
// undos, last first.
// A step runs only a program inside the installation's folder: one that a
// record names elsewhere (a record in the user's hive is the user's to write)
// is refused and logged. Such a program runs with the rights of the process
// that installs or removes, which asks for no more: a per-user
// installation's programs run as the user's own setup does, an installation
// for all users' programs from a folder only administrators may change.
#pragma once

#include <functional>
#include <vector>

#include "VornLib/app/StepDeclarations.h"

namespace vorn {

using StepRecorder = std::function<Result(const String& record)>;

class StepRuns {
public:
    explicit StepRuns(const String& installFolder) : installFolder_(installFolder) {}

    // Runs the AfterInstall steps and, when `update`, the AfterUpdate ones,
    // in order; stops at the first that fails: 49. `ran`: each step run, as the result file names
    // it; `atRemoval`: the entry's "StepsList".
    Result runAfterInstallation(const std::vector<StepDeclaration>& steps,
                                const PlaceholderValues& values, bool update,
                                const StepRecorder& record, std::vector<String>* ran,
                                std::vector<String>* atRemoval);
    // Runs the undo commands a journal recorded, last first, but those of
    // steps that failed.
    void undo(const std::vector<String>& records);
    // Runs what an entry's "StepsList" holds, in order; a failure is logged
    // and the removal goes on.
    void runAtRemoval(const std::vector<String>& list);

private:
    bool mayRun(const StepCommand& command);
    Result run(const StepCommand& command, uint32_t* exitCode);
    void runRecorded(const String& record, const char16_t* what);

    String installFolder_;
};

} // namespace vorn
