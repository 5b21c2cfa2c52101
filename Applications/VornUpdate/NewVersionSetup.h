// Installing a release: its setup downloaded into a folder of its own in the
// user's temporary folder, then held open so that nobody may change or
// replace it, checked through that very handle (its size, SHA-256 and
// signature against the feed's), and only then run, with the switch of the
// installation's scope. The setup asks for administrator rights itself when
// the installation is for all users (one prompt); per user it runs with the
// user's own. The file and its folder are deleted once it has ended.
//
// Programs that run from the install folder are asked to close by the setup
// ("/CloseApplications", its default with /Quiet and /Passive); the
// product's executable, when it was running before, is started again once
// the new version is installed.
#pragma once

#include "Applications/VornUpdate/UpdateInstallation.h"
#include "Applications/VornUpdate/UpdateSwitches.h"
#include "VornLib/app/UpdateFeedDocument.h"

namespace vornupdate {

// The setup's exit code once it ran; kExitFeedUnavailable when it cannot be
// downloaded, kExitNotTrusted when it is not the one the feed signed, or
// the failure's result code; `message` says why.
int32_t InstallRelease(const Installation& installation, const vorn::FeedRelease& release,
                       SetupWindows windows, vorn::String* message);

} // namespace vornupdate
