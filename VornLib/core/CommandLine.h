// The program's command line, read by the rules Windows programs share
// (CommandLineToArgvW): arguments are separated by blanks and tabs, double
// quotes group blanks into an argument and are removed wherever they stand
// ("/InstallFolder:C:\My Apps" may be written "/InstallFolder:\"C:\My Apps\""
// or "\"/InstallFolder:C:\My Apps\"", as PowerShell, .NET and Python quote a
// whole argument), a backslash escapes a quote, and backslashes before a
// quote halve. An argument that begins with "-" or "/" is a switch: its name
// runs up to the first ":" or "=", and the rest is its value, so a value may
// hold either ("/Log:C:\Logs\a=b.log"); "/Name=value" stays accepted because
// the "=" then comes first. Any other argument is a plain one (a document
// path). Switch names compare ignoring case; looking a switch up marks it
// as used, so that what nobody asked for can be told apart.
#pragma once

#include <cstddef>

#include <vector>

#include "VornLib/core/Result.h"
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
    // Reads the whole command line; the first argument (the program) is dropped.
    void parse(const char16_t* commandLine);

    bool hasSwitch(const char16_t* name);
    // The switch's value; false (and an empty value) when absent or without value.
    bool switchValue(const char16_t* name, String* value);
    // Adds a switch given elsewhere than on the command line (a file of
    // choices): false, and nothing added, when the line holds one of that
    // name, which wins.
    bool addSwitch(const CommandLineSwitch& entry);

    const std::vector<CommandLineSwitch>& switches() const { return switches_; }
    const std::vector<String>& arguments() const { return arguments_; }

    // The arguments as CommandLineToArgvW gives them, the program first (up to
    // its closing quote or the first blank, backslashes as they are; empty
    // after a leading blank); an empty line has none.
    static std::vector<String> Tokenize(const char16_t* commandLine);

private:
    CommandLineSwitch* find(const char16_t* name);

    std::vector<CommandLineSwitch> switches_;
    std::vector<String> arguments_;
};

// What a program's table of accepted switches says of one: its name, what
// value it takes (Boolean: "0" or "1") and how the list of accepted switches
// shows it (null for the ones a program gives itself).
enum class SwitchValue { None, Required, Optional, Boolean };
struct SwitchForm {
    const char16_t* name;
    SwitchValue value;
    const char16_t* usage;
};

// The entry of a program's table (its switches, its operations: any entry
// with a `name`) that `name` names, compared ignoring case as a command line
// is read; null for none.
template <typename Entry, size_t count>
const Entry* FindNamed(const Entry (&table)[count], const String& name) {
    for (const Entry& entry : table) {
        if (name.compareIgnoringCase(entry.name) == 0)
            return &entry;
    }
    return nullptr;
}

// The switch as the user wrote it: "/Name" or "/Name:value".
String WrittenSwitch(const CommandLineSwitch& given);
// 0 when `given` has the form `known` (null: no switch of that name) says;
// else 5 and the line that says why, `accepted` after an unknown one.
Result CheckSwitchForm(const CommandLineSwitch& given, const SwitchForm* known,
                       const String& accepted, String* message);

// A switch's value that names a file: 0 when it has none or one that a file
// may be called (IsPossibleFileName), else 5 and the line that says why.
Result CheckFileValue(const CommandLineSwitch& given, String* message);

// `text` as one argument that Tokenize gives back exactly: in double quotes,
// a quote inside escaped and the backslashes before a quote (or the closing
// one) doubled.
String QuoteArgument(const String& text);
// A switch and its value for another program's command line, led by a
// blank: " /Name:\"value\"" (the value quoted as above).
String QuoteSwitch(const char16_t* name, const String& value);

} // namespace vorn
