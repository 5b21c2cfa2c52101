// The files of a repair (RepairCheck.h): what the installed ones hold, which
// of them the repair writes again, and the copy of the setup that the
// installation keeps for the next repair.
#pragma once

#include "Applications/VornSetup/RepairCheck.h"

namespace vornsetup {

// The size of the file at `path` and, when `withChecksum`, the CRC-32 of its
// bytes; a file that cannot be read counts as absent.
FileFacts ReadFileFacts(const String& path, bool withChecksum);

// Marks the files that the repair leaves as they are (FileEntry::kept and
// InstallManifest::setupCopyKept) and logs the others with their reasons.
// Fails only when the setup's payload cannot be read (22).
Result SelectFilesToRepair(InstallManifest& manifest);

// Which files the installation writes: a repair's (SelectFilesToRepair),
// else all of them, and the kept setup unless it is the running one.
Result ChooseFilesToWrite(InstallManifest& manifest);

// Whether the running setup is the copy that the installation keeps: then it
// stays as it is (a running program cannot be deleted once put aside).
bool RunsFromKeptSetup(const InstallManifest& manifest);

// Writes the running setup to `destination`, where the installation keeps it
// for a later repair.
Result CopyRunningSetup(const String& destination);

} // namespace vornsetup
