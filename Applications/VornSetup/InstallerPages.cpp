#include "Applications/VornSetup/InstallerPages.h"

#include <commctrl.h>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/ScopeChoice.h"
#include "Applications/VornSetup/VersionChange.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/AccessKeys.h"
#include "VornLib/gui/BrowseFolderDialog.h"
#include "VornLib/gui/ButtonControl.h"
#include "VornLib/gui/ComboBoxControl.h"
#include "VornLib/gui/EditBoxControl.h"
#include "VornLib/gui/KeyboardNavigation.h"
#include "VornLib/gui/MessageBox.h"
#include "VornLib/gui/ProgressBarControl.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/TabCtrlControl.h"
#include "VornLib/gui/UrlControl.h"
#include "VornLib/gui/WindowSystem.h"

namespace vornsetup {

using namespace vorn;

namespace {

String Formatted(const char16_t* key, const FormatArgument& argument) {
    return Format(Localized(key).data(), {argument});
}

void SetLinkTarget(Window* link, const String& target) {
    if (auto* url = dynamic_cast<UrlControl*>(link))
        url->setTarget(target);
}

void SetText(Window* control, const String& text) {
    if (control)
        control->setTitle(text);
}

void ShowControl(Window* control, bool show) {
    if (control && control->handle())
        ShowWindow(control->handle(), show ? SW_SHOWNA : SW_HIDE);
}

// The shortcut choice whose check box was clicked, if any.
const ShortcutChoice* ChoiceOfCommand(WPARAM w) {
    for (const ShortcutChoice& choice : kShortcutChoices) {
        if (IsButtonCommand(w, choice.box))
            return &choice;
    }
    return nullptr;
}

bool ConfirmCancel(void* context) {
    const InstallManifest& manifest = *static_cast<const InstallManifest*>(context);
    HWND owner = WindowSystem::Instance().mainWindow()
                     ? WindowSystem::Instance().mainWindow()->handle()
                     : nullptr;
    // An update that is cancelled leaves the installed version as it is.
    const char16_t* question =
        manifest.updating ? u"UpdateCancelConfirmation" : u"CancelConfirmation";
    return ShowMessageBox(question, FormatArgument(manifest.displayName()), owner) == kButtonYes;
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

const PageCommand kMainPageCommands[] = {{u"InstallCmd", kStartInstallation},
                                         {u"QuitCmd", kCloseMainWindow}};
const PageCommand kFileTransferPageCommands[] = {{u"CancelCmd", kCloseMainWindow}};
const PageCommand kSuccessPageCommands[] = {{u"RunCmd", kRunApplication},
                                            {u"QuitCmd", kCloseMainWindow}};
const PageCommand kEndPageCommands[] = {{u"QuitCmd", kCloseMainWindow}};

} // namespace

// --- MainPage ---

MainPage::MainPage() : InstallerPage(kMainPageCommands) {}

void MainPage::created() {
    InstallerPage::created();
    selectTab(0);
}

void MainPage::shown() {
    // Shown again after a declined elevation prompt: the tab page on show
    // comes back with it.
    auto* tabs = dynamic_cast<TabCtrlControl*>(control(u"Tabs"));
    if (auto* page =
            tabs ? dynamic_cast<InstallerPage*>(tabs->page(tabs->selectedIndex())) : nullptr)
        page->becameVisible();
}

void MainPage::selectTab(uint32_t index) {
    if (auto* tabs = dynamic_cast<TabCtrlControl*>(control(u"Tabs")))
        (void)tabs->selectPage(index, false);
}

void MainPage::hidden() {
    // The tab page on show goes with the main page: its choices are taken now.
    auto* tabs = dynamic_cast<TabCtrlControl*>(control(u"Tabs"));
    if (auto* page =
            tabs ? dynamic_cast<InstallerPage*>(tabs->page(tabs->selectedIndex())) : nullptr)
        page->becameHidden();
}

bool MainPage::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == kInstallerMessage) {
        Window* install = control(u"InstallCmd");
        if (w == kEnableInstall || w == kDisableInstall) {
            if (install && install->handle())
                EnableControl(install->handle(), w == kEnableInstall);
        } else if (w == kSelectLicenseTab) {
            selectTab(1);
        }
        *result = 0;
        return true;
    }
    return InstallerPage::handleMessage(message, w, l, result);
}

// --- WelcomePage ---

