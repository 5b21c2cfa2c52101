// The update program's command line:
//   /Check                 says whether the feed offers a newer version
//   /Apply [/Quiet|/Passive]  installs it, through its setup
// with "/Log[:<file>]" (the check's and the download's log; the setup
// appends its own to the same file), "/ResultFile:<file>" (UpdateResult.h)
// and "/ExitCodes:Standard" (ExitCodes.h).
// Anything else is refused before anything is downloaded: 5, with one line
// on the console; "/?" shows the switches and ends with 0.
#pragma once

#include "VornLib/core/CommandLine.h"

namespace vornupdate {

enum class UpdateAction : uint8_t { Check, Apply };

// How the new version's setup shows itself: "/Quiet" nothing, "/Passive"
// its progress alone, neither its wizard.
enum class SetupWindows : uint8_t { Wizard, Passive, Quiet };

struct UpdateRequest {
    UpdateAction action = UpdateAction::Check;
    SetupWindows windows = SetupWindows::Wizard;
    bool usage = false; // "/?"
};

vorn::String UpdateUsage();

// 0 and the request; else 5 and the line that says why.
vorn::Result ReadUpdateCommandLine(vorn::CommandLine& commandLine, UpdateRequest* request,
                                   vorn::String* message);

} // namespace vornupdate
