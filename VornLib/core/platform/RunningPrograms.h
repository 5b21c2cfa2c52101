// The programs that run from a folder. A program that is not built on the
// framework holds no named mutex; the installer and the removal find it by
// its processes instead: a toolhelp snapshot lists every process, and each
// one's image is read with QueryFullProcessImageNameW (limited query rights
// suffice, for processes of other users and other bitness too). Processes
// that cannot be opened, such as the system's protected ones, are passed over.
#pragma once

#include <vector>

#include "VornLib/core/String.h"

namespace vorn {

struct RunningProgram {
    uint32_t processId = 0;
    String imagePath;
};

// Processes whose image lies in `folder` or below it, compared ignoring case
// on the long forms of the paths; never this process nor another copy of its
// own executable (a launcher waiting for its elevated copy). Empty for an
// empty folder.
std::vector<RunningProgram> ProgramsRunningIn(const String& folder);

// The first process (not this one) that has `path` loaded as its image or one
// of its modules: who holds a program file or a library that must be
// replaced. A file held open without being loaded is not found (the Restart
// Manager, which would find it, is missing where the setup must also run);
// a process id of 0 then.
RunningProgram ProgramUsingModule(const String& path);

// The full path of a process's image; empty when it cannot be opened.
String ProcessImagePath(uint32_t processId);

} // namespace vorn
