#include "VornLib/core/Path.h"

#include <initializer_list>

namespace vorn {
namespace {

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

int32_t LastSeparator(const String& path) {
    for (uint32_t i = path.length(); i > 0; --i) {
        if (IsSeparator(path[i - 1]))
            return int32_t(i - 1);
    }
    return -1;
}

} // namespace

String WindowsPath(const String& path) {
    String text = path;
    text.replace(u'/', u'\\');
    return text;
}

String JoinPath(const String& folder, const String& relative) {
    const String joined = WindowsPath(folder);
    const String tail = WindowsPath(relative);
    const bool folderEnds = !joined.isEmpty() && joined[joined.length() - 1] == u'\\';
    const bool tailStarts = !tail.isEmpty() && tail[0] == u'\\';
    if (folderEnds && tailStarts)
        return joined + tail.mid(1);
    if (!folderEnds && !tailStarts && !joined.isEmpty() && !tail.isEmpty())
        return joined + u'\\' + tail;
    return joined + tail;
}

String NormalisedFolder(const String& folder) {
    String text = WindowsPath(folder);
    while (text.length() > 1 && text[text.length() - 1] == u'\\' &&
           text[text.length() - 2] == u'\\')
        text = text.left(text.length() - 1);
    if (!text.isEmpty() && text[text.length() - 1] != u'\\')
        text += u'\\';
    return text;
}

String ParentFolder(const String& path) {
    return path.left(uint32_t(LastSeparator(path) + 1));
}

String FileNameOf(const String& path) {
    return path.mid(uint32_t(LastSeparator(path) + 1));
}

String PathKey(const String& path) {
    String text = path;
    text.toLowerCase();
    text.replace(u'\\', u'/');
    if (text.length() > 1 && text[text.length() - 1] == u'/')
        text = text.left(text.length() - 1);
    return text;
}

bool SamePath(const String& a, const String& b) {
    return PathKey(a) == PathKey(b);
}

namespace {

// What is wrong with one part of a path; CON, NUL, COM1 and the like name
// devices in every folder, with any extension; a part ending in a dot or a
// blank is stored without it.
FolderPathProblem FolderNameProblem(const String& part) {
    if (part.isEmpty())
        return FolderPathProblem::None;
    if (part == u"." || part == u".." || part[part.length() - 1] == u'.' ||
        part[part.length() - 1] == u' ')
        return FolderPathProblem::UnnamedPart;
    const int32_t dot = part.find(u'.');
    String stem = dot >= 0 ? part.left(uint32_t(dot)) : part;
    while (!stem.isEmpty() && stem[stem.length() - 1] == u' ')
        stem = stem.left(stem.length() - 1);
    for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"}) {
        if (stem.compareIgnoringCase(device) == 0)
            return FolderPathProblem::DeviceName;
    }
    if (stem.length() == 4 && stem[3] >= u'1' && stem[3] <= u'9') {
        const String kind = stem.left(3);
        if (kind.compareIgnoringCase(u"COM") == 0 || kind.compareIgnoringCase(u"LPT") == 0)
            return FolderPathProblem::DeviceName;
    }
    return FolderPathProblem::None;
}

} // namespace

FolderPathProblem FolderPathProblemOf(const String& path) {
    if (path.isEmpty())
        return FolderPathProblem::Empty;
    uint32_t partStart = 0;
    for (uint32_t i = 0; i <= path.length(); ++i) {
        if (i < path.length() && !IsSeparator(path[i]))
            continue;
        const String part = path.mid(partStart, i - partStart);
        const bool drive = partStart == 0 && part.length() == 2 && part[1] == u':';
        const FolderPathProblem problem = drive ? FolderPathProblem::None : FolderNameProblem(part);
        if (problem != FolderPathProblem::None)
            return problem;
        partStart = i + 1;
    }
    for (uint32_t i = 0; i < path.length(); ++i) {
        const char16_t unit = path[i];
        switch (unit) {
        case u'"':
        case u'*':
        case u'<':
        case u'>':
        case u'?':
        case u'|':
            return FolderPathProblem::ForbiddenCharacter;
        case u':': {
            const char16_t drive = i == 1 ? path[0] : 0;
            if (!((drive >= u'A' && drive <= u'Z') || (drive >= u'a' && drive <= u'z')))
                return FolderPathProblem::ForbiddenCharacter;
            break;
        }
        default:
            break;
        }
        if (i > 0 && (unit == u'\\' || unit == u'/') && path[i - 1] == unit)
            return FolderPathProblem::UnnamedPart;
    }
    return FolderPathProblem::None;
}

bool IsValidFolderPath(const String& path) {
    return FolderPathProblemOf(path) == FolderPathProblem::None;
}

bool IsRelativeInside(const String& path) {
    if (path.isEmpty() || IsSeparator(path[0]) || path.find(u':') >= 0)
        return false;
    uint32_t start = 0;
    for (uint32_t i = 0; i <= path.length(); ++i) {
        if (i < path.length() && !IsSeparator(path[i]))
            continue;
        const String part = path.mid(start, i - start);
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
        start = i + 1;
    }
    return true;
}

bool IsPathInside(const String& path, const String& folder) {
    const String base = NormalisedFolder(folder);
    if (base.isEmpty() || path.length() <= base.length())
        return false;
    return SamePath(path.left(base.length()), base) && IsRelativeInside(path.mid(base.length()));
}

bool IsPossibleFileName(const String& path) {
    for (uint32_t i = 0; i < path.length(); ++i) {
        const char16_t unit = path[i];
        if (unit < 0x20 || unit == u'"' || unit == u'*' || unit == u'<' || unit == u'>' ||
            unit == u'?' || unit == u'|')
            return false;
    }
    return true;
}

} // namespace vorn
