// Paths of the file system, in one place: joining, the normalised folder form
// (backslashes, one trailing separator), comparison, and the validity rule the
// installer applies to folders a user types or the system reports.
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// The path in the form Windows shows: every "/" turned into "\".
String WindowsPath(const String& path);
// folder + "\" + relative, with "/" turned into "\" and no doubled separator.
String JoinPath(const String& folder, const String& relative);
// Backslashes only, ending with exactly one "\" (empty stays empty).
String NormalisedFolder(const String& folder);
// Everything up to and including the last separator; empty when there is none.
String ParentFolder(const String& path);
// The text after the last separator.
String FileNameOf(const String& path);
// Equal after lower-casing A-Z and turning "\" into "/" (and ignoring one
// trailing separator).
bool SamePath(const String& a, const String& b);
// The form SamePath compares, to sort or look up many paths at once.
String PathKey(const String& path);
// Whether Windows may take `path` for a file: none of the characters that no
// file name may hold (" * < > ? |), no control characters.
bool IsPossibleFileName(const String& path);
// Non-empty; none of " * < > ? |; a colon only as the second character after a
// letter; no two backslashes or two slashes in a row (so no network paths); no
// part "." or "..", ending in a dot or a blank, or naming a device (CON, NUL,
// COM1, with or without an extension).
bool IsValidFolderPath(const String& path);

// Which of those rules a path breaks, for a message that says why; the first
// found, parts' names before characters.
enum class FolderPathProblem {
    None,
    Empty,
    ForbiddenCharacter, // one of " * < > ? |, or a colon out of place
    UnnamedPart,        // two separators in a row, ".", "..", a dot or blank at the end
    DeviceName,
};
FolderPathProblem FolderPathProblemOf(const String& path);
// True for a non-empty relative path that stays below its folder: no drive, no
// leading separator, no "." or ".." part. Lists read back from the registry
// are checked with it before anything is deleted.
bool IsRelativeInside(const String& path);
// True for a path below `folder` (an absolute folder, compared as SamePath
// does) whose rest stays below it by the rule of IsRelativeInside. An empty
// folder contains nothing.
bool IsPathInside(const String& path, const String& folder);

} // namespace vorn
