// The changes an installation declares beside its files (settings,
// services, steps), made as steps of the transaction: each change is recorded
// in the journal before it is made, so that a roll-back, or the recovery
// after a kill, undoes exactly what was done.
#include "VornLib/app/UpdateTransaction.h"

#include "VornLib/app/ServiceChanges.h"
#include "VornLib/app/SettingChanges.h"
#include "VornLib/app/StepRuns.h"

namespace vorn {

Result UpdateTransaction::applySettings(const std::vector<SettingDeclaration>& declarations,
                                        const PlaceholderValues& values,
                                        std::vector<String>* owned) {
    SettingChanges changes(scope_);
    return changes.apply(
        declarations, values, journal_.previousList(kSettingsList),
        [this](const String& record) {
            return journal_.recordChange(JournalList::Settings, record);
        },
        owned);
}

Result UpdateTransaction::stopServices() {
    // Only an installation for all users has services; the live entry names them.
    const std::vector<String> services = scope_ == InstallScope::Machine
                                             ? UninstallEntry(uuid_, scope_).readList(kServicesList)
                                             : std::vector<String>();
    if (services.empty())
        return kResultOk;
    return ServiceChanges().stop(services, [this](const String& record) {
        return journal_.recordChange(JournalList::Services, record);
    });
}

Result UpdateTransaction::applyServices(const std::vector<ServiceDeclaration>& declarations,
                                        std::vector<String>* owned) {
    owned->clear();
    if (declarations.empty() && journal_.previousList(kServicesList).empty())
        return kResultOk;
    return ServiceChanges().apply(
        declarations, next_.folder, journal_.previousList(kServicesList),
        [this](const String& record) {
            return journal_.recordChange(JournalList::Services, record);
        },
        owned);
}

Result UpdateTransaction::startServices(const std::vector<ServiceDeclaration>& declarations) {
    return declarations.empty() ? kResultOk : ServiceChanges().startDeclared(declarations);
}

Result UpdateTransaction::runSteps(const std::vector<StepDeclaration>& steps,
                                   const PlaceholderValues& values, std::vector<String>* ran,
                                   std::vector<String>* atRemoval) {
    return StepRuns(next_.folder)
        .runAfterInstallation(
            steps, values, journal_.hasPrevious(),
            [this](const String& record) {
                return journal_.recordChange(JournalList::Steps, record);
            },
            ran, atRemoval);
}

} // namespace vorn
