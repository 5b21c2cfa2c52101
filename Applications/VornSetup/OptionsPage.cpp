#include "Applications/VornSetup/InstallerPages.h"

#include <commctrl.h>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/PageText.h"
#include "Applications/VornSetup/ScopeChoice.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/gui/AccessKeys.h"
#include "VornLib/gui/BrowseFolderDialog.h"
#include "VornLib/gui/ButtonControl.h"
#include "VornLib/gui/ComboBoxControl.h"
#include "VornLib/gui/EditBoxControl.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/WindowSystem.h"

namespace vornsetup {

using namespace vorn;

namespace {

// The shortcut choice whose check box was clicked, if any.
const ShortcutChoice* ChoiceOfCommand(WPARAM w) {
    for (const ShortcutChoice& choice : kShortcutChoices) {
        if (IsButtonCommand(w, choice.box))
            return &choice;
    }
    return nullptr;
}

// The options page's radio buttons of the scope.
struct ScopeButton {
    const char16_t* name;
    InstallScope scope;
};
const ScopeButton kScopeButtons[] = {{u"ScopeAllUsers", InstallScope::Machine},
                                     {u"ScopeCurrentUser", InstallScope::User}};

const ScopeButton* ScopeButtonOfCommand(WPARAM w) {
    for (const ScopeButton& button : kScopeButtons) {
        if (IsButtonCommand(w, button.name))
            return &button;
    }
    return nullptr;
}

// The options page's own message: the group picked from the list is taken.
constexpr UINT kApplyPickedGroup = kInstallerMessage + 1;

} // namespace

String OptionsPage::folderText() const {
    auto* folder = dynamic_cast<EditBoxControl*>(control(u"InstallFolder"));
    return folder ? folder->text() : String();
}

void OptionsPage::setFolderText(const String& text) {
    if (auto* folder = dynamic_cast<EditBoxControl*>(control(u"InstallFolder")))
        folder->setText(text);
}

String OptionsPage::groupText() const {
    auto* group = dynamic_cast<ComboBoxControl*>(control(u"ProgramGroup"));
    return group ? group->text() : String();
}

void OptionsPage::setGroupText(const String& text) {
    if (auto* group = dynamic_cast<ComboBoxControl*>(control(u"ProgramGroup")))
        group->setText(text);
}

void OptionsPage::shown() {
    const InstallManifest& manifest = this->manifest();
    // The name stands as itself in a caption that marks an access key.
    SetText(control(u"InstallFolderLabel"),
            Formatted(u"#InstallFolderLabel", EscapeAccessKeys(manifest.displayName())));
    filling_ = true;
    setFolderText(manifest.installFolder);
    SetText(control(u"SpaceRequired"),
            Formatted(u"#SpaceRequired", double(SpaceRequiredMiB(manifest.chosenSize()))));
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice) {
        if (auto* box = dynamic_cast<ButtonControl*>(control(kShortcutChoices[choice].box)))
            box->setChecked(manifest.chosenShortcuts[choice]);
    }
    listGroups(manifest.programGroup);
    showScopeChoice();
    groupPicked_ = false;
    filling_ = false;
    validate();
}

void OptionsPage::listGroups(const String& group) {
    auto* box = dynamic_cast<ComboBoxControl*>(control(u"ProgramGroup"));
    if (!box)
        return;
    box->clearItems();
    // The existing groups of the scope's start menu, in the order the folder lists them.
    const String programs = PlacesOf(manifest().scope).startMenuPrograms();
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(Wide((programs + u"*").data()), &found));
    for (bool more = search.isValid(); more; more = FindNextFileW(search.get(), &found)) {
        const bool folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (folder && wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            box->addItem(String(Units(found.cFileName)));
    }
    setGroupText(group);
}

void OptionsPage::showScopeChoice() {
    const InstallManifest& manifest = this->manifest();
    const int show = manifest.scopeChoiceOffered ? SW_SHOWNA : SW_HIDE;
    Window* label = control(u"InstallScopeLabel");
    SetText(label, Formatted(u"#InstallScopeLabel", manifest.displayName()));
    for (const ScopeButton& button : kScopeButtons) {
        Window* control = this->control(button.name);
        if (auto* radio = dynamic_cast<ButtonControl*>(control))
            radio->setChecked(manifest.scope == button.scope);
        if (control && control->handle())
            ShowWindow(control->handle(), show);
    }
    if (label && label->handle())
        ShowWindow(label->handle(), show);
}

