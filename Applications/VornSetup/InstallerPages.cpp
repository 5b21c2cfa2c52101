#include "Applications/VornSetup/InstallerPages.h"

#include <commctrl.h>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "Applications/VornSetup/PageText.h"
#include "Applications/VornSetup/ScopeChoice.h"
#include "Applications/VornSetup/VersionChange.h"
#include "VornLib/app/AppRuntime.h"
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

void SetLinkTarget(Window* link, const String& target) {
    if (auto* url = dynamic_cast<UrlControl*>(link))
        url->setTarget(target);
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
    auto* tabs = dynamic_cast<TabCtrlControl*>(control(u"Tabs"));
    if (tabs && manifest().declared.components.empty())
        (void)tabs->removePage(control(u"ComponentsPage"));
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

// --- FileTransferPage ---

FileTransferPage::FileTransferPage() : InstallerPage(kFileTransferPageCommands) {}

FileTransferPage::~FileTransferPage() {
    // The program never ends while a transfer runs.
    if (worker_)
        worker_->wait();
}

// "/NoCancel": neither the Cancel button nor the window's close box stops
// the copy; the close box comes back with the page after it.
void FileTransferPage::offerCancel(bool offered) {
    if (Window* cancel = control(u"CancelCmd"); cancel && cancel->handle())
        EnableWindow(cancel->handle(), offered);
    if (HMENU menu = main().handle() ? GetSystemMenu(main().handle(), FALSE) : nullptr)
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
}

void FileTransferPage::shown() {
    if (worker_)
        return;
    if (IsUncancellable(AppRuntime::instance().commandLine()))
        offerCancel(false);
    worker_.reset(new TransferWorker(manifest(), ResourceCache::Instance(), this, main().handle()));
    (void)worker_->start();
}

void FileTransferPage::hidden() {
    if (worker_)
        worker_->wait();
    if (IsUncancellable(AppRuntime::instance().commandLine()))
        offerCancel(true);
}

bool FileTransferPage::mayClose() {
    if (!worker_)
        return true;
    // Without a question to answer Yes to, a running copy is not cancelled.
    const bool cancellable = !IsUncancellable(AppRuntime::instance().commandLine());
    return worker_->requestCancel(cancellable ? ConfirmCancel : nullptr, &manifest());
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
