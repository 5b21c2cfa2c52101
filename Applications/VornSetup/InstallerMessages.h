// The vocabulary of the wizard's windows: the installer's private window
// message with its commands, and the outcomes of a transfer in one table (the
// end page a result shows, the command that shows it, the analytics label and
// what the page says).
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32.h"

namespace vornsetup {

// The installer's private window message, posted to the main window; wParam
// says what to do, lParam carries the transfer's result with the three
// outcomes (0 otherwise).
constexpr UINT kInstallerMessage = WM_APP + 0x100;
enum InstallerCommand : WPARAM {
    kShowCanceledPage = 1,
    kShowFailurePage = 2,
    kShowSuccessPage = 3,
    kCloseMainWindow = 4,
    kRunApplication = 5,
    kStartInstallation = 6,
    kEnableInstall = 7,
    kDisableInstall = 8,
    kSelectLicenseTab = 9,
};

struct Outcome {
    vorn::Result result; // the last row stands for every result not listed
    WPARAM command;
    const char16_t* page;
    const char16_t* label;   // the analytics event's: "Success", "Canceled", "Failure"
    const char16_t* message; // the end page's "Message"; null: the page's own
};

// The row of a transfer's result.
const Outcome& OutcomeOf(vorn::Result result);
// The row a private message shows: the one of `command` for `result`, else
// that command's general one; null for a command that shows no end page.
const Outcome* OutcomeOf(WPARAM command, vorn::Result result);

} // namespace vornsetup
