#include "VornLib/app/StepRuns.h"

#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/platform/ChildProcess.h"

namespace vorn {

namespace {

// Follows the record of a step that failed, whose undo is not to run.
constexpr char16_t kFailedMark[] = u"failed";

} // namespace

// What a record names is refused outside the installation's folder: a record
// in the user's hive may name anything.
bool StepRuns::mayRun(const StepCommand& command) {
    if (IsPathInside(command.program, installFolder_))
        return true;
    Log(LogEvent::Step, u"not run: \"{0}\" is not inside the installation's folder \"{1}\"",
        {command.program, installFolder_});
    return false;
}

Result StepRuns::run(const StepCommand& command, uint32_t* exitCode) {
    *exitCode = 0;
    if (!mayRun(command))
        return kResultAccessDenied;
    ProgramStart start;
    start.image = command.program;
    start.commandLine = command.commandLine();
    start.hidden = command.hidden;
    Log(LogEvent::Step, u"{0}", {start.commandLine});
    const Result result = RunProgramToEnd(start, command.timeoutSeconds * 1000, exitCode);
    if (result == kResultTimedOut)
        Log(LogEvent::Step, u"still running after {0} seconds: ended", {command.timeoutSeconds});
    else if (result != kResultOk)
        Log(LogEvent::Step, u"could not start ({0})", {result});
    else
        Log(LogEvent::Step, u"ended with {0}{1}",
            {*exitCode, command.succeeded(*exitCode) ? u"" : u", which is no success code"});
    return result;
}

Result StepRuns::runAfterInstallation(const std::vector<StepDeclaration>& steps,
                                      const PlaceholderValues& values, bool update,
                                      const StepRecorder& record, std::vector<String>* ran,
                                      std::vector<String>* atRemoval) {
    ran->clear();
    atRemoval->clear();
    std::vector<String> undos;
    for (const StepDeclaration& step : steps) {
        StepCommand command;
        Result result = CommandOfStep(step, values, false, &command);
        if (step.when == StepTime::BeforeRemoval) {
            if (result == kResultOk)
                atRemoval->push_back(EncodeStepCommand(command));
            continue;
        }
        if (step.when == StepTime::AfterUpdate && !update)
            continue;
        // Recorded before it runs: a kill while it runs leaves it undone.
        StepCommand undo;
        const bool undone = !step.undoArguments.isEmpty();
        if (result == kResultOk && undone &&
            (result = CommandOfStep(step, values, true, &undo)) == kResultOk)
            result = record(EncodeStepCommand(undo));
        if (result != kResultOk)
            return result;
        uint32_t exitCode = 0;
        result = run(command, &exitCode);
        if (result != kResultOk || !command.succeeded(exitCode)) {
            Log(LogEvent::Failure, u"the step {0} failed", {command.commandLine()});
            if (undone)
                (void)record(kFailedMark);
            return Result(kExitStepFailed);
        }
        ran->push_back(Format(u"{0}: {1}", {command.commandLine(), exitCode}));
        if (step.when == StepTime::AfterInstall && !step.undoArguments.isEmpty())
            undos.insert(undos.begin(), EncodeStepCommand(undo));
    }
    atRemoval->insert(atRemoval->end(), undos.begin(), undos.end());
    return kResultOk;
}

void StepRuns::runRecorded(const String& record, const char16_t* what) {
    StepCommand command;
    if (!DecodeStepCommand(record, &command)) {
        Log(LogEvent::Step, u"a record that is no step is passed over: \"{0}\"", {record});
        return;
    }
    uint32_t exitCode = 0;
    if (run(command, &exitCode) != kResultOk || !command.succeeded(exitCode))
        Log(LogEvent::Step, u"{0} failed: {1} goes on", {command.commandLine(), what});
}

void StepRuns::undo(const std::vector<String>& records) {
    for (size_t at = records.size(); at-- > 0;) {
        if (records[at] == kFailedMark) {
            at -= at > 0 ? 1 : 0;
            continue;
        }
        runRecorded(records[at], u"the roll-back");
    }
}

void StepRuns::runAtRemoval(const std::vector<String>& list) {
    for (const String& record : list)
        runRecorded(record, u"the removal");
}

} // namespace vorn
