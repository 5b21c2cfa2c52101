// The entry function of every program built on the framework: processor
// check, per-thread slots, OLE and common controls, the crash report, the
// runtime with its modules, and the main loop. Programs call RunApplication
// from their wWinMain.
#pragma once

#include "VornLib/app/AppModule.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/String.h"

namespace vorn {

class Window;

struct ProgramDefinition {
    // Registers the program's documents and reads its "Application" element:
    // 29 without one, 6 for a missing attribute.
    Result (*loadDescription)(ApplicationDescription* description) = nullptr;
    // The program's own module, added after the window-system module.
    AppModule* (*createModule)() = nullptr;
    // The object of the described main window (the description's
    // "MainWindow"); null makes a plain framework window.
    Window* (*createMainWindow)() = nullptr;
};

// The process exit code.
int RunApplication(const ProgramDefinition& program);

// For loadDescription, once the program's documents are registered: their
// "Application" element read into `description`; 29 without one, 6 for a
// missing attribute.
Result ReadApplicationElement(ApplicationDescription* description);

// The caption of the processor message: the executable's file name up to its
// first ".", lower-cased, with the first letter of each word upper-cased.
String CaptionFromFileName(const String& fileName);

} // namespace vorn
