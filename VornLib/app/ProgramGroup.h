// The program group: the folder of an installation's shortcuts in the start
// menu of its scope (all users' or the user's own), named by a path relative
// to the start menu's programs, e.g. "Vorn Software\VornDemo".
#pragma once

#include "VornLib/app/InstallScope.h"
#include "VornLib/core/String.h"

namespace vorn {

// Removes the group's folders that are left empty, and each folder of the
// group's own path above it (the company's of "Company\Name") that nothing
// else is left in. Files are never touched: the group may be a folder the
// user chose, such as an existing one.
void RemoveProgramGroup(const String& group, InstallScope scope);

} // namespace vorn
