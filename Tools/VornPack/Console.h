// What the VornPack commands share: their table entry and text output.
#pragma once

#include <string>

#include "VornLib/core/String.h"

namespace vornpack {

// A command gets the arguments after its own name and returns the exit code.
using CommandFunction = int (*)(int argc, char** argv);

std::string Utf8(const vorn::String& text);
// Prints one line to standard output or standard error.
void PrintLine(const vorn::String& text);
void PrintError(const vorn::String& text);

int RunVersion(int argc, char** argv);
// Parses each XML file with the framework's reader; non-zero when any fails.
int RunCheckXml(int argc, char** argv);

} // namespace vornpack
