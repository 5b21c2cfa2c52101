// The program's command line: switches ("-" or "/", a value after "=" or ":")
// and plain arguments (document paths). Switch names compare ignoring case;
// looking a switch up marks it as used, so that what nobody asked for can be
// told apart.
#pragma once

#include <vector>

#include "VornLib/core/String.h"

namespace vorn {

struct CommandLineSwitch {
    String name;
    String value;
    bool hasValue = false;
    bool used = false;
};

class CommandLine {
public:
    // Splits the whole command line; the first token (the program) is dropped.
    void parse(const char16_t* commandLine);

    bool hasSwitch(const char16_t* name);
    // The switch's value; false (and an empty value) when absent or without value.
    bool switchValue(const char16_t* name, String* value);

    const std::vector<CommandLineSwitch>& switches() const { return switches_; }
    const std::vector<String>& arguments() const { return arguments_; }

    // Tokens separated by whitespace; a double quote toggles a quoted stretch
    // and stays in the token.
    static std::vector<String> Tokenize(const char16_t* commandLine);

private:
    CommandLineSwitch* find(const char16_t* name);

    std::vector<CommandLineSwitch> switches_;
    std::vector<String> arguments_;
};

} // namespace vorn
