#include "VornLib/app/ProgramGroup.h"

#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32.h"
#include "VornLib/core/platform/FileSystem.h"

namespace vorn {

void RemoveProgramGroup(const String& group, InstallScope scope) {
    if (group.isEmpty())
        return;
    const String programs = NormalisedFolder(PlacesOf(scope).startMenuPrograms());
    if (programs.isEmpty())
        return;
    String folder = NormalisedFolder(programs + group);
    Log(LogEvent::Remove, u"{0}, the folders that are empty", {folder});
    folder = folder.left(folder.length() - 1);
    (void)RemoveEmptyFolderTree(folder);
    // The folders above it that the group's name made ("Company" of
    // "Company\Name"), each only when nothing else is left in it.
    for (int32_t cut = folder.findLast(u'\\'); cut > int32_t(programs.length()) - 1;
         cut = folder.findLast(u'\\')) {
        folder = folder.left(uint32_t(cut));
        if (!RemoveDirectoryW(Wide(LongPath(folder).data())))
            break;
    }
}

} // namespace vorn
