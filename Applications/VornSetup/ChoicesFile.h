// The choices file ("/SaveChoices:<file>", "/LoadChoices:<file>"): what an
// installation was made with, written by one setup and read back as the
// defaults of another, so that many machines get what one was given. A
// small text in UTF-8, one "Name=value" a line (CRLF or LF), blanks around
// either side ignored, empty lines and lines that begin with "#" skipped:
//
//   Scope=AllUsers                   or CurrentUser
//   InstallFolder=C:\Program Files\Demo
//   ProgramGroup=Demo
//   CreateDesktopShortcut=1          1 or 0
//   CreateQuickLaunchShortcut=0      1 or 0
//   Components=Core,Docs             the components chosen (a product that has them)
//
// Each entry stands for the switch of its name (Scope for "/AllUsers" or
// "/CurrentUser") and is judged by that switch's own check: a folder the
// options page would refuse is refused here too, and the installation's
// rules (the scope allowed, a folder standard users may change) follow as
// for the switch. A switch on the command line wins over its entry. Any
// entry may be left out; one given twice or of another name refuses the
// whole file.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/core/CommandLine.h"

namespace vornsetup {

// The document for the installation `manifest` describes, its entries in the
// order above.
String ChoicesDocument(const InstallManifest& manifest);

// Reads `text`, the file at `path`, and gives `commandLine` the switches its
// entries stand for, where it has none of its own: 0, else 5 (31 for a folder
// or group refused) and the line that names the file and what is wrong; the
// command line is left as it was then.
Result ApplyChoices(const String& text, const String& path, vorn::CommandLine& commandLine,
                    String* message);

#ifdef _WIN32
// "/LoadChoices": its file read and applied (above); 0 without the switch,
// 5 when the file cannot be read or is no UTF-8 text.
Result LoadChoicesFile(vorn::CommandLine& commandLine, String* message);
// The document written to `path` in full or not at all.
Result WriteChoicesFile(const String& path, const InstallManifest& manifest);
#endif

} // namespace vornsetup
