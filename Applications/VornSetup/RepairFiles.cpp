#include "Applications/VornSetup/RepairFiles.h"

#include <algorithm>
#include <vector>

#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EmbeddedBigFile.h"
#include "VornLib/data/NameHash.h"

namespace vornsetup {

using namespace vorn;

FileFacts ReadFileFacts(const String& path, bool withChecksum) {
    FileFacts facts;
    const FileHandle file(CreateFileW(Wide(LongPath(path).data()), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!file.isValid() || !GetFileSizeEx(file.get(), &size))
        return facts;
    facts.present = true;
    facts.size = uint64_t(size.QuadPart);
    if (!withChecksum)
        return facts;
    // Most files are small: no megabyte to clear for each.
    std::vector<uint8_t> buffer(size_t(std::min<uint64_t>(facts.size + 1, 1u << 20)));
    uint32_t crc = 0;
    uint64_t total = 0;
    DWORD count = 0;
    while (ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &count, nullptr) && count) {
        crc = Crc32(crc, buffer.data(), count);
        total += count;
    }
    // A read that stopped early has not seen the file's bytes.
    facts.hasChecksum = total == facts.size;
    facts.checksum = crc;
    return facts;
}

namespace {

// Logs a file the repair writes again; true when it is kept.
bool Kept(const String& relative, RepairReason reason) {
    if (reason == RepairReason::None)
        return true;
    Log(LogEvent::Repair, u"{0}: {1}", {relative, RepairReasonName(reason)});
    return false;
}

} // namespace

Result SelectFilesToRepair(InstallManifest& manifest) {
    EmbeddedBigFile payload;
    ArchiveMount mount;
    Result result = payload.open();
    if (result == kResultOk)
        result = mount.open(&payload);
    if (result != kResultOk)
        return kResultCrcError;
    uint32_t written = 0;
    for (FileEntry& entry : manifest.files) {
        EntryHeader header;
        if (mount.headerOf((manifest.sourceRoot + entry.relativePath).data(), &header) != kResultOk)
            return kResultCrcError;
        const FileFacts expected{true, header.unpackedSize, header.hasDataChecksum(),
                                 header.dataChecksum};
        const String path = JoinPath(manifest.installFolder, entry.relativePath);
        // The bytes are read only where the size already matches.
        FileFacts installed = ReadFileFacts(path, false);
        if (installed.present && installed.size == expected.size && expected.hasChecksum)
            installed = ReadFileFacts(path, true);
        entry.kept = Kept(entry.relativePath, RepairReasonOf(expected, installed));
        written += entry.kept ? 0 : 1;
    }
    if (manifest.keepsSetup) {
        // The running setup is the one to keep.
        const String kept = JoinPath(manifest.installFolder, InstallManifest::kKeptSetup);
        const RepairReason reason =
            RunsFromKeptSetup(manifest)
                ? RepairReason::None
                : RepairReasonOf(ReadFileFacts(ExecutablePath(), true), ReadFileFacts(kept, true));
        manifest.setupCopyKept = Kept(InstallManifest::kKeptSetup, reason);
        written += manifest.setupCopyKept ? 0 : 1;
    }
    Log(LogEvent::Repair, u"{0} files to write again", {written});
    return kResultOk;
}

Result ChooseFilesToWrite(InstallManifest& manifest) {
    if (manifest.repairing)
        return SelectFilesToRepair(manifest);
    manifest.setupCopyKept = RunsFromKeptSetup(manifest);
    return kResultOk;
}

bool RunsFromKeptSetup(const InstallManifest& manifest) {
    return manifest.keepsSetup &&
           SamePath(JoinPath(manifest.installFolder, InstallManifest::kKeptSetup),
                    ExecutablePath());
}

Result CopyRunningSetup(const String& destination) {
    // Logged as the payload's files are.
    Log(LogEvent::File, u"{0} ({1} bytes)",
        {String(InstallManifest::kKeptSetup), ReadFileFacts(ExecutablePath(), false).size});
    (void)CreateFolderTree(ParentFolder(destination));
    if (!CopyFileW(Wide(ExecutablePath().data()), Wide(LongPath(destination).data()), FALSE)) {
        const DWORD error = GetLastError();
        LogFailure(u"creating", destination, error);
        return ResultFromSystemError(error);
    }
    return kResultOk;
}

} // namespace vornsetup
