#include "Applications/VornSetup/Registration.h"

#include <objbase.h>
#include <shlobj.h>

#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vornsetup {

using namespace vorn;

namespace {

String TodayText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Format(u"{0,04}{1,02}{2,02}",
                  {int32_t(now.wYear), uint8_t(now.wMonth), uint8_t(now.wDay)});
}

// The uninstall entry's key (or one of its lists) as the log names it.
String EntryKeyName(const InstallManifest& manifest, const String& list = String()) {
    return EntryKeyLogName(manifest.uuid, manifest.scope, list);
}

} // namespace

String RepairCommand(const InstallManifest& manifest) {
    if (!manifest.keepsSetup)
        return String();
    const String setup = JoinPath(manifest.installFolder, InstallManifest::kKeptSetup);
    // The system runs the command with the rights of whoever asks for the
    // repair, and the setup then asks for an administrator's: for all users,
    // a copy that standard users may replace (a folder taken with
    // /AllowUserWritableFolder) would run as the administrator. No repair is
    // offered then.
    if (manifest.scope == InstallScope::Machine && StandardUsersMayChange(manifest.installFolder)) {
        Log(LogEvent::RegistryKey, u"no repair offered: standard users may change {0}",
            {manifest.installFolder});
        return String();
    }
    return u'"' + setup + u"\" /Repair";
}

Result RegisterUninstallEntry(InstallManifest& manifest, KernelHandle* handOff) {
    UninstallEntry entry(manifest.uuid, manifest.scope);
    // The program that registers the file types and App Paths (on 64-bit
    // Windows the 64-bit one, in its own registry view) is the one that can
    // take them away again; it finds the entry in the 32-bit view. For a
    // product not built on VornLib, that is the framework's removal program.
    const String program = manifest.removalProgramPath(IsWow64());
    Log(LogEvent::RegistryKey, u"{0}, with {1} files listed",
        {EntryKeyName(manifest), uint32_t(manifest.files.size())});
    for (const EntryText& text : manifest.uninstallEntryTexts(program, TodayText()))
        (void)entry.writeText(text.name, text.value);
    (void)entry.writeNumber(EntryValue::EstimatedSize,
                            int32_t(uint32_t(manifest.totalSize / 1024)));
    (void)entry.writeNumber(EntryValue::NoModify, 1);
    const String repair = RepairCommand(manifest);
    if (repair.isEmpty())
        (void)entry.writeNumber(EntryValue::NoRepair, 1);
    else
        (void)entry.writeText(EntryValue::ModifyPath, repair);
    // The next installation proposes the same shortcuts; the choice goes with the entry.
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice)
        (void)entry.writeNumber(kShortcutChoices[choice].entryValue,
                                manifest.chosenShortcuts[choice] ? 1 : 0);
    // And the components: an update keeps what was chosen and left out.
    for (const bool chosen : {true, false}) {
        if (!manifest.declared.components.empty())
            (void)entry.writeText(
                chosen ? EntryValue::Components : EntryValue::ComponentsLeftOut,
                ComponentListText(manifest.declared.components, manifest.chosenComponents, chosen));
    }
    entry.writeList(kFilesList, manifest.installedFiles());
    // The installed program registers its own file types, protocols and App
    // Paths; for the current user alone, with the user's own rights.
    // It logs what it registers into this installation's log.
    const String switches = u"/Install" + LogSwitch();
    Log(LogEvent::HandOff, u"\"{0}\" {1}", {program, switches});
    KernelHandle started;
    KernelHandle* process = handOff ? handOff : &started;
    (void)ShellLaunchStartIn(manifest.scope, program.data(), switches.data(), process);
    if (!handOff)
        (void)WaitForLaunched(&started);
    return kResultOk;
}

Result CreateShortcut(InstallManifest& manifest, const String& folder, const String& name,
                      const String& target, const String& description) {
    if (folder.isEmpty())
        return kResultBadPath;
    if (name.isEmpty())
        return kResultInvalidName;
    if (target.isEmpty())
        return kResultBadPath;
    const String file = PlannedShortcut{folder, name, target, description}.file();
    Log(LogEvent::Shortcut, file);
    SetFileAttributesW(Wide(file.data()), FILE_ATTRIBUTE_NORMAL);
    ComPointer<IShellLinkW> link;
    ComPointer<IPersistFile> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.receiveInterface())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.receiveInterface())) ||
        FAILED(link->SetPath(Wide(target.data()))) ||
        (!description.isEmpty() && FAILED(link->SetDescription(Wide(description.data())))) ||
        FAILED(persist->Save(Wide(file.data()), TRUE)) ||
        FAILED(persist->SaveCompleted(Wide(file.data())))) {
        Log(LogEvent::Shortcut, u"{0} could not be made", {file});
        return kResultPlatformFailure;
    }
    manifest.createdShortcuts.push_back(file);
    return kResultOk;
}

String PlannedShortcut::file() const {
    return NormalisedFolder(folder) + name + u".lnk";
}

std::vector<PlannedShortcut> ProgramGroupShortcuts(const InstallManifest& manifest,
                                                   LocalizedElementSource& strings) {
    const String folder =
        NormalisedFolder(PlacesOf(manifest.scope).startMenuPrograms() + manifest.programGroup);
    std::vector<PlannedShortcut> shortcuts = {
        {folder, manifest.displayName(), manifest.launchPath(IsWow64()), manifest.description}};
    for (const ShortcutEntry& entry : manifest.shortcuts) {
        PlannedShortcut shortcut{folder, String(), manifest.shortcutTarget(entry, IsWow64()),
                                 String()};
        (void)ResolveLocalizedText(strings, entry.text.data(), &shortcut.name);
        (void)ResolveLocalizedText(strings, entry.help.data(), &shortcut.description);
        shortcuts.push_back(shortcut);
    }
    return shortcuts;
}

std::vector<PlannedShortcut> DesktopShortcuts(const InstallManifest& manifest) {
    std::vector<PlannedShortcut> shortcuts;
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice) {
        const String folder =
            manifest.chosenShortcuts[choice] ? kShortcutChoices[choice].folder() : String();
        // An unknown folder or a network path is skipped.
        if (IsValidFolderPath(folder))
            shortcuts.push_back({folder, manifest.displayName(), manifest.launchPath(IsWow64()),
                                 manifest.description});
    }
    return shortcuts;
}

Result CreateProgramGroup(InstallManifest& manifest, LocalizedElementSource& strings) {
    const std::vector<PlannedShortcut> shortcuts = ProgramGroupShortcuts(manifest, strings);
    const Result created = CreateFolderTree(shortcuts.front().folder);
    if (created != kResultOk)
        return created;
    for (const PlannedShortcut& shortcut : shortcuts) {
        const Result result = CreateShortcut(manifest, shortcut.folder, shortcut.name,
                                             shortcut.target, shortcut.description);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

Result CreateDesktopShortcuts(InstallManifest& manifest) {
    for (const PlannedShortcut& shortcut : DesktopShortcuts(manifest))
        (void)CreateShortcut(manifest, shortcut.folder, shortcut.name, shortcut.target,
                             shortcut.description);
    return kResultOk;
}

Result WriteShortcutList(InstallManifest& manifest) {
    Log(LogEvent::RegistryKey, u"{0}, with {1} shortcuts listed",
        {EntryKeyName(manifest, kShortcutsList), uint32_t(manifest.createdShortcuts.size())});
    UninstallEntry(manifest.uuid, manifest.scope)
        .writeList(kShortcutsList, manifest.createdShortcuts);
    return kResultOk;
}

} // namespace vornsetup
