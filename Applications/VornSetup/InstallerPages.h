// The wizard's pages. "MainPage" holds the tabs with the welcome, licence and
// options pages and the Install and Close buttons; "FileTransferPage" runs
// the transfer and shows its progress; the three end pages tell the outcome.
// Each page's buttons that ask the main window for something are the rows of
// its command table.
#pragma once

#include <memory>

#include "Applications/VornSetup/InstallerWindow.h"
#include "Applications/VornSetup/TransferWorker.h"

namespace vornsetup {

class MainPage : public InstallerPage {
public:
    MainPage();
    void shown() override;
    void hidden() override;
    void selectTab(uint32_t index);

protected:
    void created() override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
};

class WelcomePage : public InstallerPage {
public:
    void shown() override;

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
};

class LicensePage : public InstallerPage {};

// The product's components, where it declares them (else the tab is taken
// away): a check box with each one's size, the required ones' boxes locked,
// and the space the choice needs. A changed box is the manifest's choice at once.
class ComponentsPage : public InstallerPage {
public:
    void shown() override;

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

private:
    void showSpaceRequired();
    // The rows are being put in: their boxes are the manifest's already.
    bool filling_ = false;
};

class OptionsPage : public InstallerPage {
public:
    void shown() override;
    void hidden() override;
    // Posts 7 (Install allowed) or 8 (not) for the texts as they stand.
    void validate();
    void browse();

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

private:
    String folderText() const;
    void setFolderText(const String& text);
    String groupText() const;
    void setGroupText(const String& text);
    void storeShortcutChoice(uint32_t choice);
    void applyPickedGroup();
    // The scope's start menu groups in the list, and `group` in the field.
    void listGroups(const String& group);
    // The choice of scope, where the wizard offers it.
    void showScopeChoice();
    // The folder follows the choice until the user typed one (ScopeChoice.h).
    void chooseScope(vorn::InstallScope scope);

    bool groupPicked_ = false;
    String pickedGroup_;
    // The page's fields are being filled: each one's change is judged once
    // all are in, or Install would go away for a moment and take the focus.
    bool filling_ = false;
};

class FileTransferPage : public InstallerPage, public TransferProgress {
public:
    FileTransferPage();
    ~FileTransferPage() override;
    void shown() override;
    void hidden() override;
    // Asks the worker to cancel (with the confirmation); true when the main
    // window may close now.
    bool mayClose();

    void setRange(double total) override;
    void setPosition(double done) override;
    void setTimeText(const String& text) override;
    void setProgressText(const String& text) override;

private:
    void offerCancel(bool offered);

    std::unique_ptr<TransferWorker> worker_;
    double total_ = 0;
    // What the controls show, as last set by the worker: a value that does
    // not change is not sent again. Each text costs a round trip to the
    // window's thread, and a copy of many small files would otherwise keep
    // that thread too busy to paint (the cancel question stayed blank).
    static constexpr double kProgressInterval = 0.04; // seconds between bar positions
    WPARAM shownPosition_ = WPARAM(-1);
    double shownAt_ = -1;
    String shownTime_;
    String shownProgress_;
};

class SuccessPage : public InstallerPage {
public:
    SuccessPage();
    void shown() override;
};

class FailurePage : public InstallerPage {
public:
    FailurePage();
    void shown() override;
};

class CanceledPage : public InstallerPage {
public:
    CanceledPage();
    void shown() override;
};

} // namespace vornsetup
