// The installer's wizard: the main window ("MainWindow") and its six pages,
// read from the payload's "Data/Xml/Windows.xml". Pages change, and the
// program ends, through the installer's private message posted to the main
// window. The main window remembers the current page and the control that
// had the focus.
//
// Where the options page offers the choice of scope, this wizard runs with
// the user's rights. Install "just for me" copies here; Install "for all
// users" (the button then carries the shield) starts an elevated copy of the
// setup with the choices made ("/OptionsChosen", InstallerSwitches.h), which
// opens on the copy page and shows its own end page while this window hides
// and waits, then ends as a launcher does. A declined elevation prompt
// brings the options back with a message, nothing touched.
#pragma once

#include <memory>

#include "Applications/VornSetup/InstallManifest.h"
#include "Applications/VornSetup/InstallerMessages.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/gui/MainWindow.h"

namespace vornsetup {

class InstallerWindow;

// A button's click (code 0), or its command from a shortcut key (1).
bool IsButtonCommand(WPARAM w, const char16_t* button);

// A button of a page and the command it posts to the main window.
struct PageCommand {
    const char16_t* button;
    WPARAM command;
};

// A page of the wizard: told when it is shown and hidden (by the main window
// or by the tabs that hold it); its commands and the private message reach
// its own handler first. A page's buttons that ask something of the main
// window are the rows of its command table.
class InstallerPage : public vorn::Window {
public:
    InstallerPage() = default;
    template <size_t N>
    explicit InstallerPage(const PageCommand (&commands)[N])
        : commands_(commands), commandCount_(N) {}

    virtual void shown() {}
    virtual void hidden() {}
    // Tells the page once per change: hidden only after it was shown.
    void becameVisible();
    void becameHidden();
    // The control that takes the keyboard focus when the page is shown: its
    // default button, else its first tab stop.
    HWND focusControl() const;

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;
    InstallerWindow& main() const;
    InstallManifest& manifest() const;
    // A named control of this page (searched through its panels too).
    vorn::Window* control(const char16_t* name) const;
    static void Post(vorn::Window* window, WPARAM command);

private:
    const PageCommand* commands_ = nullptr;
    size_t commandCount_ = 0;
    bool ready_ = false;
    bool visible_ = false;
};

class InstallerWindow : public vorn::MainWindow {
public:
    explicit InstallerWindow(InstallManifest& manifest);
    // Registers the page kinds ("MainPage", "WelcomePage", ...).
    static void RegisterKinds();

    InstallManifest& manifest() const { return manifest_; }
    InstallerPage* currentPage() const { return current_; }
    void showPage(InstallerPage* page);
    InstallerPage* page(const char16_t* name) const;
    void post(WPARAM command);
    // The transfer's outcome on show; null before the transfer ended.
    const Outcome* outcome() const { return outcome_; }
    // The shield on Install when installing will ask for rights: the
    // elevated copy of "for all users", in a process that is not elevated.
    void updateShield();

protected:
    void created() override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void requestClose() override;

private:
    void onInstallerMessage(WPARAM command, LPARAM detail);
    void runApplication();
    // Whether Install starts the elevated copy rather than the copy here.
    bool handsOff() const;
    void handOff();
    void elevatedCopyTick();

    InstallManifest& manifest_;
    InstallerPage* current_ = nullptr;
    const Outcome* outcome_ = nullptr;
    HWND focus_ = nullptr;
    // The elevated copy this hidden wizard waits for.
    vorn::KernelHandle elevatedCopy_;
};

} // namespace vornsetup
