// What a click on a link does with its target, for the rich edit's links and
// the "URL" control: "cmd:" + a command name posts that command; a target
// with "@" starts a new e-mail ("mailto:" is added when missing); anything
// else opens with the shell. Where bare names are commands (the "URL"
// control's targets), a target without ":" is a command name as well.
#pragma once

#include "VornLib/core/String.h"
#include "VornLib/core/Win32.h"

namespace vorn {

struct LinkCommand {
    HWND window = nullptr; // receives the command as WM_COMMAND
    LPARAM source = 0;     // the command's second parameter
    bool bareNames = false;
};

void OpenLinkTarget(const String& target, const LinkCommand& command);

} // namespace vorn
