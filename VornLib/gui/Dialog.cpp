#include "VornLib/gui/Dialog.h"

#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/DescriptionFailure.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/MessageLoop.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

HWND OwnerOfMessages() {
    MainWindow* main = WindowSystem::Instance().mainWindow();
    return main ? main->handle() : nullptr;
}

} // namespace

Dialog::Dialog() : defaultButton_(FixedNames().ok) {
    setBehaviour(kDialogClass, true);
    setKeyboardMode(KeyboardMode::Dialog);
    setStyle(kDialogTypes[0].value.style);
    setExtendedStyle(kDialogTypes[0].value.extendedStyle);
    SystemColour face;
    (void)SystemColour::Parse(u"DialogBoxBackground", &face);
    setBackground(face);
    setComputed(Edge::Left, 0);
    setComputed(Edge::Top, 0);
    setComputed(Edge::Width, 128);
    setComputed(Edge::Height, 128);
    setTitle(WindowSystem::Instance().applicationName());
}

Result Dialog::load(const char16_t* name) {
    ResourceLease<XmlNode> element;
    const Result found = ResourceCache::Instance().getLocalizedElement(descriptionElement(), name,
                                                                       element.receive());
    if (found != kResultOk)
        return found;
    const Result result = readDescription(element.get());
    if (result != kResultOk)
        ShowDescriptionFailure(name, element.get(), result, OwnerOfMessages());
    return result;
}

Result Dialog::readType(const String& type) {
    const DialogStyles* styles = FindWord(kDialogTypes, type);
    if (!styles)
        return kResultInvalidArgument;
    setStyle(styles->style);
    setExtendedStyle(styles->extendedStyle);
    return kResultOk;
}

Result Dialog::readAttributes(const XmlNode& element) {
    bool flag = false;
    if (element.getAttributeBoolean(u"WantOK", &flag) == kResultOk)
        wantOK_ = flag ? Want::Yes : Want::No;
    if (element.getAttributeBoolean(u"WantCancel", &flag) == kResultOk)
        wantCancel_ = flag ? Want::Yes : Want::No;
    return kResultOk;
}

bool Dialog::mayCloseByDefault() const {
    const FixedWindowNames& names = FixedNames();
    if (child(names.ok) || child(names.cancel) || child(uint16_t(IDOK)) ||
        child(uint16_t(IDCANCEL)))
        return true;
    if (!handle())
        return false;
    HMENU menu = GetSystemMenu(handle(), FALSE);
    if (!menu)
        return false;
    const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    return state != UINT(-1) && !(state & (MF_DISABLED | MF_GRAYED));
}

bool Dialog::allows(Want want) const {
    return want == Want::Yes || (want == Want::Unsaid && mayCloseByDefault());
}

void Dialog::onOK() {
    if (allows(wantOK_))
        endDialog(FixedNames().ok);
}

void Dialog::onCancel() {
    if (allows(wantCancel_))
        endDialog(FixedNames().cancel);
}

void Dialog::requestClose() {
    if (allows(wantCancel_))
        onCancel();
}

bool Dialog::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == WM_COMMAND && HIWORD(w) <= 1) {
        const uint16_t id = LOWORD(w);
        if (id == IDOK || id == FixedNames().ok) {
            onOK();
            *result = 0;
            return true;
        }
        if (id == IDCANCEL || id == FixedNames().cancel) {
            onCancel();
            *result = 0;
            return true;
        }
    }
    if (message == DM_GETDEFID) {
        *result = MAKELRESULT(defaultButton_, DC_HASDEFID);
        return true;
    }
    return Window::handleMessage(message, w, l, result);
}

bool Dialog::preTranslate(MSG* message) {
    if (Window::preTranslate(message))
        return true;
    return handle() && IsDialogMessageW(handle(), message);
}

Result Dialog::runModal(HWND owner, uint32_t* result) {
    *result = 0;
    setOwner(owner);
    modal_ = true;
    done_ = false;
    Result created = create();
    if (created != kResultOk)
        return created;
    if (!handle())
        return kResultWrongState;
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ShowWindow(handle(), SW_SHOW);
    MSG message;
    bool quit = false;
    while (!done_ && handle()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        DispatchToWindows(&message);
    }
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    destroy();
    if (owner)
        SetActiveWindow(owner);
    // The program's own loop must still see a quit request.
    if (quit)
        PostQuitMessage(int(message.wParam));
    *result = result_;
    return kResultOk;
}

Result Dialog::showModeless(HWND owner) {
    setOwner(owner);
    modal_ = false;
    done_ = false;
    const Result created = create();
    if (created != kResultOk)
        return created;
    if (handle())
        ShowWindow(handle(), SW_SHOW);
    return kResultOk;
}

void Dialog::endDialog(uint32_t result) {
    result_ = result;
    if (!modal_) {
        destroy();
        return;
    }
    done_ = true;
    // Wakes the dialog's pump from its wait.
    HWND target = handle();
    if (!target && WindowSystem::Instance().mainWindow())
        target = WindowSystem::Instance().mainWindow()->handle();
    PostMessageW(target, WM_NULL, 0, 0);
}

} // namespace vorn
