#include "Applications/VornSetup/InstallerWindow.h"

#include <commctrl.h>

#include "Applications/VornSetup/InstallerModule.h"
#include "Applications/VornSetup/InstallerPages.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "Applications/VornSetup/SetupReport.h"
#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Language.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/KeyboardNavigation.h"
#include "VornLib/gui/MessageBox.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/telemetry/Analytics.h"

namespace vornsetup {

using namespace vorn;

namespace {

template <typename Page> std::unique_ptr<Window> MakePage() {
    return std::make_unique<Page>();
}

const WindowKind kPageKinds[] = {
    {u"MainPage", MakePage<MainPage>},         {u"WelcomePage", MakePage<WelcomePage>},
    {u"LicensePage", MakePage<LicensePage>},   {u"ComponentsPage", MakePage<ComponentsPage>},
    {u"OptionsPage", MakePage<OptionsPage>},   {u"FileTransferPage", MakePage<FileTransferPage>},
    {u"SuccessPage", MakePage<SuccessPage>},   {u"FailurePage", MakePage<FailurePage>},
    {u"CanceledPage", MakePage<CanceledPage>},
};

Window* FindDescendant(const Window* window, uint16_t name) {
    for (WindowRecord* record = window->firstChild(); record; record = record->nextSibling()) {
        Window* child = static_cast<Window*>(record);
        if (child->name() == name)
            return child;
        if (Window* found = FindDescendant(child, name))
            return found;
    }
    return nullptr;
}

// How often the hidden wizard looks whether its elevated copy has ended.
constexpr UINT_PTR kElevatedCopyTimer = 1;
constexpr UINT kElevatedCopyMilliseconds = 100;

// The language the wizard speaks, first of the lookup order that the setup
// has texts for; empty when none is (the copy then finds its own).
String WizardLanguage() {
    const ResourceCache& cache = ResourceCache::Instance();
    for (const uint32_t index :
         {cache.chosenLanguage(), cache.systemLanguage(), cache.defaultLanguage()}) {
        if (index != kLanguageNeutral && IsSetupLanguage(LanguageCode(index)))
            return LanguageCode(index);
    }
    return String();
}

// Wine elevates without a prompt; with VORNSETUP_TEST_DECLINE_ELEVATION set,
// tests have the user decline it.
bool ElevationDeclinedByTest() {
    wchar_t value[4] = {};
    return GetEnvironmentVariableW(L"VORNSETUP_TEST_DECLINE_ELEVATION", value, 4) > 0;
}

} // namespace

bool IsButtonCommand(WPARAM w, const char16_t* button) {
    return IsCommand(w, CommandId(button)) && HIWORD(w) <= 1;
}

// --- Pages ---

HWND InstallerPage::focusControl() const {
    return InitialFocus(handle());
}

void InstallerPage::created() {
    ready_ = true;
    // A page that came up visible missed its showing while its controls
    // were being made.
    if (handle() && IsWindowVisible(handle()))
        becameVisible();
}

void InstallerPage::becameVisible() {
    if (visible_)
        return;
    visible_ = true;
    shown();
}

void InstallerPage::becameHidden() {
    if (!visible_)
        return;
    visible_ = false;
    hidden();
}

InstallerWindow& InstallerPage::main() const {
    const WindowRecord* record = this;
    while (record->parent())
        record = record->parent();
    return *static_cast<InstallerWindow*>(const_cast<WindowRecord*>(record));
}

InstallManifest& InstallerPage::manifest() const {
    return main().manifest();
}

Window* InstallerPage::control(const char16_t* name) const {
    return FindDescendant(this, WindowNameId(name));
}

bool InstallerPage::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    for (size_t i = 0; message == WM_COMMAND && i < commandCount_; ++i) {
        if (IsButtonCommand(w, commands_[i].button)) {
            Post(&main(), commands_[i].command);
            *result = 0;
            return true;
        }
    }
    // Shown or hidden by a call (not with a parent that is minimised), once
    // its controls exist.
    if (message == WM_SHOWWINDOW && l == 0 && ready_) {
        if (w)
            becameVisible();
        else
            becameHidden();
    }
    return Window::handleMessage(message, w, l, result);
}

