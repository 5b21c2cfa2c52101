// InstalledProduct: what an installation occupies, as an update's record
// (UpdateJournal) or the uninstall entry says; and InstallationPlan, what a
// setup is about to install, as the update's steps (UpdateTransaction) take
// it from the setup's manifest.
#pragma once

#include <vector>

#include "VornLib/core/String.h"

namespace vorn {

struct InstalledProduct {
    String folder;  // ends with a separator
    String program; // the program that registers it and takes that away again
    String programGroup;
    std::vector<String> files; // relative to the folder
    std::vector<String> shortcuts;
};

struct InstallationPlan {
    // Its folder, removal program, program group and files; the shortcuts
    // are known only once the registration begins.
    InstalledProduct product;
    String company;
    // An existing folder that standard users may change is worked in for
    // all users only when the administrator says so.
    bool allowUserWritableFolder = false;
    // Files of the installed version that a repair leaves as they are (they
    // match the setup's): relative to the folder, neither written nor moved.
    // The product's files are then the ones it writes again.
    std::vector<String> kept;
};

} // namespace vorn
