// Starting a program by its full path, never through the shell's
// associations or the search order, and waiting for it to end.
#pragma once

#include <cstdint>
#include <string>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

struct ProgramStart {
    String image;       // the program's full path
    String commandLine; // as the program reads it, its own path first
    String folder;      // where it starts; empty: the program's own folder
    bool hidden = false;
    // An environment block ("NAME=value\0…\0"); null: this process's.
    std::u16string* environment = nullptr;
};

// 0 once started (`process` holds it, when given); else the system's error.
Result StartProgram(const ProgramStart& start, KernelHandle* process = nullptr);

// Starts and waits for at most `milliseconds`: 0 with its exit code; 9 when
// it ran longer and was ended by force; else the start's error.
Result RunProgramToEnd(const ProgramStart& start, uint32_t milliseconds, uint32_t* exitCode);

} // namespace vorn
