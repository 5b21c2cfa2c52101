// The declared prerequisites (PrerequisiteDeclarations.h), installed before
// the copy where they are not found. A prerequisite's program is read out of
// the payload into a folder of its own: for all users one that only
// administrators and the system may write (so that no user's program can
// take its place before it runs with the setup's rights), per user one in
// the user's temporary folder. It is deleted once it has run.
#pragma once

#include <vector>

#include "Applications/VornSetup/InstallManifest.h"

namespace vornsetup {

struct PrerequisiteOutcome {
    // Each prerequisite, as the result file names it: "<Name>: found" or
    // "<Name>: installed (<exit code>)".
    std::vector<String> report;
    bool restartNeeded = false;
};

// Whether what `detect` names is there.
bool PrerequisiteDetected(const vorn::PrerequisiteDetection& detect);

// Runs the prerequisites not found, in order; 51 for the first that could not
// be read, started, or ended with an exit code outside its success codes.
vorn::Result InstallPrerequisites(const InstallManifest& manifest, PrerequisiteOutcome* outcome);

} // namespace vornsetup
