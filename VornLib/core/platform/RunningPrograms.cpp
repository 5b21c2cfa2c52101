#include "VornLib/core/platform/RunningPrograms.h"

#include <vector>

#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"

#include <tlhelp32.h>

#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {
namespace {

// Paths may pass the 260 characters; the buffers live on the heap, since a
// worker thread's stack is small.
constexpr DWORD kMaxPath = 32768;

// The long form ("Program Files", not "PROGRA~1"), lower-cased with "\" only,
// so that one path compares equal however it was written.
String ComparableLongPath(const String& path) {
    std::vector<wchar_t> longPath(kMaxPath);
    const DWORD length = GetLongPathNameW(Wide(path.data()), longPath.data(), kMaxPath);
    String comparable = length && length < kMaxPath ? String(Units(longPath.data())) : path;
    comparable.replace(u'/', u'\\');
    comparable.toLowerCase();
    return comparable;
}

} // namespace

String ProcessImagePath(uint32_t processId) {
    const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.isValid())
        return String();
    std::vector<wchar_t> image(kMaxPath);
    DWORD length = kMaxPath;
    if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &length))
        return String();
    return String(Units(image.data()), length);
}

std::vector<RunningProgram> ProgramsRunningIn(const String& folder) {
    std::vector<RunningProgram> programs;
    if (folder.isEmpty())
        return programs;
    const String prefix = ComparableLongPath(NormalisedFolder(folder));
    const String ownImage = ComparableLongPath(ExecutablePath());
    // The handle is invalid like a file's when the snapshot fails.
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.isValid())
        return programs;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            continue;
        const String image = ProcessImagePath(entry.th32ProcessID);
        if (image.isEmpty())
            continue;
        const String comparable = ComparableLongPath(image);
        if (comparable.length() > prefix.length() && comparable.startsWith(prefix.data()) &&
            comparable != ownImage)
            programs.push_back({uint32_t(entry.th32ProcessID), image});
    }
    return programs;
}

RunningProgram ProgramUsingModule(const String& path) {
    const String wanted = ComparableLongPath(path);
    const String name = FileNameOf(wanted);
    const FileHandle processes(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof process;
    for (BOOL more = processes.isValid() && Process32FirstW(processes.get(), &process); more;
         more = Process32NextW(processes.get(), &process)) {
        if (process.th32ProcessID == GetCurrentProcessId())
            continue;
        const FileHandle modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32,
                                                          process.th32ProcessID));
        MODULEENTRY32W module = {};
        module.dwSize = sizeof module;
        for (BOOL next = modules.isValid() && Module32FirstW(modules.get(), &module); next;
             next = Module32NextW(modules.get(), &module)) {
            // The name first: the long form of every module's path would cost
            // a file system query each.
            if (String(Units(module.szModule)).compareIgnoringCase(name.data()) == 0 &&
                ComparableLongPath(String(Units(module.szExePath))) == wanted)
                return {uint32_t(process.th32ProcessID), String(Units(module.szExePath))};
        }
    }
    return {};
}

} // namespace vorn