void InstallerPage::Post(Window* window, WPARAM command) {
    if (window && window->handle())
        PostMessageW(window->handle(), kInstallerMessage, command, 0);
}

// --- Main window ---

InstallerWindow::InstallerWindow(InstallManifest& manifest) : manifest_(manifest) {}

void InstallerWindow::RegisterKinds() {
    for (const WindowKind& kind : kPageKinds)
        (void)RegisterWindowKind(kind);
}

InstallerPage* InstallerWindow::page(const char16_t* name) const {
    return dynamic_cast<InstallerPage*>(FindDescendant(this, WindowNameId(name)));
}

void InstallerWindow::post(WPARAM command) {
    if (handle())
        PostMessageW(handle(), kInstallerMessage, command, 0);
}

void InstallerWindow::created() {
    const String name = manifest_.displayName();
    setTitle(Format(Localized(u"#InstallTitle").data(), {name}));
    if (Window* header = child(u"Header")) {
        if (Window* caption = header->child(u"Caption"))
            caption->setTitle(title());
        if (Window* text = header->child(u"Text"))
            text->setTitle(
                Format(Localized(u"#InstallLabel").data(), {manifest_.displayVersion()}));
    }
    // "/Passive": the copy at once, without a question before it; so too
    // for the elevated copy of a wizard whose user has chosen, and for a
    // repair, whose choices are the installation's.
    CommandLine& commandLine = AppRuntime::instance().commandLine();
    const bool copyAtOnce =
        IsPassive(commandLine) || commandLine.hasSwitch(u"OptionsChosen") || manifest_.repairing;
    showPage(page(copyAtOnce ? u"FileTransferPage" : u"MainPage"));
    updateShield();
    if (AnalyticsTracker* analytics = Analytics()) {
        const String application =
            manifest_.tag.isEmpty() ? manifest_.name : manifest_.name + u" " + manifest_.tag;
        (void)analytics->setApplicationName(application.data());
    }
    (void)SendAnalyticsScreenView(u"Install");
}

void InstallerWindow::showPage(InstallerPage* page) {
    if (!handle() || !page)
        return;
    // Each page hears of it through its WM_SHOWWINDOW.
    if (current_ && current_ != page && current_->handle())
        ShowWindow(current_->handle(), SW_HIDE);
    current_ = page;
    if (!page->handle() && page->create() != kResultOk)
        return;
    ShowWindow(page->handle(), SW_SHOWNA);
    if (HWND focus = page->focusControl()) {
        focus_ = focus;
        // Focus given inside a window not yet on show would activate it
        // unseen, and its title bar would stay drawn inactive: the window
        // passes the focus on when it is activated.
        if (IsWindowVisible(handle()))
            SetFocus(focus_);
    }
}

void InstallerWindow::runApplication() {
    AppRuntime& runtime = AppRuntime::instance();
    // Some of its files are put in place only when Windows restarts: the
    // program waits for that, and the code that says so stays the setup's.
    const int32_t ended = runtime.exitCode();
    if (ended == kExitRestartNeeded || ended == kExitRestartInitiated)
        return;
    // The launcher starts the program with the user's own rights.
    if (runtime.commandLine().hasSwitch(u"LaunchedAsAdministrator"))
        runtime.setExitCode(kExitInstalledStartApplication);
    else
        (void)ShellLaunch(manifest_.launchPath(IsWow64()).data(), nullptr, false, u"open");
}

bool InstallerWindow::handsOff() const {
    return manifest_.scopeChoiceOffered && manifest_.scope == InstallScope::Machine &&
           OperatingSystemLevel() >= kWindowsVista;
}

void InstallerWindow::updateShield() {
    Window* install = FindDescendant(this, WindowNameId(u"InstallCmd"));
    if (install && install->handle())
        SendMessageW(install->handle(), BCM_SETSHIELD, 0, handsOff() && !IsProcessElevated());
}

