#include "VornLib/app/ProgramGroup.h"

#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/platform/FileSystem.h"

namespace vorn {

void RemoveProgramGroup(const String& group, const String& company, InstallScope scope) {
    if (group.isEmpty())
        return;
    const String programs = NormalisedFolder(PlacesOf(scope).startMenuPrograms());
    if (programs.isEmpty())
        return;
    const String folder = NormalisedFolder(programs + group);
    Log(LogEvent::Remove, u"{0}, the folders that are empty", {folder});
    (void)RemoveEmptyFolderTree(folder.left(folder.length() - 1));
    if (!company.isEmpty() && group.startsWith((company + u'\\').data()))
        (void)RemoveEmptyFolderTree(programs + company);
}

} // namespace vorn
