// A repair ("/Repair"): the installed version set right from its own setup,
// as a reinstallation that writes only what differs. It runs only where this
// very version is installed in the setup's scope; the folder, group and
// shortcut choices are the entry's (InstallManifest::readPreviousChoices).
// Every file of the installation is compared with the setup's: by its size,
// then by the CRC-32 that the payload carries for it; the kept copy of the
// setup with the running setup itself. Only the missing and changed ones are
// written again, through the installation's own transaction, which keeps the
// others where they are (UpdateTransaction.h): a cancelled or failed repair
// leaves the installation as it was. The entry, the shortcuts and what the
// program registers are registered again, as an installation does.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/core/CommandLine.h"

namespace vornsetup {

enum class RepairReason : uint8_t { None, Missing, Changed };

// "missing" or "changed", as the log says it; null for None.
const char16_t* RepairReasonName(RepairReason reason);

// What a file holds: in the payload, or installed.
struct FileFacts {
    bool present = false;
    uint64_t size = 0;
    bool hasChecksum = false;
    uint32_t checksum = 0; // CRC-32 of its bytes
};

// Why `installed` must be written again from `expected`, None when it
// matches. A payload entry without a checksum cannot vouch for a file of the
// right size: it is written again.
RepairReason RepairReasonOf(const FileFacts& expected, const FileFacts& installed);

// 0 when the command line asks for no repair, or for one of the version
// installed in the manifest's scope; else kExitNothingToRepair and the line
// that says why ("not installed", "another version installed"), or 5 for a
// repair given an install folder (a repair keeps the installed one).
Result CheckRepair(const InstallManifest& manifest, vorn::CommandLine& commandLine,
                   String* refusal);

} // namespace vornsetup
