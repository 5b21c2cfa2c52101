// UpdateJournal: the record of an installation under way, kept in the
// registry so that a setup run after an interruption (a kill, a power
// failure) can finish it or undo it: the key
// "Software\VornLib\Updates\{<UUID>}" of the product, under the root of the
// installation's list of installed programs: HKEY_LOCAL_MACHINE's 32-bit
// view per machine, HKEY_CURRENT_USER per user (a per-user setup has no
// rights to the other). Its values:
//   "Step"          the step reached (UpdateStep), written before the step begins
//   "InstallFolder" the new installation's folder
//   "Program"       the new installation's program, which registers it ("/Install")
//                   and takes its registrations away again ("/Quiet /Update")
//   "ProgramGroup"  its program group; "Company" the product's company
//   "Files"         its files relative to its folder, a numbered list
//   "Shortcuts"     the shortcuts its registration makes, a numbered list of paths
//   "Settings"      each change to a declared setting, recorded before it is made
//                   with what was there (SettingRecord.h), a numbered list
//   "Services"      each change to a declared Windows service, recorded before it
//                   is made (ServiceRecord.h), a numbered list
//   "Steps"         the undo command of each declared step, recorded before the
//                   step runs (StepRuns.h), a numbered list
//   "Previous"      the previous installation's uninstall entry as it was, with
//                   its lists: written whole before the step says it is there
// Every installation writes one, an installation over nothing too; it goes
// once the installation is complete, or undone.
#pragma once

#include <vector>

#include "VornLib/app/RecordConfinement.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {

// In order: each step undoes by undoing the ones below it too.
enum class UpdateStep : uint32_t {
    None = 0,             // no installation under way
    Copying = 1,          // new files are written beside their places, under partial names
    RemovingPrevious = 2, // the previous entry is kept here; its program's removal runs
    MovingAside = 3,      // what lies in the way is renamed aside
    PuttingInPlace = 4,   // everything in the way is aside; new files take their places
    Registering = 5,      // the new entry, the program's "/Install", the shortcuts
    Committed = 6,        // the new version is installed; what was put aside goes
};

// What the uninstall entry at `entryPath` below `root` says its installation
// occupies; empty without an entry.
InstalledProduct InstalledProductOf(uint32_t root, const String& entryPath);

// The scope whose record of an interrupted installation is this product's:
// the one scope that holds one; with records in both, the one whose new or
// previous program is `program` (compared as paths), else the machine's.
// 29 when neither holds one. It only chooses: what a record names is acted
// on as RecordConfinement.h says.
Result FindUpdateJournal(const UUID& uuid, const String& program, InstallScope* scope);

// The lists of changes made beside the files, each recorded before it is made.
enum class JournalList : uint8_t { Settings, Steps, Services };

class UpdateJournal {
public:
    UpdateJournal(const UUID& uuid, InstallScope scope);

    // None without a record.
    UpdateStep step();
    bool exists() { return key_.exists(); }
    // A fresh record of the installation `next`, at step Copying.
    Result start(const InstalledProduct& next, const String& company);
    Result setStep(UpdateStep step);
    Result recordShortcuts(const std::vector<String>& shortcuts);
    // Adds a change to one of the lists of changes, on the disk before it
    // returns.
    Result recordChange(JournalList list, const String& record);
    std::vector<String> changes(JournalList list) const;
    // What a list of the kept previous entry holds (kSettingsList, ...).
    std::vector<String> previousList(const char16_t* entryList) const;
    // Keeps a copy of the product's live uninstall entry, when it has one;
    // `previous` reads it then.
    Result keepPrevious();
    // Puts the kept entry back in place of whatever the live one is now.
    Result restorePrevious();

    InstalledProduct next();
    // Empty without a previous installation.
    InstalledProduct previous();
    bool hasPrevious() { return previous_.exists(); }
    String company();

    Result remove();

private:
    Result append(const char16_t* listName, const String& record);

    UUID uuid_;
    InstallScope scope_;
    uint32_t root_;
    String path_;
    RegistryKey key_;
    RegistryKey previous_;
};

} // namespace vorn
