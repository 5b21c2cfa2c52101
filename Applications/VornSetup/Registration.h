// Registration of an installation with the system, after its files are in
// place: the entry in the list of installed programs (with the lists of files
// and shortcuts that removal reads), the hand-off to the installed program with
// "/Install", and the shortcuts in the program group, on the desktop and in
// the Quick Launch bar.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/Win32Handles.h"

namespace vornsetup {

// 0 always: a value that cannot be written is skipped. Ends with the hand-off
// to the installed program (its "/Install" registers its file types): waited
// for here, or, with `handOff`, only started, its process handed out for the
// caller to wait for once its own next steps are done.
Result RegisterUninstallEntry(InstallManifest& manifest, vorn::KernelHandle* handOff = nullptr);
// The entry's repair command ("ModifyPath"): the kept copy of the setup
// (InstallManifest::kKeptSetup) with "/Repair"; empty where no repair is
// offered (no kept copy, or one that standard users may replace).
String RepairCommand(const InstallManifest& manifest);
Result CreateProgramGroup(InstallManifest& manifest, vorn::LocalizedElementSource& strings);
// 0 always: the desktop and Quick Launch shortcuts are a convenience.
Result CreateDesktopShortcuts(InstallManifest& manifest);
// 0 always.
Result WriteShortcutList(InstallManifest& manifest);
Result CreateShortcut(InstallManifest& manifest, const String& folder, const String& name,
                      const String& target, const String& description);

// A shortcut that the registration makes, known before it is made (an
// update records them first, so that an interrupted one can take them away).
struct PlannedShortcut {
    String folder;
    String name;
    String target;
    String description;
    // The shortcut's file: the folder, the name and ".lnk".
    String file() const;
};
// The program group's: the main shortcut, then one per shortcut entry.
std::vector<PlannedShortcut> ProgramGroupShortcuts(const InstallManifest& manifest,
                                                   vorn::LocalizedElementSource& strings);
// The desktop's and Quick Launch's that were chosen, where the folder is known.
std::vector<PlannedShortcut> DesktopShortcuts(const InstallManifest& manifest);

} // namespace vornsetup
