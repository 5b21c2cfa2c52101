// VornPack's text output. One status line may stand on a terminal, rewritten
// in place; every other line, and every error, first takes it away, so that
// lines never run together. Every line is written through TerminalSafe
// (Format.h): a refused file name never drives the terminal.
#pragma once

#include <string>

#include "VornLib/core/String.h"

namespace vornpack {

std::string Utf8(const vorn::String& text);
// Prints one line to standard output or standard error.
void PrintLine(const vorn::String& text);
void PrintError(const vorn::String& text);
// Replaces the status line on standard output (no line break).
void ShowStatus(const vorn::String& text);
// Takes the status line away, before another program writes to the terminal.
void ClearStatus();
// Whether standard output is a terminal (a console on Windows), where a
// status line can be rewritten in place.
bool OutputIsTerminal();

} // namespace vornpack