void OptionsPage::chooseScope(InstallScope scope) {
    InstallManifest& manifest = this->manifest();
    if (manifest.scope == scope)
        return;
    const String name = manifest.displayName();
    const String oldDefault = DefaultInstallFolder(PlacesOf(manifest.scope).programFiles(), name);
    const String newDefault = DefaultInstallFolder(PlacesOf(scope).programFiles(), name);
    manifest.scope = scope;
    setFolderText(FolderAfterScopeChange(folderText(), oldDefault, newDefault));
    listGroups(groupText());
    main().updateShield();
    validate();
}

void OptionsPage::hidden() {
    InstallManifest& manifest = this->manifest();
    manifest.installFolder = WindowsPath(folderText());
    manifest.programGroup = groupText();
}

void OptionsPage::validate() {
    if (filling_)
        return;
    // A refused folder says why where the space required stands.
    const char16_t* problem = InstallFolderProblem(folderText());
    Window* reason = control(u"FolderProblem");
    if (problem)
        SetText(reason, Formatted(problem, manifest().displayName()));
    ShowControl(reason, problem != nullptr);
    ShowControl(control(u"SpaceRequired"), problem == nullptr);
    const bool valid = !problem && IsValidProgramGroup(groupText());
    Post(&main(), valid ? kEnableInstall : kDisableInstall);
}

void OptionsPage::storeShortcutChoice(uint32_t choice) {
    auto* box = dynamic_cast<ButtonControl*>(control(kShortcutChoices[choice].box));
    if (!box || !box->handle())
        return;
    const bool checked = box->isChecked();
    // The setup's preferences last for this run: the entry remembers the choice.
    (void)Preferences().setBoolean(kShortcutChoices[choice].preference, checked);
    manifest().chosenShortcuts[choice] = checked;
}

void OptionsPage::applyPickedGroup() {
    if (!groupPicked_)
        return;
    // A picked group gets a folder of the program's own inside it.
    groupPicked_ = false;
    setGroupText(GroupAfterPick(pickedGroup_, manifest().displayName()));
    validate();
}

void OptionsPage::browse() {
    BrowseFolderDialog dialog;
    if (dialog.load(u"BrowseInstallFolderDialog") != kResultOk)
        return;
    String chosen;
    if (dialog.run(main().handle(), folderText(), &chosen) != kResultOk)
        return;
    setFolderText(chosen + manifest().displayName());
}

bool OptionsPage::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == kApplyPickedGroup) {
        applyPickedGroup();
        *result = 0;
        return true;
    }
    if (message != WM_COMMAND)
        return InstallerPage::handleMessage(message, w, l, result);
    const uint16_t id = LOWORD(w);
    const uint16_t code = HIWORD(w);
    if (id == CommandId(u"InstallFolder") && code == EN_CHANGE) {
        validate();
    } else if (id == CommandId(u"ProgramGroup")) {
        if (code == CBN_SELENDOK) {
            auto* group = dynamic_cast<ComboBoxControl*>(control(u"ProgramGroup"));
            const int32_t picked = group ? group->selection() : -1;
            groupPicked_ = picked >= 0;
            pickedGroup_ = groupPicked_ ? group->itemText(uint32_t(picked)) : String();
        } else if ((code == CBN_EDITCHANGE || code == CBN_CLOSEUP) && groupPicked_) {
            // Once the box is done with the pick: it puts the item's text
            // into its field after telling of the closed list.
            PostMessageW(handle(), kApplyPickedGroup, 0, 0);
        } else if (code == CBN_EDITCHANGE) {
            validate();
        }
    } else if (const ShortcutChoice* choice = ChoiceOfCommand(w)) {
        storeShortcutChoice(uint32_t(choice - kShortcutChoices));
    } else if (const ScopeButton* button = ScopeButtonOfCommand(w)) {
        chooseScope(button->scope);
    } else if (IsButtonCommand(w, u"BrowseFolder")) {
        browse();
    } else {
        return InstallerPage::handleMessage(message, w, l, result);
    }
    *result = 0;
    return true;
}

} // namespace vornsetup
