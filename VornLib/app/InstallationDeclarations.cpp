#include "VornLib/app/InstallationDeclarations.h"

namespace vorn {

Result ReadInstallationDeclarations(const XmlNode& settings, InstallationDeclarations* out,
                                    String* problem) {
    *out = InstallationDeclarations();
    Result result = ReadSettingDeclarations(settings, &out->settings, problem);
    if (result == kResultOk)
        result = ReadServiceDeclarations(settings, &out->services, problem);
    if (result == kResultOk)
        result = ReadPrerequisiteDeclarations(settings, &out->prerequisites, problem);
    if (result == kResultOk)
        result = ReadStepDeclarations(settings, &out->steps, problem);
    return result;
}

} // namespace vorn
