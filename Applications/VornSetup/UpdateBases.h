// What a delta setup (UpdateDelta.h) makes its files of: the installed
// version's. Before anything is touched, the installed version must be the
// one the delta was made against and each file it builds on must hold that
// version's bytes; else the setup ends with 48 (kExitUpdateDoesNotApply) and
// its caller runs the full setup instead. The files are read from the
// installed folder while the previous installation is still in place, and
// checked again as they are read: what they become is the new version's
// bytes or nothing.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"

namespace vorn {
class FileStream;
}

namespace vornsetup {

// Whether the manifest is a delta setup's.
bool IsDeltaSetup(const InstallManifest& manifest);

// 0 for a full setup, or a delta setup whose bases are all in place; else 48,
// with the reason logged.
Result CheckUpdateBases(const InstallManifest& manifest);

// Leaves the files the delta takes as installed where they are (as a
// repair leaves the files it keeps) when the installation stays in its
// folder: their bytes were checked and are the new version's. Elsewhere they
// are copied as any file is.
void KeepUnchangedFiles(InstallManifest& manifest);

// Writes `entry` onto `destination` from its installed file: that file as it
// is, or patched with `patch` (the payload entry's bytes). 48 when the
// installed file no longer is the base; the destination's result when a
// write fails.
Result WriteFromBase(const InstallManifest& manifest, const FileEntry& entry,
                     const std::vector<uint8_t>& patch, vorn::FileStream& destination);

} // namespace vornsetup
