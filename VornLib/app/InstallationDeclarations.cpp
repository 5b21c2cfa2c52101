#include "VornLib/app/InstallationDeclarations.h"

#include <algorithm>

#include "VornLib/app/DeclarationReader.h"
#include "VornLib/core/Format.h"

namespace vorn {
namespace {

template <typename Declaration>
Result CheckComponentsNamed(const std::vector<Declaration>& declarations,
                            const std::vector<ComponentDeclaration>& components, String* problem) {
    for (const Declaration& declaration : declarations) {
        if (!declaration.component.isEmpty() &&
            FindComponent(components, declaration.component) < 0)
            return DeclarationReader(problem).fail(
                kResultInvalidArgument, declaration.position,
                Format(u"Component \"{0}\" is not declared in Components",
                       {declaration.component}));
    }
    return kResultOk;
}

template <typename Declaration>
void LeaveOut(const std::vector<ComponentDeclaration>& components, const ComponentChoice& choice,
              std::vector<Declaration>* declarations) {
    const auto leftOut = [&](const Declaration& declaration) {
        if (declaration.component.isEmpty())
            return false;
        const int32_t index = FindComponent(components, declaration.component);
        return index >= 0 && size_t(index) < choice.size() && !choice[size_t(index)];
    };
    declarations->erase(std::remove_if(declarations->begin(), declarations->end(), leftOut),
                        declarations->end());
}

} // namespace

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
    if (result == kResultOk)
        result = ReadComponentDeclarations(settings, &out->components, problem);
    const auto& components = out->components;
    if (result == kResultOk)
        result = CheckComponentsNamed(out->settings, components, problem);
    if (result == kResultOk)
        result = CheckComponentsNamed(out->services, components, problem);
    if (result == kResultOk)
        result = CheckComponentsNamed(out->prerequisites, components, problem);
    if (result == kResultOk)
        result = CheckComponentsNamed(out->steps, components, problem);
    return result;
}

void LeaveOutComponents(const ComponentChoice& choice, InstallationDeclarations* declared) {
    LeaveOut(declared->components, choice, &declared->settings);
    LeaveOut(declared->components, choice, &declared->services);
    LeaveOut(declared->components, choice, &declared->prerequisites);
    LeaveOut(declared->components, choice, &declared->steps);
}

} // namespace vorn
