#include "Tools/VornPack/Files.h"

#include <algorithm>

#include "Tools/VornPack/VornNames.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#else
#include <sys/stat.h>
#endif

namespace vornpack {

namespace {

constexpr uint32_t kReadChunk = 4u << 20;
constexpr const char16_t* kPartialSuffix = u".vornpack-partial";

String TextOfUnits(const std::u16string& units) {
    return String(units.data(), uint32_t(units.size()));
}

bool IsLink(const fs::directory_entry& entry) {
#ifdef _WIN32
    // Junctions and symbolic links alike: the library sees through both.
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    std::error_code error;
    return entry.is_symlink(error);
#endif
}

bool IsReadOnlyFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::is_regular_file(status) &&
           (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

Result ListFilesBelow(const fs::path& folder, const String& prefix, std::vector<String>* names,
                      String* message) {
    std::vector<FolderEntry> entries;
    Result result = ReadFolder(folder, &entries, message);
    for (size_t i = 0; result == vorn::kResultOk && i < entries.size(); ++i) {
        const String name = prefix + entries[i].name;
        if (entries[i].isFolder)
            result = ListFilesBelow(entries[i].path, name + u"/", names, message);
        else
            names->push_back(name);
    }
    return result;
}

} // namespace

fs::path PathOf(const String& text) {
    return fs::path(std::u16string(text.data(), text.length()));
}

String TextOf(const fs::path& path) {
    return TextOfUnits(path.u16string());
}

Result ReadWholeFile(const String& path, std::vector<uint8_t>* out) {
    out->clear();
    vorn::FileStream file;
    Result result = file.openRead(path.data());
    if (result != vorn::kResultOk)
        return result;
    const uint64_t size = file.size();
    if (size > SIZE_MAX / 2)
        return vorn::kResultCapacityExceeded;
    out->resize(size_t(size));
    for (uint64_t done = 0; done < size && result == vorn::kResultOk;) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(kReadChunk, size - done));
        result = file.read(out->data() + done, piece);
        done += piece;
    }
    if (result != vorn::kResultOk)
        out->clear();
    return result;
}

Result LastWriteTime(const fs::path& path, vorn::DateTime* out) {
    *out = vorn::kInvalidDateTime;
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return vorn::ResultFromSystemError(GetLastError());
    const uint64_t fileTime =
        uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    vorn::DateTime time = vorn::DateTimeFromFileTime(fileTime);
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return vorn::kResultNotFound;
    vorn::DateTime time = vorn::DateTime(status.st_mtime) * vorn::kMicrosecondsPerSecond;
#endif
    const vorn::DateTime fraction = time % vorn::kMicrosecondsPerSecond;
    *out = time - (fraction < 0 ? fraction + vorn::kMicrosecondsPerSecond : fraction);
    return vorn::kResultOk;
}

fs::path OwnFolder() {
#ifdef _WIN32
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (!length || length >= buffer.size())
        return fs::path();
    return fs::path(std::wstring(buffer.data(), length)).parent_path();
#else
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

Result CheckFolder(const fs::path& folder, const char16_t* role, String* message) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (fs::is_directory(status))
        return vorn::kResultOk;
    if (fs::exists(status)) {
        *message = Format(u"the {0} \"{1}\" is a file, not a folder", {role, TextOf(folder)});
        return vorn::kResultKindMismatch;
    }
    *message = Format(u"the {0} \"{1}\" does not exist", {role, TextOf(folder)});
    return vorn::kResultNotFound;
}

