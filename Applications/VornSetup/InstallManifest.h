// InstallManifest: everything the installer knows about the application it
// installs: identity, texts and links, executables, shortcuts, the file list
// with sizes and dates, and the folder and program group of this installation.
// Built from "InstallationSettings" and "Files" of the payload's definitions,
// the previous installation's registry entry, the command line and defaults.
#pragma once

#include <vector>

#include "Applications/VornSetup/ShortcutChoices.h"
#include "VornLib/app/InstallScope.h"
#include "VornLib/app/InstallationDeclarations.h"
#include "VornLib/app/InstalledProduct.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/app/UpdateDelta.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/CommandLine.h"
#include "VornLib/core/DateTime.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/Path.h"

namespace vornsetup {

using vorn::Result;
using vorn::String;

struct ShortcutEntry {
    String target; // relative to the install folder
    String text;   // string key of the shortcut's name
    String help;   // string key of its description
};

struct FileEntry {
    String relativePath;
    uint64_t size = 0;
    vorn::DateTime date = vorn::kInvalidDateTime;
    bool copied = false;
    // A repair leaves it as it is: its bytes are the setup's.
    bool kept = false;
    // A delta setup's file: made from the installed one, or that one as it is.
    vorn::FileBase base = {};
};

// The folder proposed in `programFiles` (a separator at its end or not).
String DefaultInstallFolder(const String& programFiles, const String& displayName);

// One text value of the uninstall entry: its name and what it holds.
struct EntryText {
    vorn::EntryValue name;
    String value;
};

class InstallManifest {
public:
    // The one manifest of the process, built on first call.
    static InstallManifest& Instance();

    // Reads "InstallationSettings" in order, stopping at the first missing
    // required element (29) or attribute (6); what was read stays. The scope
    // rule is read first; a value it refuses leaves the default rule and the
    // reason in `scopeProblem`. An element or attribute that the
    // configuration's vocabulary lacks leaves the first one, at its line and
    // column, in `definitionsProblem`.
    Result readSettings(const vorn::XmlNode& settings, vorn::LocalizedElementSource* strings);
    // Reads the outermost "Files" element; a missing Path (6), Size or Date
    // (6) ends the list there.
    Result readFileList(const vorn::XmlNode& files);
    // Reads the "RemovalProgram" element that VornPack writes beside the file
    // list for a product not built on VornLib: a carried file, relative to
    // the install folder. One that the file list lacks is not taken (31).
    Result readRemovalProgram(const vorn::XmlNode& element);
    // Reads the "UpdateOf" element of a delta setup's file list (UpdateDelta.h):
    // the version whose files it patches. A delta setup keeps no copy of
    // itself: it cannot repair what it does not carry.
    Result readUpdateOf(const vorn::XmlNode& element);
    // Whether the product is installed, in which scope and folder, from the
    // uninstall entries.
    void readInstalledScope();
    // The scope of this installation: the one the command line chooses
    // ("AllUsers", "CurrentUser"), else the one of the product's existing
    // installation, else the one the definitions propose.
    void chooseScope(vorn::CommandLine& commandLine);
    // The previous installation's folder, group and shortcut choices, from
    // its uninstall entry in this installation's scope.
    void readPreviousChoices();
    // Those, then the command line's folder and the defaults.
    void readChoices();
    // Folder and group from the command line and the defaults (steps 5-7).
    void applyDefaults(const String* installFolderSwitch, const String& programFiles);
    // The program group, shortcut boxes and components that the wizard of a
    // launcher chose and handed on ("/ProgramGroup", "/CreateDesktopShortcut:1",
    // "/Components:Core,Docs", ...), or a command line or choices file gave.
    void applyHandedOnChoices(vorn::CommandLine& commandLine);
    // "/Components": 0 without it or when it names only declared components,
    // else 5 and the line that says which name is unknown.
    Result checkComponentSwitch(vorn::CommandLine& commandLine, String* refusal) const;
    // The component a file is installed with; -1 for one always installed (in
    // none, or a program the entry and shortcuts name, whatever claims it).
    int32_t componentOfFile(const FileEntry& file) const;
    // The bytes of the component's files; of all files the choice installs.
    uint64_t componentSize(uint32_t component) const;
    uint64_t chosenSize() const;
    // Takes the files and declarations of the components left out away, as
    // the copy begins: what is installed, recorded and removed later is what
    // remains.
    void leaveOutUnchosenComponents();

