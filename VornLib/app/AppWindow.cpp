#include "VornLib/app/AppWindow.h"

namespace vorn {

String ProgramWindowClassName(const String& programName) {
    return programName + u"::Window";
}

} // namespace vorn