Result ReadFolder(const fs::path& folder, std::vector<FolderEntry>* entries, String* message) {
    entries->clear();
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code kindError;
        const fs::file_status status = it->status(kindError); // through a link
        if (IsLink(*it) && (fs::is_directory(status) || !fs::exists(status))) {
            const bool loose = !fs::exists(status);
            *message = Format(loose ? u"\"{0}\" is a link that leads nowhere"
                                    : u"\"{0}\" is a link to a folder; links to folders are not "
                                      u"followed: copy the folder in instead",
                              {TextOf(path)});
            entries->clear();
            return loose ? vorn::kResultNotFound : vorn::kResultNotSupported;
        }
        if (fs::is_directory(status) || fs::is_regular_file(status))
            entries->push_back(
                {TextOfUnits(path.filename().u16string()), path, fs::is_directory(status)});
    }
    if (error) {
        *message = Format(u"cannot read the folder \"{0}\"", {TextOf(folder)});
        entries->clear();
        return vorn::kResultAccessDenied;
    }
    std::sort(entries->begin(), entries->end(), [](const FolderEntry& a, const FolderEntry& b) {
        return a.name.compare(b.name.data()) < 0;
    });
    std::vector<const FolderEntry*> byFoldedName;
    for (const FolderEntry& entry : *entries)
        byFoldedName.push_back(&entry);
    std::sort(byFoldedName.begin(), byFoldedName.end(),
              [](const FolderEntry* a, const FolderEntry* b) {
                  return a->name.compareIgnoringCase(b->name.data()) < 0;
              });
    for (size_t i = 1; i < byFoldedName.size(); ++i) {
        if (byFoldedName[i - 1]->name.compareIgnoringCase(byFoldedName[i]->name.data()) != 0)
            continue;
        *message = Format(u"\"{0}\" and \"{1}\" differ only in case; Windows would keep one of "
                          u"them: rename one",
                          {TextOf(byFoldedName[i - 1]->path), TextOf(byFoldedName[i]->path)});
        entries->clear();
        return vorn::kResultAlreadyExists;
    }
    return vorn::kResultOk;
}

Result ListFiles(const fs::path& folder, std::vector<String>* names, String* message) {
    names->clear();
    const Result result = ListFilesBelow(folder, String(), names, message);
    if (result != vorn::kResultOk) {
        names->clear();
        return result;
    }
    std::sort(names->begin(), names->end(),
              [](const String& a, const String& b) { return a.compare(b.data()) < 0; });
    return vorn::kResultOk;
}

OutputFile::OutputFile(const fs::path& output) : output_(output), partial_(output) {
    partial_ += kPartialSuffix;
}

OutputFile::~OutputFile() {
    if (committed_)
        return;
    (void)stream_.close();
    std::error_code error;
    fs::remove(partial_, error);
}

Result OutputFile::refuseReadOnly(String* message) const {
    if (!IsReadOnlyFile(output_))
        return vorn::kResultOk;
    *message = Format(u"\"{0}\" is read-only and is not replaced: make it writable or choose "
                      u"another output",
                      {TextOf(output_)});
    return vorn::kResultAccessDenied;
}

Result OutputFile::open(String* message) {
    Result result = refuseReadOnly(message);
    if (result != vorn::kResultOk)
        return result;
    std::error_code error;
    const fs::path folder = output_.parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
        *message = Format(u"cannot create \"{0}\": its folder does not exist", {TextOf(output_)});
        return vorn::kResultNotFound;
    }
    result = stream_.openWrite(TextOf(partial_).data());
    if (result != vorn::kResultOk)
        *message = Format(u"cannot create \"{0}\"", {TextOf(output_)});
    return result;
}

Result OutputFile::close(String* message) {
    if (!stream_.isOpen())
        return vorn::kResultOk;
    const Result result = stream_.close();
    if (result != vorn::kResultOk)
        *message = Format(u"cannot write \"{0}\"", {TextOf(output_)});
    return result;
}

Result OutputFile::commit(String* message) {
    Result result = close(message);
    if (result == vorn::kResultOk)
        result = refuseReadOnly(message);
    if (result != vorn::kResultOk)
        return result;
    std::error_code error;
    fs::rename(partial_, output_, error);
    if (error) {
        *message = Format(u"cannot create \"{0}\"", {TextOf(output_)});
        return vorn::kResultAccessDenied;
    }
    committed_ = true;
    return vorn::kResultOk;
}

TemporaryFile::~TemporaryFile() {
    std::error_code error;
    fs::remove(path_, error);
}

} // namespace vornpack
