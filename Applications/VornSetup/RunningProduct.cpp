#include "Applications/VornSetup/RunningProduct.h"

#include "VornLib/app/ProductProgram.h"
#include "VornLib/app/ServiceChanges.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/app/UpdateFeedDeclaration.h"

namespace vornsetup {

using namespace vorn;

String RunningProgramOfProduct(const InstallManifest& manifest) {
    if (manifest.removalProgram.isEmpty())
        return String();
    String previousFolder;
    UninstallEntry entry(manifest.uuid, manifest.scope);
    (void)entry.readText(EntryValue::InstallFolder, &previousFolder);
    const std::vector<uint32_t> services = ServiceProcesses(entry.readList(kServicesList));
    for (const String& folder : {previousFolder, manifest.installFolder}) {
        if (folder.isEmpty())
            continue;
        // The installation's update program waits for this setup, which it
        // started: it is not the product, and its file may be replaced (a
        // running program's file can be renamed aside).
        const String running = RunningProductProgram(
            manifest.name, JoinPath(folder, manifest.executable),
            JoinPath(folder, kUpdateProgramFileName), NormalisedFolder(folder), services);
        if (!running.isEmpty())
            return running;
    }
    return String();
}

} // namespace vornsetup
