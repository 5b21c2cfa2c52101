// VornPack's command line: the table of commands with their usage texts, the
// arguments as framework texts (so that Unicode paths survive on Windows), the
// reading of options, and the one-line messages of a failure. A command gets
// the arguments after its name and returns the exit code: 0, or the result
// code of the failure, which it has reported in one line on standard error.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vornpack {

using Arguments = std::vector<vorn::String>;
using CommandFunction = int (*)(const Arguments& arguments);

// The arguments after the program's name: the platform's own UTF-16 command
// line on Windows, UTF-8 decoded elsewhere.
Arguments CommandArguments(int argc, char** argv);

// Runs the command that the first argument names; prints every usage and
// gives 5 for an unknown or missing one.
int RunCommandLine(const Arguments& arguments);

// Prints "VornPack <command>: <what> (result <result>)"; the exit code.
int Fail(const char16_t* command, const vorn::String& what, vorn::Result result);
// Prints the command's usage; 5.
int Usage(const char16_t* command);

// Takes the options out of a command's arguments: flags ("--quiet") and
// options with a value ("-o <file>"), the first of each name; what is left
// are the command's own arguments.
class OptionReader {
public:
    explicit OptionReader(Arguments arguments) : rest_(std::move(arguments)) {}

    // Whether the flag was given.
    bool flag(const char16_t* name);
    // Whether the option was given; its value goes to `value`, which stays as
    // it is when the option is absent.
    bool value(const char16_t* name, vorn::String* value);
    // False when an option came without its value.
    bool complete() const { return complete_; }
    const Arguments& rest() const { return rest_; }

private:
    Arguments rest_;
    bool complete_ = true;
};

} // namespace vornpack
