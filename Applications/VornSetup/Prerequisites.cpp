#include "Applications/VornSetup/Prerequisites.h"

#include <memory>

#include "Applications/VornSetup/PayloadReader.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/platform/ChildProcess.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/FileStream.h"

namespace vornsetup {

using namespace vorn;

namespace {

using Kind = PrerequisiteDetection::Kind;

constexpr char16_t kFolderPrefix[] = u"VornPrerequisite";
// The platform installer's own prerequisites take their time; none runs for ever.
constexpr uint32_t kPrerequisiteMilliseconds = 60 * 60 * 1000;
constexpr uint32_t kCopyChunk = 1 << 20;

bool RegistryDetected(const PrerequisiteDetection& detect) {
    const std::vector<uint32_t> roots =
        detect.machine ? std::vector<uint32_t>{kRegistryLocalMachine32, kRegistryLocalMachine64}
                       : std::vector<uint32_t>{kRegistryCurrentUser};
    for (const uint32_t root : roots) {
        RegistryKey key;
        if (key.open(root, detect.key.data()) != kResultOk || !key.exists())
            continue;
        if (detect.kind == Kind::RegistryKey)
            return true;
        uint32_t type = 0;
        std::vector<uint8_t> bytes;
        if (key.readStored(detect.name.data(), &type, &bytes) != kResultOk)
            continue;
        if (detect.kind == Kind::RegistryValue)
            return true;
        String text;
        if (type == REG_DWORD && bytes.size() == 4) {
            text = Format(u"{0}", {uint32_t(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                            uint32_t(bytes[3]) << 24)});
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            for (size_t at = 0; at + 1 < bytes.size() && (bytes[at] || bytes[at + 1]); at += 2)
                text.append(char16_t(bytes[at] | bytes[at + 1] << 8));
        }
        if (text == detect.data)
            return true;
    }
    return false;
}

String ExpandedPath(const String& path) {
    wchar_t expanded[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsW(Wide(path.data()), expanded, MAX_PATH);
    return length == 0 || length > MAX_PATH ? String() : String(Units(expanded));
}

// "major.minor.build.revision" of the file's version resource; empty without one.
String FileVersionOf(const String& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(Wide(path.data()), &ignored);
    std::vector<uint8_t> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(Wide(path.data()), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof *fixed)
        return String();
    return Format(u"{0}.{1}.{2}.{3}",
                  {fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                   fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF});
}

// A folder of its own for the program, as the header says.
Result MakeFolder(InstallScope scope, String* folder) {
    if (scope == InstallScope::Machine)
        return CreateAdministratorsFolder(SystemTemporaryFolder(), kFolderPrefix, folder);
    const String file = TemporaryFileName();
    if (file.isEmpty())
        return kResultFailed;
    DeleteFileW(Wide(file.data()));
    *folder = file + u".folder\\";
    return CreateFolderTree(*folder);
}

Result Extract(const InstallManifest& manifest, const String& relative, const String& path) {
    String name = manifest.sourceRoot + relative;
    name.replace(u'\\', u'/');
    // A mount of its own: the windows may read the payload meanwhile.
    PayloadReader reader;
    std::unique_ptr<EntryHandle> entry;
    Result result = reader.open();
    if (result == kResultOk)
        result = EntryHandle::open(&reader.mount, name.data(), &entry);
    FileStream file;
    if (result == kResultOk)
        result = file.openWrite(path.data());
    std::vector<uint8_t> chunk(kCopyChunk);
    for (uint64_t left = entry ? entry->size() : 0; result == kResultOk && left > 0;) {
        const uint32_t count = uint32_t(left < chunk.size() ? left : chunk.size());
        if ((result = entry->read(chunk.data(), count)) == kResultOk)
            result = file.write(chunk.data(), count);
        left -= count;
    }
    const Result closed = file.close();
    return result == kResultOk ? closed : result;
}

Result Install(const InstallManifest& manifest, const PrerequisiteDeclaration& prerequisite,
               uint32_t* exitCode) {
    String folder;
    Result result = MakeFolder(manifest.scope, &folder);
    const String program = JoinPath(folder, FileNameOf(prerequisite.program));
    if (result == kResultOk)
        result = Extract(manifest, prerequisite.program, program);
    if (result != kResultOk) {
        Log(LogEvent::Prerequisite, u"{0}: its program could not be read out of the setup ({1})",
            {prerequisite.name, result});
    } else {
        ProgramStart start;
        start.image = program;
        start.commandLine =
            u"\"" + program + u"\"" +
            (prerequisite.arguments.isEmpty() ? String() : u" " + prerequisite.arguments);
        Log(LogEvent::Prerequisite, u"{0}: {1}", {prerequisite.name, start.commandLine});
        result = RunProgramToEnd(start, kPrerequisiteMilliseconds, exitCode);
        Log(LogEvent::Prerequisite, u"{0}: ended with {1} ({2})",
            {prerequisite.name, *exitCode, result});
    }
    (void)DeleteFileEvenIfReadOnly(program);
    if (!folder.isEmpty())
        RemoveEmptyFolder(folder);
    return result;
}

} // namespace

bool PrerequisiteDetected(const PrerequisiteDetection& detect) {
    if (detect.kind != Kind::File && detect.kind != Kind::FileVersion)
        return RegistryDetected(detect);
    const String path = ExpandedPath(detect.path);
    if (path.isEmpty() || !IsExistingFile(path))
        return false;
    if (detect.kind == Kind::File)
        return true;
    const String version = FileVersionOf(path);
    return !version.isEmpty() && CompareVersions(version.data(), detect.data.data()) >= 0;
}

Result InstallPrerequisites(const InstallManifest& manifest, PrerequisiteOutcome* outcome) {
    *outcome = PrerequisiteOutcome();
    for (const PrerequisiteDeclaration& prerequisite : manifest.declared.prerequisites) {
        if (PrerequisiteDetected(prerequisite.detect)) {
            Log(LogEvent::Prerequisite, u"{0}: found", {prerequisite.name});
            outcome->report.push_back(prerequisite.name + u": found");
            continue;
        }
        uint32_t exitCode = 0;
        const Result result = Install(manifest, prerequisite, &exitCode);
        bool succeeded = false;
        for (const uint32_t code : prerequisite.successCodes)
            succeeded = succeeded || code == exitCode;
        if (result != kResultOk || !succeeded) {
            Log(LogEvent::Failure, u"the prerequisite {0} could not be installed",
                {prerequisite.name});
            return Result(kExitPrerequisiteFailed);
        }
        outcome->restartNeeded = outcome->restartNeeded || AsksForRestart(exitCode);
        outcome->report.push_back(Format(u"{0}: installed ({1})", {prerequisite.name, exitCode}));
    }
    return kResultOk;
}

} // namespace vornsetup
