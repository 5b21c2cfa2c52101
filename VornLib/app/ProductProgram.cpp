#include "VornLib/app/ProductProgram.h"

#include "VornLib/core/Path.h"

#ifdef _WIN32
#include "VornLib/core/platform/RunningPrograms.h"
#endif

namespace vorn {

String ProductExecutablePath(const ApplicationDescription& description, const String& ownPath) {
    return description.executable.isEmpty()
               ? ownPath
               : JoinPath(ParentFolder(ownPath), description.executable);
}

#ifdef _WIN32

String RunningProductProgram(const String& productName, const String& productExecutable,
                             const String& folder) {
    const std::vector<RunningProgram> running = ProgramsRunningIn(folder);
    if (running.empty())
        return String();
    const String& image = running.front().imagePath;
    return SamePath(image, productExecutable) ? productName : FileNameOf(image);
}

#endif

} // namespace vorn
