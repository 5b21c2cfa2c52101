// The installation an update program serves: the one whose folder holds it.
// The program carries its product's description (the payload VornPack gives
// it: "Data/Xml/Product.xml", the product's Application element, its
// executable and its UpdateFeed); the uninstall entry of that product whose
// "VornLib.InstallFolder" is this program's folder gives the scope and the
// installed version, as the list of installed programs shows it.
#pragma once

#include "VornLib/app/InstallScope.h"
#include "VornLib/app/UpdateFeedDeclaration.h"
#include "VornLib/core/Uuid.h"

namespace vornupdate {

struct Installation {
    vorn::UUID product;
    vorn::String name;
    vorn::String folder;     // with a separator at its end
    vorn::String executable; // in full; empty when the product names none
    vorn::InstallScope scope = vorn::InstallScope::Machine;
    vorn::String version; // empty when interrupted
    // No entry, but the record of an installation into this folder that was
    // interrupted: any version of the feed finishes it.
    bool interrupted = false;
    vorn::UpdateFeedDeclaration feed;
};

// 0; 22 when the program's payload is missing or declares no feed (the
// message says which); 4 when no entry of the product names this folder and
// no record of an interrupted installation does.
int32_t FindInstallation(Installation* installation, vorn::String* message);

// The version the installation's entry records now; empty without one.
vorn::String RecordedVersion(const Installation& installation);

} // namespace vornupdate
