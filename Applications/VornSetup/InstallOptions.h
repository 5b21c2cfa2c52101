// The rules of the options page: which install folders and program groups
// are accepted, the space shown, and the group a pick from the list becomes.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vornsetup {

using vorn::String;

// A folder and a group are valid paths by the framework's rule
// (vorn::IsValidFolderPath): non-empty, none of " * < > ? |, a colon only as
// the second character right after a letter, no doubled backslash or slash.
// Relative unless it begins with a separator or with a letter and a colon;
// one character counts as relative.
bool IsRelativePath(const String& text);
bool EndsWithSeparator(const String& text);

// The folder: valid, absolute, a drive letter with a colon and a separator
// ("C:\\"), no trailing separator. The
// group: valid, relative, no trailing separator.
bool IsValidInstallFolder(const String& folder);
bool IsValidProgramGroup(const String& group);
// Why the options page refuses a folder, as the ID of its text ("{0}" the
// product's name); null for a valid folder. A folder without a drive (or
// just a drive) asks for a full path, before any rule of its names.
const char16_t* InstallFolderProblem(const String& folder);
// The same reason in the log's words ("a part that names a device"); null
// for a valid folder.
const char16_t* InstallFolderProblemInWords(const String& folder);

// Whole MiB, rounded up.
uint64_t SpaceRequiredMiB(uint64_t totalSize);

// A group picked from the list gets a folder of the program's own inside it.
String GroupAfterPick(const String& picked, const String& displayName);

} // namespace vornsetup
