#include "Applications/VornSetup/RepairCheck.h"

#include "Applications/VornSetup/VersionChange.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/Format.h"

namespace vornsetup {

using namespace vorn;

const char16_t* RepairReasonName(RepairReason reason) {
    // By RepairReason.
    const char16_t* const kNames[] = {nullptr, u"missing", u"changed"};
    return kNames[size_t(reason)];
}

RepairReason RepairReasonOf(const FileFacts& expected, const FileFacts& installed) {
    if (!installed.present)
        return RepairReason::Missing;
    if (installed.size != expected.size || !expected.hasChecksum || !installed.hasChecksum)
        return RepairReason::Changed;
    return installed.checksum == expected.checksum ? RepairReason::None : RepairReason::Changed;
}

Result CheckRepair(const InstallManifest& manifest, CommandLine& commandLine, String* refusal) {
    if (!commandLine.hasSwitch(u"Repair"))
        return kResultOk;
    if (commandLine.hasSwitch(u"InstallFolder")) {
        *refusal = u"A repair keeps the installed folder: /Repair takes no /InstallFolder.";
        return kResultInvalidArgument;
    }
    const String scope = InstallScopeName(manifest.scope);
    switch (VersionChangeOf(manifest)) {
    case VersionChange::Reinstall:
        return kResultOk;
    case VersionChange::Fresh:
        *refusal = Format(u"Nothing to repair: {0} is not installed ({1}). Nothing was changed.",
                          {manifest.displayName(), scope});
        break;
    default:
        *refusal = Format(
            u"Nothing to repair: {0} {1} is installed ({2}), not this setup's {3}. "
            u"Nothing was changed.",
            {manifest.displayName(), manifest.installedVersion, scope, manifest.displayVersion()});
        break;
    }
    return Result(kExitNothingToRepair);
}

} // namespace vornsetup