    String displayName() const;
    String displayVersion() const;
    String executablePath() const;
    String executableX64Path() const;
    // Whether the file list holds this relative path ("\\" or "/" between
    // folders, letters ignoring case).
    bool carriesFile(const String& relativePath) const;
    // The program that the system starts: the 64-bit executable on 64-bit
    // Windows when the payload carries one, else the 32-bit one. It registers
    // the file types and App Paths, so the shortcuts and the removal command
    // name it too.
    String launchPath(bool wow64) const;
    // Where a shortcut entry points: below the install folder, or at the
    // launched program when the entry names the executable.
    String shortcutTarget(const ShortcutEntry& entry, bool wow64) const;
    // The program that registers the product and removes it again, which the
    // uninstall entry names: the framework's removal program when the setup
    // carries one, else the product's own launched program (built on VornLib).
    String removalProgramPath(bool wow64) const;
    // What the update's steps install: the folder, the removal program, the
    // program group and the files to write (the kept copy of the setup with
    // them; a repair's kept files apart), with the company and the folder's
    // rule.
    vorn::InstallationPlan installationPlan(bool wow64) const;
    // Every file the installation holds, as its entry lists them: the
    // payload's, and the kept copy of the setup.
    std::vector<String> installedFiles() const;
    String uninstallKeyPath() const;
    // What a declared setting's "{InstallFolder}" and the like stand for:
    // the folder without its last separator.
    vorn::PlaceholderValues placeholderValues() const;
    // The uninstall entry's text values, in the order written, for the
    // removal program `program` (removalProgramPath) on `installDate`
    // ("YYYYMMDD"). A value with nothing to say is left out: the entry holds
    // no value rather than an empty one.
    std::vector<EntryText> uninstallEntryTexts(const String& program,
                                               const String& installDate) const;

    // Where an installation keeps a copy of its setup, relative to its
    // folder: the repair that the entry registers runs it.
    static constexpr char16_t kKeptSetup[] = u"VornLib.Setup.exe";

    vorn::UUID uuid;
    String name;
    String version;
    String tag;
    String company;
    vorn::Distribution distribution = vorn::Distribution::Public;
    String description;
    String executable;
    String executableX64;
    String webSite;
    String technicalSupport;
    String updates;
    String contact;
    std::vector<ShortcutEntry> shortcuts;
    // Settings, services, prerequisites and steps, each kind in document
    // order; a product with services installs for all users only.
    vorn::InstallationDeclarations declared;
    // By index into declared.components: installed or left out.
    vorn::ComponentChoice chosenComponents;
    String sourceRoot;
    std::vector<FileEntry> files;
    uint64_t totalSize = 0;
    // Relative to the install folder; empty when the product removes itself.
    String removalProgram;
    // A delta setup: the installed version it applies to; empty for a full setup.
    String updateOf;
    vorn::InstallScopeRule scopeRule;
    String scopeProblem;
    String definitionsProblem;
    // For whom this installation is made: the log, the result file and the
    // uninstall entry's place follow it.
    vorn::InstallScope scope = vorn::InstallScope::Machine;
    // The wizard lets the user choose the scope ("for all users" or "just
    // for me"); set by the installer's module at its start.
    bool scopeChoiceOffered = false;
    // Whether the product is installed, and in which scope.
    bool installed = false;
    vorn::InstallScope installedScope = vorn::InstallScope::Machine;
    String installedFolder;
    // The installed version, as its entry shows it ("DisplayVersion").
    String installedVersion;
    String installFolder;
    String programGroup;
    std::vector<String> createdShortcuts;
    // By ShortcutChoiceIndex: the previous installation's choice, else the
    // preference's default; true when neither is there.
    bool chosenShortcuts[kShortcutChoiceCount] = {true, true};
    // An earlier installation is there: this one replaces it.
    bool updating = false;
    // "/AllowUserWritableFolder": an installation for all users may go into
    // an existing folder that standard users may change.
    bool allowUserWritableFolder = false;
    // The installation keeps a copy of the running setup (the process's own
    // manifest does; one built for a test need not).
    bool keepsSetup = false;
    // "/Repair": only the files that differ from the setup's are written.
    bool repairing = false;
    // A repair found the kept copy of the setup as it should be.
    bool setupCopyKept = false;
};

} // namespace vornsetup
