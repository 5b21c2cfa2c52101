// How this setup's version stands to the version installed in the scope it
// installs to, as the entry there records it ("DisplayVersion"): the welcome
// page says it ("Version 1.0 is installed; this will update it to 2.0"), and
// a setup that nobody watches refuses a downgrade (InstallerModule.cpp).
#pragma once

#include "Applications/VornSetup/InstallManifest.h"

namespace vornsetup {

enum class VersionChange {
    Fresh,     // nothing installed in this scope, or no version recorded
    Update,    // a newer version, or the same numbers with another tag
    Reinstall, // the very version installed
    Downgrade, // an older version
};

// Versions as the list of installed programs shows them ("1.5 Beta 2"):
// ordered by their numbers (CompareVersions), the same when equal as texts.
VersionChange VersionChangeOf(const String& installed, const String& offered);
// For the manifest: its installed version counts only when that entry lies in
// this installation's scope (the other scope's entry is another hive).
VersionChange VersionChangeOf(const InstallManifest& manifest);

// The welcome page's text for the change ("{0}" the installed version, "{1}"
// this setup's); null for a fresh installation, whose page says nothing of it.
const char16_t* VersionChangeText(VersionChange change);

} // namespace vornsetup
