// SettingChanges: the declared settings (SettingDeclarations.h) of an
// installation made, put back and taken away in its scope's hive and
// environment. Every change is handed to a recorder, with what was there,
// before it is made: the update's journal keeps them (SettingRecord.h), so
// that a roll-back in this process or in a later one after a kill puts back
// exactly what was there, last change first. What the installation owns
// afterwards goes into its uninstall entry's "SettingsList", which its
// removal reads.
// What it owns: the values and variables it declares, the keys it created,
// and the PATH entries it added. A PATH that already held a folder keeps it
// as it was, and the removal leaves it there; entries that others added
// since stay, in their order.
// A change to the environment is told to every window ("Environment" in
// WM_SETTINGCHANGE), so that programs started from the shell see it.
#pragma once

#include <functional>
#include <vector>

#include "VornLib/app/InstallScope.h"
#include "VornLib/app/SettingRecord.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {

using SettingRecorder = std::function<Result(const String& record)>;

class SettingChanges {
public:
    explicit SettingChanges(InstallScope scope) : scope_(scope) {}
    ~SettingChanges();

    // First takes away what `previousOwned` (the previous installation's
    // list) holds and the declarations no longer do; then makes the
    // declarations, expanded with `values`, in order. Stops at the first
    // change that cannot be recorded or made (its result); what was made
    // stays for the roll-back. `owned`: this installation's list.
    Result apply(const std::vector<SettingDeclaration>& declarations,
                 const PlaceholderValues& values, const std::vector<String>& previousOwned,
                 const SettingRecorder& record, std::vector<String>* owned);
    // Puts back what a journal's records say was there, last first.
    void undo(const std::vector<String>& records);
    // Takes away what an entry's list says the installation owns.
    void remove(const std::vector<String>& owned);

private:
    std::vector<String> previousKeys(const std::vector<SettingRecord>& previous,
                                     const std::vector<SettingRecord>& declared);
    Result openKey(const SettingRecord& record, RegistryKey* key) const;
    String logName(const SettingRecord& record) const;
    // The value as it is now, as a journal keeps it.
    Result currentState(const SettingRecord& value, SettingRecord* state);
    Result restore(const SettingRecord& previous);
    Result write(const SettingRecord& value, const std::vector<uint8_t>& bytes, uint32_t type);
    Result changePath(const String& folder, bool add);
    bool onPath(const String& folder);

    InstallScope scope_;
    bool environmentChanged_ = false;
};

} // namespace vorn