void InstallerWindow::handOff() {
    // The options page takes its choices as the main page hides.
    InstallerPage* mainPage = current_;
    if (mainPage && mainPage->handle())
        ShowWindow(mainPage->handle(), SW_HIDE);
    // The elevated copy holds the application's mutex while it installs.
    ReleaseApplicationMutex();
    WizardChoices choices;
    choices.installFolder = manifest_.installFolder;
    choices.programGroup = manifest_.programGroup;
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice)
        choices.shortcuts[choice] = manifest_.chosenShortcuts[choice];
    choices.language = WizardLanguage();
    choices.offersComponents = !manifest_.declared.components.empty();
    choices.components =
        ComponentListText(manifest_.declared.components, manifest_.chosenComponents);
    const String arguments = HandOffArguments(AppRuntime::instance().commandLine(), choices,
                                              SetupReport::Instance().handOffToElevatedCopy());
    // The copy's window shows the progress the user waits for.
    AllowSetForegroundWindow(ASFW_ANY);
    Log(LogEvent::Elevation, u"starting the elevated copy:" + arguments);
    const Result started =
        ElevationDeclinedByTest()
            ? kResultCancelled
            : ShellLaunchElevatedStart(ExecutablePath().data(), arguments.data(), &elevatedCopy_);
    if (started != kResultOk) {
        // A declined prompt has touched nothing: the user may choose again.
        Log(LogEvent::Elevation, u"the elevated copy did not start: {0}", {int32_t(started)});
        (void)HoldApplicationMutex(manifest_);
        showPage(mainPage);
        (void)ShowMessageBox(u"RightsRefused", FormatArgument(manifest_.displayName()), handle());
        return;
    }
    ShowWindow(handle(), SW_HIDE);
    SetTimer(handle(), kElevatedCopyTimer, kElevatedCopyMilliseconds, nullptr);
}

void InstallerWindow::elevatedCopyTick() {
    Result child = kResultOk;
    if (WaitForLaunched(&elevatedCopy_, 0, &child) != kResultOk)
        return;
    KillTimer(handle(), kElevatedCopyTimer);
    AppRuntime::instance().setExitCode(int32_t(AfterElevatedCopy(child)));
    destroy();
}

void InstallerWindow::onInstallerMessage(WPARAM command, LPARAM detail) {
    if (const Outcome* outcome = OutcomeOf(command, Result(detail))) {
        outcome_ = outcome;
        // A failed installation ends the program with its result, as a quiet
        // one does.
        if (command == kShowFailurePage)
            AppRuntime::instance().setExitCode(int32_t(detail));
        (void)SendAnalyticsEvent(u"Install", outcome->label);
        // A passive installation shows no page after the copy: it ends.
        if (IsPassive(AppRuntime::instance().commandLine()))
            destroy();
        else
            showPage(page(outcome->page));
        return;
    }
    switch (command) {
    case kCloseMainWindow:
        requestClose();
        break;
    case kRunApplication:
        runApplication();
        requestClose();
        break;
    case kStartInstallation:
        if (handsOff())
            handOff();
        else
            showPage(page(u"FileTransferPage"));
        break;
    case kEnableInstall:
    case kDisableInstall:
    case kSelectLicenseTab:
        if (InstallerPage* mainPage = page(u"MainPage"))
            SendMessageW(mainPage->handle(), kInstallerMessage, command, 0);
        break;
    default:
        break;
    }
}

bool InstallerWindow::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    switch (message) {
    case kInstallerMessage:
        onInstallerMessage(w, l);
        *result = 0;
        return true;
    case WM_TIMER:
        if (w != kElevatedCopyTimer)
            break;
        elevatedCopyTick();
        *result = 0;
        return true;
    case WM_ACTIVATE:
        // Remember where the focus was, to give it back on return.
        if (LOWORD(w) == WA_INACTIVE)
            focus_ = GetFocus();
        break;
    case WM_SETFOCUS:
        if (focus_ && IsWindow(focus_)) {
            SetFocus(focus_);
            *result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return Window::handleMessage(message, w, l, result);
}

void InstallerWindow::requestClose() {
    // Hidden while the elevated copy installs: that copy's window closes.
    if (elevatedCopy_)
        return;
    // While files are copied, closing is a cancel request that asks first.
    if (auto* transfer = dynamic_cast<FileTransferPage*>(current_)) {
        if (!transfer->mayClose())
            return;
    }
    destroy();
}

} // namespace vornsetup
