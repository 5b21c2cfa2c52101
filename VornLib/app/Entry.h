// The entry function of every program built on the framework: processor
// check, per-thread slots, OLE and common controls, the crash report, the
// runtime with its modules, and the main loop. Programs call RunApplication
// from their wWinMain.
#pragma once

#include <memory>
#include <vector>

#include "VornLib/app/AppModule.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/String.h"

namespace vorn {

class MainWindow;

struct ProgramDefinition {
    // Registers the program's documents and reads its "Application" element:
    // 29 without one, 6 for a missing attribute.
    Result (*loadDescription)(ApplicationDescription* description) = nullptr;
    // The program's own module, added after the window-system module.
    AppModule* (*createModule)() = nullptr;
    // The object of the described main window (the description's
    // "MainWindow"); null makes a plain framework window.
    std::unique_ptr<MainWindow> (*createMainWindow)() = nullptr;
    // Called when another copy of the program runs (the framework has brought
    // that copy's window to the front): says so where the program has a way
    // to, and gives the code the program ends with (14 without it).
    Result (*alreadyRunning)() = nullptr;
    // Called with the exit code, whatever ended the program (its module, its
    // window, a refusal at start), as the last thing before it ends: where
    // the program reports its outcome beside its exit code. Returns the code
    // the process ends with.
    int (*ended)(int exitCode) = nullptr;
    // False for a program whose preferences last for its run only: the store
    // reads the registry and the defaults, but what the program changes
    // (a "/Language" switch, a choice) is never written back. The setup is
    // such a program: nothing it writes for itself may outlive the removal of
    // what it installed.
    bool keepsPreferences = true;
};

// The process exit code.
int RunApplication(const ProgramDefinition& program);

// What a program's loadDescription does: registers its documents in order (a
// later one may replace elements of an earlier one; one that cannot be read
// is left out, its keys fall back) and reads the "Application" element among
// them: 29 without one, 6 for a missing attribute.
Result LoadApplicationDescription(const std::vector<String>& documents,
                                  ApplicationDescription* description);

// For loadDescription, once the program's documents are registered: their
// "Application" element read into `description`; 29 without one, 6 for a
// missing attribute.
Result ReadApplicationElement(ApplicationDescription* description);

// The caption of the processor message: the executable's file name up to its
// first ".", lower-cased, with the first letter of each word upper-cased.
String CaptionFromFileName(const String& fileName);

} // namespace vorn
