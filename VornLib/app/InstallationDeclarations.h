// What an installation declares besides its files, read in one go from
// InstallationSettings: registry values and the environment
// (SettingDeclarations.h), Windows services (ServiceDeclarations.h),
// prerequisites (PrerequisiteDeclarations.h) and run steps
// (StepDeclarations.h), and the components that choose among them and the
// files (ComponentDeclarations.h). The setup, VornPack's packing and its
// check-xml read them through this one call, so that none of them takes what
// another refuses.
#pragma once

#include <vector>

#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/PrerequisiteDeclarations.h"
#include "VornLib/app/ServiceDeclarations.h"
#include "VornLib/app/SettingDeclarations.h"
#include "VornLib/app/StepDeclarations.h"

namespace vorn {

struct InstallationDeclarations {
    std::vector<SettingDeclaration> settings;
    std::vector<ServiceDeclaration> services;
    // Their programs are carried in the payload and are not installed.
    std::vector<PrerequisiteDeclaration> prerequisites;
    std::vector<StepDeclaration> steps;
    std::vector<ComponentDeclaration> components;
};

// Each kind's reader in turn; the first mistake's result, with "line L,
// column C: what is wrong" in `problem`, a declaration of a component that
// Components lacks among them. What was read before it stays.
Result ReadInstallationDeclarations(const XmlNode& settings, InstallationDeclarations* out,
                                    String* problem);

// The declarations of the components `choice` leaves out taken away (the
// components themselves stay).
void LeaveOutComponents(const ComponentChoice& choice, InstallationDeclarations* declared);

} // namespace vorn
