// Folder operations of the installer and the uninstaller, with the "\\?\"
// prefix so that long paths work.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

// Creates every folder of a path that ends with a separator. Existing or
// protected ancestors (14, 17) let the walk go on; a path without separator
// gives 31.
Result CreateFolderTree(const String& folder);
// Removes the folder when it is empty; false otherwise.
bool RemoveEmptyFolder(const String& folder);
// Removes every empty folder below `folder` and then `folder` itself when it is
// empty; files are never touched. A missing folder counts as removed; one that
// still holds something gives 21.
Result RemoveEmptyFolderTree(const String& folder);
// "\\?\" + the path with backslashes; unchanged when it is not absolute.
String LongPath(const String& path);

} // namespace vorn
