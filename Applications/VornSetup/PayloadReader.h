// The running setup's payload, mounted for one reader of its own. The
// resource file system's mount serves the whole process one entry at a
// time; the installation's worker reads through mounts of its own, so that
// the windows' reading of pictures and texts never meets it halfway.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EmbeddedBigFile.h"

namespace vornsetup {

struct PayloadReader {
    vorn::EmbeddedBigFile payload;
    vorn::ArchiveMount mount;

    vorn::Result open() {
        const vorn::Result result = payload.open();
        return result == vorn::kResultOk ? mount.open(&payload) : result;
    }
    // Every file the manifest takes from the payload is in it.
    bool holdsAll(const InstallManifest& manifest) const {
        for (const FileEntry& entry : manifest.files) {
            if (entry.base.source != vorn::FileSource::Installed &&
                !mount.contains((manifest.sourceRoot + entry.relativePath).data()))
                return false;
        }
        return true;
    }
};

} // namespace vornsetup
