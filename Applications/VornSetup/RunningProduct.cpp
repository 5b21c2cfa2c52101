#include "Applications/VornSetup/RunningProduct.h"

#include "VornLib/app/ProductProgram.h"
#include "VornLib/app/UninstallEntry.h"

namespace vornsetup {

using namespace vorn;

String RunningProgramOfProduct(const InstallManifest& manifest) {
    if (manifest.removalProgram.isEmpty())
        return String();
    String previousFolder;
    (void)UninstallEntry(manifest.uuid, manifest.scope)
        .readText(EntryValue::InstallFolder, &previousFolder);
    for (const String& folder : {previousFolder, manifest.installFolder}) {
        if (folder.isEmpty())
            continue;
        const String running = RunningProductProgram(
            manifest.name, JoinPath(folder, manifest.executable), NormalisedFolder(folder));
        if (!running.isEmpty())
            return running;
    }
    return String();
}

} // namespace vornsetup
