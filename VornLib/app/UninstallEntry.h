// UninstallEntry: a program's entry in the system's list of installed
// programs, as the installer writes it and the removal reads it back. Beside
// the values the system shows, the entry keeps where the program went
// ("VornLib.InstallFolder", "VornLib.ProgramGroup"), which executable removes
// it ("VornLib.UninstallProgram"), the installer's shortcut choices for the
// next installation ("VornLib.CreateDesktopShortcut" and
// "VornLib.CreateQuickLaunchShortcut", 1 or 0) and components ("VornLib.Components",
// "VornLib.ComponentsLeftOut", names separated by ","), and two numbered lists in
// sub-keys: the installed files relative to the install folder ("FilesList")
// and the shortcuts made ("ShortcutsList"), as values "0", "1", … without gaps,
// and the declared settings it owns ("SettingsList").
// An installation for all users keeps its entry under HKEY_LOCAL_MACHINE, one
// for the current user alone under HKEY_CURRENT_USER (InstallScope.h).
#pragma once

#include <vector>

#include "VornLib/app/InstallScope.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Uuid.h"

namespace vorn {

// The list of installed programs, and a program's entry in it:
// "Software\Microsoft\Windows\CurrentVersion\Uninstall\{<UUID>}".
constexpr char16_t kUninstallListKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
String UninstallEntryPath(const UUID& uuid);

// The entry's values, each written and read under its name in
// kEntryValueNames: what the list of installed programs shows and runs, then
// the framework's own.
enum class EntryValue : uint32_t {
    UninstallString,
    QuietUninstallString,
    DisplayName,
    Contact,
    Comments,
    DisplayIcon,
    DisplayVersion,
    Publisher,
    HelpLink,
    URLInfoAbout,
    URLUpdateInfo,
    InstallDate,
    InstallLocation,
    EstimatedSize,
    ModifyPath,
    NoModify,
    NoRepair,
    InstallFolder,
    ProgramGroup,
    UninstallProgram,
    CreateDesktopShortcut,
    CreateQuickLaunchShortcut,
    Components,
    ComponentsLeftOut,
    Count
};
extern const char16_t* const kEntryValueNames[uint32_t(EntryValue::Count)];
inline const char16_t* EntryValueName(EntryValue value) {
    return kEntryValueNames[uint32_t(value)];
}

// The commands the entry registers for `program`: "\"<program>\" /Uninstall",
// which asks first, and for unattended removal (package managers, scripts)
// the same with " /Quiet".
String UninstallCommand(const String& program, bool quiet);

constexpr char16_t kFilesList[] = u"FilesList";
constexpr char16_t kShortcutsList[] = u"ShortcutsList";
// The declared settings the installation owns (SettingRecord.h).
constexpr char16_t kSettingsList[] = u"SettingsList";
// The commands its removal runs first (StepRuns.h).
constexpr char16_t kStepsList[] = u"StepsList";
// The steps its installation ran, with their exit codes, for the result file.
constexpr char16_t kStepsRunList[] = u"StepsRun";
// The Windows services it owns, by name (ServiceChanges.h).
constexpr char16_t kServicesList[] = u"ServicesList";
// Its prerequisites, found or installed by its installation, for the result file.
constexpr char16_t kPrerequisitesList[] = u"Prerequisites";

// What the list of installed programs shows: the name, with the tag's first
// word in parentheses when there is a tag ("Tool (Beta)"), and the version,
// with the tag after a blank ("1.5 Beta 2").
String EntryDisplayName(const String& name, const String& tag);
String EntryDisplayVersion(const String& version, const String& tag);
// The entry's key name, as package managers call it a product code:
// "{<UUID>}".
String EntryKeyName(const UUID& uuid);
// The entry's key, or one of its lists, as logs name it: "HKCU\<path>" per
// user, "HKLM\<path> (32-bit view)" per machine.
String EntryKeyLogName(const UUID& uuid, InstallScope scope, const String& list = String());

} // namespace vorn

#ifdef _WIN32
#include "VornLib/app/InstallScope.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {

// The root of the entries of installations for all users: installers are
// 32-bit programs, and the entry lives in the 32-bit registry view, which
// 64-bit builds reach explicitly (InstallScope.h holds the per-user one).
constexpr uint32_t kUninstallEntryRoot = kRegistryLocalMachine32;

// A numbered list in a key of its own (values "0", "1", … without gaps), as
// the entry's lists are kept: the items up to the first gap, at most `limit`;
// none without the key.
std::vector<String> ReadNumberedList(uint32_t root, const String& keyPath,
                                     uint32_t limit = UINT32_MAX);
// An item that cannot be written is skipped.
void WriteNumberedList(uint32_t root, const String& keyPath, const std::vector<String>& items);

// What the removal needs of a program's description, read from the entry
// whose "VornLib.UninstallProgram" names `program` (compared as paths), in
// either scope: the UUID from the entry's name, the name, version and company
// from "DisplayName", "DisplayVersion" and "Publisher". A program whose own
// payload cannot be read still removes itself with it. 29 when no entry
// names the program.
Result DescriptionFromUninstallEntry(const String& program, ApplicationDescription* description);

// The scope in which the product's entry lies: the one scope that holds an
// entry of `uuid`; with entries in both, the one whose
// "VornLib.UninstallProgram" names `program` (compared as paths), else the
// machine's. 29, and per machine, when neither holds one.
Result FindUninstallEntry(const UUID& uuid, const String& program, InstallScope* scope);

class UninstallEntry {
public:
    UninstallEntry(const UUID& uuid, InstallScope scope);

    InstallScope scope() const { return scope_; }

    // The entry's own key; opened on first use.
    RegistryKey& key() { return key_; }
    Result readText(EntryValue value, String* text) {
        return key_.readText(EntryValueName(value), text);
    }
    Result writeText(EntryValue value, const String& text) {
        return key_.writeText(EntryValueName(value), text.data());
    }
    Result readNumber(EntryValue value, int32_t* number) {
        return key_.readInt32(EntryValueName(value), number);
    }
    Result writeNumber(EntryValue value, int32_t number) {
        return key_.writeInt32(EntryValueName(value), number);
    }
    bool exists() { return key_.exists(); }
    void close() { key_.close(); }

    // The list's items up to the first gap, at most `limit`; none without the list.
    std::vector<String> readList(const char16_t* list, uint32_t limit = UINT32_MAX) const;
    // An item that cannot be written is skipped.
    void writeList(const char16_t* list, const std::vector<String>& items) const;

    // Deletes the entry with its lists.
    Result remove();

private:
    UUID uuid_;
    InstallScope scope_;
    String path_;
    RegistryKey key_;
};

} // namespace vorn
#endif
