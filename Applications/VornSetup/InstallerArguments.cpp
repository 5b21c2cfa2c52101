#include "Applications/VornSetup/InstallerModule.h"

namespace vornsetup {

vorn::String InstallerModule::ChildArguments(bool quiet, const vorn::String* installFolder) {
    vorn::String arguments;
    if (quiet)
        arguments += u" -Quiet";
    arguments += u" -AllowMultipleInstances -LaunchedAsAdministrator";
    if (installFolder)
        arguments += u" -InstallFolder:\"" + *installFolder + u'"';
    return arguments;
}

} // namespace vornsetup
