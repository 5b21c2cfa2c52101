// Building the process's manifest from the payload, the registry, the
// command line and the defaults.
#include "Applications/VornSetup/InstallManifest.h"

#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"

namespace vornsetup {

using namespace vorn;

InstallManifest& InstallManifest::Instance() {
    static InstallManifest* manifest = [] {
        auto* built = new InstallManifest;
        built->keepsSetup = true;
        ResourceCache& resources = ResourceCache::Instance();
        const XmlNode* element = nullptr;
        if (resources.getElement(u"InstallationSettings", &element) == kResultOk) {
            (void)built->readSettings(*element, &resources);
            (void)resources.release(element);
        }
        if (resources.getElement(u"Files", &element) == kResultOk) {
            (void)built->readFileList(*element);
            (void)resources.release(element);
        }
        for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice)
            (void)Preferences().getBoolean(kShortcutChoices[choice].preference,
                                           &built->chosenShortcuts[choice], true);
        if (resources.getElement(u"RemovalProgram", &element) == kResultOk) {
            (void)built->readRemovalProgram(*element);
            (void)resources.release(element);
        }
        if (resources.getElement(kUpdateOfElement, &element) == kResultOk) {
            (void)built->readUpdateOf(*element);
            (void)resources.release(element);
        }
        built->readInstalledScope();
        built->chooseScope(AppRuntime::instance().commandLine());
        built->readChoices();
        return built;
    }();
    return *manifest;
}

void InstallManifest::readInstalledScope() {
    installed = FindUninstallEntry(uuid, String(), &installedScope) == kResultOk;
    if (installed) {
        UninstallEntry entry(uuid, installedScope);
        (void)entry.readText(EntryValue::InstallFolder, &installedFolder);
        (void)entry.readText(EntryValue::DisplayVersion, &installedVersion);
    }
}

void InstallManifest::readChoices() {
    readPreviousChoices();
    applyHandedOnChoices(AppRuntime::instance().commandLine());
    allowUserWritableFolder =
        AppRuntime::instance().commandLine().hasSwitch(u"AllowUserWritableFolder");
    repairing = AppRuntime::instance().commandLine().hasSwitch(u"Repair");
    String folder;
    const bool hasFolder =
        AppRuntime::instance().commandLine().switchValue(u"InstallFolder", &folder);
    applyDefaults(hasFolder ? &folder : nullptr, PlacesOf(scope).programFiles());
}

void InstallManifest::readPreviousChoices() {
    UninstallEntry entry(uuid, scope);
    updating = entry.exists();
    String value;
    if (entry.readText(EntryValue::InstallFolder, &value) == kResultOk)
        installFolder = value;
    if (entry.readText(EntryValue::ProgramGroup, &value) == kResultOk)
        programGroup = value;
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice) {
        int32_t chosen = 0;
        if (entry.readNumber(kShortcutChoices[choice].entryValue, &chosen) == kResultOk)
            chosenShortcuts[choice] = chosen != 0;
    }
    String chosen;
    String leftOut;
    (void)entry.readText(EntryValue::Components, &chosen);
    (void)entry.readText(EntryValue::ComponentsLeftOut, &leftOut);
    KeepEarlierComponentChoice(declared.components, chosen, leftOut, &chosenComponents);
}

} // namespace vornsetup
