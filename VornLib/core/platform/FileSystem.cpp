#include "VornLib/core/platform/FileSystem.h"

#include <algorithm>
#include <string>

#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"

#include <shellapi.h>

namespace vorn {

bool IsAbsolutePath(const String& path) {
    return LongPath(path) != path;
}

uint32_t AttributesOf(const String& path) {
    return GetFileAttributesW(Wide(LongPath(path).data()));
}

bool PathExists(const String& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFile(const String& path) {
    const uint32_t attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

String LongPath(const String& path) {
    String text = path;
    text.replace(u'/', u'\\');
    const bool absolute = text.length() >= 3 && text[1] == u':' && text[2] == u'\\';
    return absolute ? u"\\\\?\\" + text : text;
}

String FullPath(const String& path) {
    const DWORD needed = GetFullPathNameW(Wide(path.data()), 0, nullptr, nullptr);
    if (!needed)
        return path;
    std::u16string full(needed, u'\0');
    const DWORD length = GetFullPathNameW(Wide(path.data()), needed, Wide(&full[0]), nullptr);
    return length && length < needed ? String(full.data(), length) : path;
}

String FolderUnavailableReason(const String& folder) {
    if (folder.length() < 3 || folder[1] != u':')
        return String();
    const String drive = folder.left(2);
    const String root = drive + u'\\';
    const UINT type = GetDriveTypeW(Wide(root.data()));
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
        return u"the drive " + drive + u" does not exist";
    DWORD flags = 0;
    if (!GetVolumeInformationW(Wide(root.data()), nullptr, 0, nullptr, nullptr, &flags, nullptr,
                               0)) {
        if (GetLastError() == ERROR_NOT_READY)
            return u"the drive " + drive + u" is not ready";
    } else if (flags & FILE_READ_ONLY_VOLUME) {
        return u"the drive " + drive + u" is read-only";
    }
    const String path = WindowsPath(folder);
    for (uint32_t end = 3; end <= path.length(); ++end) {
        if (end < path.length() && path[end] != u'\\')
            continue;
        const String part = path.left(end);
        const DWORD attributes = AttributesOf(part);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            break;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return u"the file \"" + part + u"\" stands where a folder must be";
    }
    return String();
}

Result CreateFolderTree(const String& folder, const SECURITY_ATTRIBUTES* security) {
    Result last = kResultBadPath;
    bool sawSeparator = false;
    for (uint32_t i = 0; i < folder.length(); ++i) {
        if (folder[i] != u'\\' && folder[i] != u'/')
            continue;
        sawSeparator = true;
        // "C:\" itself needs no creation.
        if (i == 0 || (i == 2 && folder[1] == u':'))
            continue;
        const String step = LongPath(folder.left(i) + u'\\');
        last = CreateDirectoryW(Wide(step.data()), const_cast<SECURITY_ATTRIBUTES*>(security))
                   ? kResultOk
                   : ResultFromSystemError(GetLastError());
        if (last != kResultOk && last != kResultAlreadyExists && last != kResultAccessDenied)
            return last;
    }
    if (!sawSeparator)
        return kResultBadPath;
    return last == kResultAlreadyExists || last == kResultBadPath ? kResultOk : last;
}

Result CreateFolderTree(const String& folder) {
    return CreateFolderTree(folder, nullptr);
}

Result FolderMaker::make(const String& folder) {
    return make(folder, 0);
}

Result FolderMaker::make(const String& folder, uint32_t depth) {
    const std::u16string key(folder.data(), folder.length());
    if (known_.count(key))
        return kResultOk;
    const auto create = [&folder] {
        return CreateDirectoryW(Wide(LongPath(folder).data()), nullptr)
                   ? kResultOk
                   : ResultFromSystemError(GetLastError());
    };
    Result result = create();
    if (result == kResultBadPath && depth < 256 && folder.length() > 1) {
        // The parent is missing too: make it first, then this one.
        const String parent = ParentFolder(folder.left(folder.length() - 1));
        if (parent.length() > 3 && (result = make(parent, depth + 1)) == kResultOk)
            result = create();
    }
    if (result == kResultAlreadyExists) {
        // A file of that name is no folder to make files in.
        const DWORD attributes = AttributesOf(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            result = kResultOk;
    }
    if (result == kResultOk)
        known_.insert(key);
    return result;
}

bool RemoveEmptyFolder(const String& folder) {
    return RemoveDirectoryW(Wide(LongPath(folder).data())) != FALSE;
}

Result DeleteFolderTree(const String& folder) {
    const uint32_t length = folder.length();
    if (!length || (folder[length - 1] != u'\\' && folder[length - 1] != u'/'))
        return kResultInvalidArgument;
    // The shell wants a list of names, each ended by a zero, and one more.
    String names = folder.left(length - 1);
    names.replace(u'/', u'\\');
    std::u16string list(names.data(), names.length());
    list.push_back(u'\0');
    list.push_back(u'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = Wide(list.data());
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 ? kResultOk : kResultPlatformFailure;
}

Result DeleteFileEvenIfReadOnly(const String& path) {
    if (path.isEmpty())
        return kResultInvalidArgument;
    const String file = LongPath(path);
    if (DeleteFileW(Wide(file.data())))
        return kResultOk;
    Result result = ResultFromSystemError(GetLastError());
    const DWORD attributes = GetFileAttributesW(Wide(file.data()));
    if (result == kResultAccessDenied && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesW(Wide(file.data()), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY))) {
        if (DeleteFileW(Wide(file.data())))
            return kResultOk;
        result = ResultFromSystemError(GetLastError());
        SetFileAttributesW(Wide(file.data()), attributes);
    }
    return result;
}

namespace {

void RemoveEmptyFolders(const String& folder, uint32_t depth) {
    if (depth > 64)
        return;
    WIN32_FIND_DATAW found;
    const String pattern = LongPath(NormalisedFolder(folder) + u'*');
    HANDLE search = FindFirstFileW(Wide(pattern.data()), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const FindHandle owner(search);
    do {
        const String name(Units(found.cFileName));
        const bool dots = name == u"." || name == u"..";
        const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !dots && !link) {
            const String child = NormalisedFolder(folder) + name;
            RemoveEmptyFolders(child, depth + 1);
            RemoveEmptyFolder(child);
        }
    } while (FindNextFileW(owner.get(), &found));
}

} // namespace

Result RemoveEmptyFolderTree(const String& folder) {
    RemoveEmptyFolders(folder, 0);
    if (RemoveEmptyFolder(folder))
        return kResultOk;
    // A folder whose parent is gone too reports a missing path rather than a
    // missing file: either way there is nothing left to remove.
    const Result result = ResultFromSystemError(GetLastError());
    return result == kResultNotFound || result == kResultBadPath ? kResultOk : result;
}

bool PassesThroughLink(const String& folder, const String& relative) {
    const String base = NormalisedFolder(folder);
    for (String parent = ParentFolder(JoinPath(base, relative)); parent.length() >= base.length();
         parent = ParentFolder(parent.left(parent.length() - 1))) {
        // Named without its separator: "link\" would name what it points to.
        const String named = parent.left(parent.length() - 1);
        const DWORD attributes = AttributesOf(named);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        if (parent.length() == base.length())
            break;
    }
    return false;
}

void RemoveFoldersOfFiles(const String& folder, const std::vector<String>& files) {
    const String base = NormalisedFolder(folder);
    if (base.isEmpty())
        return;
    // Deepest first: a longer folder name is never the parent of a shorter.
    std::set<std::u16string> parents;
    for (const String& relative : files) {
        if (!IsRelativeInside(relative))
            continue;
        const String path = JoinPath(base, relative);
        for (String parent = ParentFolder(path); parent.length() > base.length();
             parent = ParentFolder(parent.left(parent.length() - 1)))
            parents.insert(std::u16string(parent.data(), parent.length()));
    }
    std::vector<std::u16string> ordered(parents.begin(), parents.end());
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
    for (const std::u16string& parent : ordered)
        (void)RemoveEmptyFolder(String(parent.data(), uint32_t(parent.size())));
    (void)RemoveEmptyFolder(base);
}

PartialFile::PartialFile(const String& destination)
    : destination_(destination), path_(destination + kSuffix) {}

PartialFile::PartialFile(const String& destination, const String& path)
    : destination_(destination), path_(path) {}

PartialFile::~PartialFile() {
    if (!path_.isEmpty())
        DeleteFileW(Wide(path_.data()));
}

Result PartialFile::putInPlace() {
    const Result result = MoveFileWithinVolume(path_, destination_, true);
    if (result == kResultOk)
        path_.clear();
    return result;
}

// An earlier version's file may be read-only: like an old shortcut, it is the
// installation's to replace. A file that another program holds open is not
// replaced (the platform refuses), and keeps its attributes.
Result MoveFileWithinVolume(const String& from, const String& to, bool replace) {
    const String source = LongPath(from);
    const String target = LongPath(to);
    const DWORD attributes =
        replace ? GetFileAttributesW(Wide(target.data())) : INVALID_FILE_ATTRIBUTES;
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesW(Wide(target.data()), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(Wide(source.data()), Wide(target.data()), flags))
        return kResultOk;
    Result result = ResultFromSystemError(GetLastError());
    if (readOnly)
        SetFileAttributesW(Wide(target.data()), attributes);
    // The platform reports a rename refused because another program holds
    // one of the files as access denied; the user learns more from "in use".
    if (result == kResultAccessDenied) {
        for (const String* path : {&source, &target}) {
            const FileHandle probe(CreateFileW(
                Wide(path->data()), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!probe.isValid() && GetLastError() == ERROR_SHARING_VIOLATION)
                result = kResultSharingViolation;
        }
    }
    return result;
}

Result WriteWholeFile(const String& path, const std::string& bytes) {
    const String full = FullPath(path);
    (void)CreateFolderTree(ParentFolder(full));
    PartialFile partial(LongPath(full));
    {
        FileHandle file(CreateFileW(Wide(partial.path().data()), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.isValid())
            return ResultFromSystemError(GetLastError());
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
            !FlushFileBuffers(file.get()))
            return ResultFromSystemError(GetLastError());
        if (written != bytes.size())
            return kResultFull;
    }
    return partial.putInPlace();
}

Result ReadWholeFile(const String& path, uint32_t limit, std::string* bytes) {
    if (!bytes)
        return kResultNullOutput;
    bytes->clear();
    FileHandle file(CreateFileW(Wide(LongPath(FullPath(path)).data()), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.isValid())
        return ResultFromSystemError(GetLastError());
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size))
        return ResultFromSystemError(GetLastError());
    if (size.QuadPart > limit)
        return kResultCapacityExceeded;
    bytes->resize(size_t(size.QuadPart));
    DWORD read = 0;
    if (!bytes->empty() &&
        !ReadFile(file.get(), &(*bytes)[0], DWORD(bytes->size()), &read, nullptr))
        return ResultFromSystemError(GetLastError());
    bytes->resize(read);
    return kResultOk;
}

} // namespace vorn
