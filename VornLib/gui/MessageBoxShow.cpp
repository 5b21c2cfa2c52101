// Showing message boxes on Windows: the task dialog, or the plain box.
#include "VornLib/gui/MessageBox.h"

#include <commctrl.h>
#include <shellapi.h>

#include "VornLib/core/platform/ApplicationIdentity.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/data/ResourceLease.h"

namespace vorn {
namespace {

constexpr int kCustomButtonBase = 4096;
bool gTaskDialogAllowed = true;

uint32_t FromStandardResult(int result) {
    switch (result) {
    case IDOK:
        return kButtonOK;
    case IDCANCEL:
        return kButtonCancel;
    case IDRETRY:
        return kButtonRetry;
    case IDIGNORE:
        return kButtonIgnore;
    case IDYES:
        return kButtonYes;
    case IDNO:
        return kButtonNo;
    default:
        return kMessageBoxFailed;
    }
}

PCWSTR TaskIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return TD_INFORMATION_ICON;
    case MessageIcon::Warning:
        return TD_WARNING_ICON;
    case MessageIcon::Error:
        return TD_ERROR_ICON;
    default:
        return nullptr;
    }
}

HRESULT CALLBACK TaskDialogEvents(HWND, UINT notification, WPARAM, LPARAM l, LONG_PTR) {
    // A click on a link opens its target with the shell.
    if (notification == TDN_HYPERLINK_CLICKED)
        ShellExecuteW(nullptr, L"open", reinterpret_cast<PCWSTR>(l), nullptr, nullptr,
                      SW_SHOWNORMAL);
    return S_OK;
}

// A button's identifier in the task dialog. Cancel keeps the standard one, so
// that Escape and the close box press it wherever the dialog looks for that
// identifier (some implementations of TDF_ALLOW_DIALOG_CANCELLATION do).
int TaskButtonId(uint32_t button) {
    return button == kButtonCancel ? IDCANCEL : int(kCustomButtonBase + button);
}

const wchar_t* OrNull(const String& text) {
    return text.isEmpty() ? nullptr : Wide(text.data());
}

uint32_t ShowTaskDialog(const MessageBoxContent& content, HWND owner, bool* shown) {
    using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    const auto taskDialog =
        gTaskDialogAllowed
            ? SystemFunction<TaskDialogFunction>(SystemLibraryId::Comctl32, "TaskDialogIndirect")
            : nullptr;
    *shown = taskDialog != nullptr;
    if (!taskDialog)
        return kMessageBoxFailed;
    const int32_t set = ButtonSetOf(content.present);
    uint32_t order[3];
    const uint32_t count = ButtonsOfSet(set, order);
    TASKDIALOG_BUTTON buttons[3];
    for (uint32_t i = 0; i < count; ++i)
        buttons[i] = {TaskButtonId(order[i]), Wide(content.captions[order[i]].data())};

    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.hInstance = GetModuleHandleW(nullptr);
    config.dwFlags = TDF_ENABLE_HYPERLINKS | TDF_POSITION_RELATIVE_TO_WINDOW;
    if (content.commandLinks)
        config.dwFlags |= TDF_USE_COMMAND_LINKS;
    if (SetAllowsCancel(set))
        config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = Wide(content.title.data());
    config.pszMainIcon = TaskIcon(content.icon);
    config.pszMainInstruction = OrNull(content.header);
    config.pszContent = OrNull(content.body);
    config.pszExpandedInformation = OrNull(content.details);
    config.pszFooter = OrNull(content.footer);
    config.pszFooterIcon = content.footer.isEmpty() ? nullptr : TaskIcon(content.footerIcon);
    config.cButtons = count;
    config.pButtons = buttons;
    config.nDefaultButton = TaskButtonId(DefaultButtonOf(content));
    config.pfCallback = TaskDialogEvents;
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr)))
        return kMessageBoxFailed;
    if (pressed >= kCustomButtonBase && pressed < kCustomButtonBase + int(kButtonCount))
        return uint32_t(pressed - kCustomButtonBase);
    return FromStandardResult(pressed);
}

uint32_t ShowPlainMessageBox(const MessageBoxContent& content, HWND owner) {
    static const UINT kStyles[] = {MB_YESNO,    MB_OK,          MB_YESNOCANCEL,
                                   MB_OKCANCEL, MB_RETRYCANCEL, MB_ABORTRETRYIGNORE};
    static const UINT kDefaults[] = {MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3};
    const int32_t set = ButtonSetOf(content.present);
    uint32_t order[3];
    const uint32_t count = ButtonsOfSet(set, order);
    UINT style = MB_TASKMODAL | kStyles[set];
    const uint32_t defaultButton = DefaultButtonOf(content);
    for (uint32_t i = 0; i < count; ++i) {
        if (order[i] == defaultButton)
            style |= kDefaults[i];
    }
    if (content.icon == MessageIcon::Information)
        style |= MB_ICONINFORMATION;
    else if (content.icon == MessageIcon::Warning)
        style |= MB_ICONWARNING;
    else if (content.icon == MessageIcon::Error)
        style |= MB_ICONERROR;
    const String text = FallbackText(content);
    return FromStandardResult(
        MessageBoxW(owner, Wide(text.data()), Wide(content.title.data()), style));
}

} // namespace

void SetTaskDialogAllowed(bool allowed) {
    gTaskDialogAllowed = allowed;
}

uint32_t ShowMessageBoxContent(const MessageBoxContent& content, HWND owner) {
    if (CurrentApplication().quiet || ButtonSetOf(content.present) < 0)
        return kMessageBoxFailed;
    bool shown = false;
    const uint32_t result = ShowTaskDialog(content, owner, &shown);
    return shown ? result : ShowPlainMessageBox(content, owner);
}

uint32_t ShowMessageBox(const char16_t* name, const FormatArgument& argument, HWND owner) {
    const ApplicationIdentity& application = CurrentApplication();
    if (application.quiet || !name)
        return kMessageBoxFailed;
    ResourceCache& resources = ResourceCache::Instance();
    ResourceLease<XmlNode> description;
    if (resources.getLocalizedElement(u"MessageBox", name, description.receive()) != kResultOk)
        return kMessageBoxFailed;
    // The main window's title, or the application's name without one.
    String windowTitle = application.name;
    if (HWND main = application.mainWindow ? application.mainWindow() : nullptr) {
        wchar_t title[256] = {};
        if (GetWindowTextW(main, title, 256) > 0)
            windowTitle = String(Units(title));
    }
    MessageBoxContent content;
    const Result read =
        ReadMessageBox(*description.get(), resources, argument, windowTitle, &content);
    return read == kResultOk ? ShowMessageBoxContent(content, owner) : kMessageBoxFailed;
}

} // namespace vorn
