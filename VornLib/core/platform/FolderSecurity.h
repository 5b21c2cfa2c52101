// Who may change the folders the installer makes and acts in. A folder that
// a standard user may change is one where that user's program can take the
// place of what an administrator's setup installs, runs or deletes; the
// installer makes folders for all users with the security of the system's
// program files and refuses to work in such a folder unless told to.
// Under Wine, descriptors asked for are not kept: tests read back what the
// code asks for, and the DACL Wine derives from a folder's mode.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

// The security of a folder that only administrators and the system may
// write: owned by the Administrators group, with a protected DACL that lets
// Administrators and the system alone in (inherited by what is made in it),
// so that nothing a user's own programs can write, rename or re-permit.
Result AdministratorsOnlySecurity(LocalMemory* descriptor);
// Makes a new folder below `parent` (a folder path) whose name starts with
// `prefix`, with that security. Setting that owner takes administrator
// rights: without them the result is 17. `folder` receives the folder's path,
// ending with a separator.
Result CreateAdministratorsFolder(const String& parent, const char16_t* prefix, String* folder);

// The security of a program's folder for all users, as the system's program
// files have it: owned by Administrators, Administrators and the system
// change it, Users read and run it; protected, so nothing of the parent's
// DACL (a drive root's "Authenticated Users: Modify") is inherited.
Result ProgramFolderSecurity(LocalMemory* descriptor);
// True when a standard user may change `folder` or what is in it: it is
// owned by anybody but Administrators, the system, TrustedInstaller or this
// process's user, or its DACL (none at all included) lets Users,
// Authenticated Users, Everyone or Interactive write or delete in it or
// change its security. False for a folder that is not there.
bool StandardUsersMayChange(const String& folder);

} // namespace vorn
