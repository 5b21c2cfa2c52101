#include "Applications/VornSetup/UpdateBases.h"

#include "Applications/VornSetup/RepairFiles.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/data/BinaryDelta.h"
#include "VornLib/data/FileStream.h"
#include "VornLib/data/NameHash.h"

namespace vornsetup {

using namespace vorn;

namespace {

String BasePath(const InstallManifest& manifest, const FileEntry& entry) {
    return LongPath(JoinPath(manifest.installedFolder, entry.relativePath));
}

Result DoesNotApply(const char16_t* reason, const String& detail) {
    Log(LogEvent::Delta, u"does not apply: {0} {1}", {reason, detail});
    return Result(kExitUpdateDoesNotApply);
}

// The installed file, copied as it is: its bytes are checked as they pass.
Result CopyInstalled(FileStream& base, const FileEntry& entry, FileStream& destination) {
    std::vector<uint8_t> buffer(1 << 20);
    uint64_t remaining = base.size();
    if (remaining != entry.base.size)
        return Result(kExitUpdateDoesNotApply);
    uint32_t crc = 0;
    while (remaining) {
        const uint32_t count = uint32_t(std::min<uint64_t>(remaining, buffer.size()));
        if (base.read(buffer.data(), count) != kResultOk)
            return Result(kExitUpdateDoesNotApply);
        crc = Crc32(crc, buffer.data(), count);
        const Result written = destination.write(buffer.data(), count);
        if (written != kResultOk)
            return written;
        remaining -= count;
    }
    return crc == entry.base.checksum ? kResultOk : Result(kExitUpdateDoesNotApply);
}

} // namespace

bool IsDeltaSetup(const InstallManifest& manifest) {
    if (!manifest.updateOf.isEmpty())
        return true;
    for (const FileEntry& entry : manifest.files) {
        if (entry.base.source != FileSource::Payload)
            return true;
    }
    return false;
}

Result CheckUpdateBases(const InstallManifest& manifest) {
    if (!IsDeltaSetup(manifest))
        return kResultOk;
    // A file list that names bases but no version is no setup VornPack made.
    if (manifest.updateOf.isEmpty())
        return DoesNotApply(u"the file list names no version", String());
    if (!manifest.installed || manifest.installedVersion != manifest.updateOf)
        return DoesNotApply(
            u"it updates version",
            Format(u"{0}, installed is {1}",
                   {manifest.updateOf,
                    manifest.installed ? manifest.installedVersion : String(u"none")}));
    // The elevated setup would build a program for all users out of files a
    // standard user may have replaced: the full setup carries its own bytes.
    if (manifest.scope == InstallScope::Machine && StandardUsersMayChange(manifest.installedFolder))
        return DoesNotApply(u"standard users may change", manifest.installedFolder);
    uint32_t checked = 0;
    for (const FileEntry& entry : manifest.files) {
        if (entry.base.source == FileSource::Payload)
            continue;
        const FileFacts facts = ReadFileFacts(BasePath(manifest, entry), true);
        if (!facts.present || !facts.hasChecksum || facts.size != entry.base.size ||
            facts.checksum != entry.base.checksum)
            return DoesNotApply(facts.present ? u"changed since that version:" : u"missing:",
                                entry.relativePath);
        ++checked;
    }
    Log(LogEvent::Delta, u"updates version {0}: {1} installed files as that version has them",
        {manifest.updateOf, checked});
    return kResultOk;
}

void KeepUnchangedFiles(InstallManifest& manifest) {
    if (!IsDeltaSetup(manifest) || !SamePath(manifest.installFolder, manifest.installedFolder))
        return;
    for (FileEntry& entry : manifest.files)
        entry.kept = entry.kept || entry.base.source == FileSource::Installed;
}

Result WriteFromBase(const InstallManifest& manifest, const FileEntry& entry,
                     const std::vector<uint8_t>& patch, FileStream& destination) {
    FileStream base;
    if (base.openRead(BasePath(manifest, entry).data()) != kResultOk)
        return DoesNotApply(u"cannot read", entry.relativePath);
    Result result = kResultOk;
    if (entry.base.source == FileSource::Installed) {
        Log(LogEvent::Delta, u"{0}: as installed", {entry.relativePath});
        result = CopyInstalled(base, entry, destination);
    } else {
        Log(LogEvent::Delta, u"{0}: patched ({1} bytes)",
            {entry.relativePath, uint64_t(patch.size())});
        // The delta's own checksum of the result catches a base that changed
        // after the check, as well as a damaged delta.
        result = base.size() == entry.base.size
                     ? ApplyBinaryDelta(base, patch.data(), patch.size(), destination)
                     : Result(kExitUpdateDoesNotApply);
        if (result == kResultCrcError || result == kResultOutOfRange)
            result = Result(kExitUpdateDoesNotApply);
    }
    if (result == Result(kExitUpdateDoesNotApply))
        return DoesNotApply(u"changed while read:", entry.relativePath);
    return result;
}

} // namespace vornsetup
