#include "VornLib/core/platform/FileSystem.h"

#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

String LongPath(const String& path) {
    String text = path;
    text.replace(u'/', u'\\');
    const bool absolute = text.length() >= 3 && text[1] == u':' && text[2] == u'\\';
    return absolute ? u"\\\\?\\" + text : text;
}

Result CreateFolderTree(const String& folder) {
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
        last = CreateDirectoryW(Wide(step.data()), nullptr) ? kResultOk
                                                            : ResultFromSystemError(GetLastError());
        if (last != kResultOk && last != kResultAlreadyExists && last != kResultAccessDenied)
            return last;
    }
    if (!sawSeparator)
        return kResultBadPath;
    return last == kResultAlreadyExists || last == kResultBadPath ? kResultOk : last;
}

bool RemoveEmptyFolder(const String& folder) {
    return RemoveDirectoryW(Wide(LongPath(folder).data())) != FALSE;
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

} // namespace vorn
