// Where a program that shows no window says something: the console it was
// started from. A windowed program has no console of its own; when its
// standard error is redirected (to a file or a pipe) the line goes there in
// UTF-8, else the program attaches to its parent's console, if there is one.
// A program started from Explorer has neither: the exit code then says it
// alone. An interactive command prompt does not wait for a windowed program,
// so there the line may appear after the next prompt; scripts wait
// ("start /wait", or any batch file) and read it in order.
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// Writes the line, its control characters escaped (TerminalSafe), and a line
// break; nothing when there is nowhere to write (false then).
bool WriteConsoleLine(const String& line);

// What a user asked for ("/?"): on the console as above where there is one,
// else in a message box with `caption`, which waits for OK.
void ShowConsoleOrMessage(const String& caption, const String& text);

} // namespace vorn
