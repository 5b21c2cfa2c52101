#include "VornLib/app/ProductProgram.h"

#include <algorithm>

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
                             const String& uncounted, const String& folder,
                             const std::vector<uint32_t>& services) {
    for (const RunningProgram& program : ProgramsRunningIn(folder)) {
        const String& image = program.imagePath;
        if ((!uncounted.isEmpty() && SamePath(image, uncounted)) ||
            std::find(services.begin(), services.end(), program.processId) != services.end())
            continue;
        return SamePath(image, productExecutable) ? productName : FileNameOf(image);
    }
    return String();
}

#endif

} // namespace vorn
