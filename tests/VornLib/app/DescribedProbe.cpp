// A framework program whose main window is described in its payload, as a
// vendor would ship it: the runtime reads the description and shows the
// window. The payload's description holds a mistake, so the program tells
// why it cannot show its window and ends with the reading's result.
#include "VornLib/app/Entry.h"

namespace {

using namespace vorn;

Result LoadDescription(ApplicationDescription* description) {
    return LoadApplicationDescription({u"Data/Xml/DescribedProbe.xml", u"Data/Xml/Windows.xml"},
                                      description);
}

} // namespace

int wmain() {
    ProgramDefinition program;
    program.loadDescription = LoadDescription;
    return RunApplication(program);
}