void WelcomePage::shown() {
    const InstallManifest& manifest = this->manifest();
    const String name = manifest.displayName();
    SetText(control(u"Title"), Formatted(u"#WelcomeTitle", name));
    if (Window* link = control(u"InfoPublicDistribution")) {
        link->setTitle(Formatted(u"#WelcomeInfoURL", name));
        SetLinkTarget(link, manifest.webSite);
    }
    const char16_t* const kNotices[] = {u"NoticePublicProduct", u"NoticeOpenBeta",
                                        u"NoticeClosedBeta"};
    const uint32_t shown = uint32_t(manifest.distribution);
    for (uint32_t index = 0; index < 3; ++index)
        ShowControl(control(kNotices[index]), index == shown);
    // What Install will do to the version installed in this scope.
    const char16_t* change = VersionChangeText(VersionChangeOf(manifest));
    Window* note = control(u"VersionChange");
    if (change)
        SetText(note, Format(Localized(change).data(),
                             {manifest.installedVersion, manifest.displayVersion()}));
    ShowControl(note, change != nullptr);
}

bool WelcomePage::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    // A link that names no address or shell target stays inside the wizard
    // (it arrives as a command from the link): it leads to the licence.
    if (message == WM_COMMAND && dynamic_cast<UrlControl*>(FromHandle(HWND(l)))) {
        Post(&main(), kSelectLicenseTab);
        *result = 0;
        return true;
    }
    return InstallerPage::handleMessage(message, w, l, result);
}

// --- OptionsPage ---

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
            Formatted(u"#SpaceRequired", double(SpaceRequiredMiB(manifest.totalSize))));
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
    manifest.installFolder = folderText();
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

// --- FileTransferPage ---

FileTransferPage::FileTransferPage() : InstallerPage(kFileTransferPageCommands) {}

FileTransferPage::~FileTransferPage() {
    // The program never ends while a transfer runs.
    if (worker_)
        worker_->wait();
}

void FileTransferPage::shown() {
    if (worker_)
        return;
    worker_.reset(new TransferWorker(manifest(), ResourceCache::Instance(), this, main().handle()));
    (void)worker_->start();
}

void FileTransferPage::hidden() {
    if (worker_)
        worker_->wait();
}

bool FileTransferPage::mayClose() {
    if (!worker_)
        return true;
    return worker_->requestCancel(ConfirmCancel, &manifest());
}

// The worker calls these from its own thread: the bar is only posted to.
void FileTransferPage::setRange(double total) {
    total_ = total;
}

void FileTransferPage::setPosition(double done) {
    Window* bar = control(u"ProgressBar");
    const WPARAM position = WPARAM(ProgressBarControl::PositionOf(done, total_, 1.0, 0.0));
    if (!bar || !bar->handle() || position == shownPosition_)
        return;
    // Every position posted is a repaint of the bar waiting in the window's
    // queue: a copy of thousands of small files would pile them up faster
    // than they are drawn, and the end page would wait behind them.
    const double now = MonotonicSeconds();
    if (position != WPARAM(ProgressBarControl::kRange) && now - shownAt_ < kProgressInterval)
        return;
    shownAt_ = now;
    shownPosition_ = position;
    PostMessageW(bar->handle(), PBM_SETPOS, position, 0);
}

void FileTransferPage::setTimeText(const String& text) {
    Window* label = control(u"ProgressionTime");
    if (label && label->handle() && !(text == shownTime_)) {
        shownTime_ = text;
        SetWindowTextW(label->handle(), Wide(text.data()));
    }
}

void FileTransferPage::setProgressText(const String& text) {
    Window* label = control(u"ProgressionLabel");
    if (label && label->handle() && !(text == shownProgress_)) {
        shownProgress_ = text;
        SetWindowTextW(label->handle(), Wide(text.data()));
    }
}

// --- End pages ---

SuccessPage::SuccessPage() : InstallerPage(kSuccessPageCommands) {}

void SuccessPage::shown() {
    const InstallManifest& manifest = this->manifest();
    const String name = manifest.displayName();
    SetText(control(u"Message"), Formatted(u"#SuccessMessage", name));
    SetLinkTarget(control(u"WebSite"), manifest.webSite);
    SetText(control(u"RunCmd"), Formatted(u"#RunButton", EscapeAccessKeys(name)));
}

FailurePage::FailurePage() : InstallerPage(kEndPageCommands) {}

void FailurePage::shown() {
    // The general text unless the outcome says more (a damaged setup file);
    // an update that failed also says that the installed version is kept.
    const Outcome* outcome = main().outcome();
    String message = Localized(outcome && outcome->message ? outcome->message : u"#FailureMessage");
    if (manifest().updating)
        message += u' ' + Localized(u"#UpdateKeptNote");
    SetText(control(u"Message"), message);
    SetLinkTarget(control(u"WebSite"), manifest().technicalSupport);
}

CanceledPage::CanceledPage() : InstallerPage(kEndPageCommands) {}

void CanceledPage::shown() {
    if (manifest().updating)
        SetText(control(u"Message"), Localized(u"#UpdateCanceledMessage"));
}

} // namespace vornsetup
