#include "VornLib/gui/Window.h"

#include <vector>

#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/gui/Dpi.h"
#include "VornLib/gui/Font.h"
#include "VornLib/gui/ShortcutKeyTable.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

enum SystemMenuEntry : uint32_t {
    kRemoveMaximize = 1,
    kRemoveMinimize = 2,
    kRemoveSize = 4,
};

int32_t Placed(int32_t value) {
    return value == kNotComputed ? 0 : value;
}

// The window's rectangle in its parent's client coordinates (a child) or on
// the screen (a top-level window).
RECT PlacedRectangle(HWND handle) {
    RECT rectangle = {};
    GetWindowRect(handle, &rectangle);
    if (GetWindowLongW(handle, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = GetParent(handle))
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rectangle), 2);
    }
    return rectangle;
}

} // namespace

String WindowText(HWND window) {
    String text;
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return text;
    std::vector<wchar_t> units(size_t(length) + 1);
    const int read = GetWindowTextW(window, units.data(), length + 1);
    text.assign(Units(units.data()), uint32_t(read > 0 ? read : 0));
    return text;
}

Window::Window() = default;

Window::~Window() {
    destroy();
}

Window* Window::child(const char16_t* name) const {
    return child(WindowNameId(name));
}

Window* Window::appendChild(std::unique_ptr<Window> child) {
    return static_cast<Window*>(WindowRecord::appendChild(std::move(child)));
}

void Window::setBehaviour(uint16_t flag, bool on) {
    behaviour_ = on ? uint16_t(behaviour_ | flag) : uint16_t(behaviour_ & ~flag);
}

// --- Properties ---

void Window::setTitle(const String& title) {
    title_ = title;
    if (!handle_)
        return;
    SetWindowTextW(handle_, Wide(title_.data()));
    // Kinds of the framework's own class draw their title themselves.
    if (!systemClassName() && (style() & WS_CHILD))
        InvalidateRect(handle_, nullptr, TRUE);
}

void Window::setFont(std::shared_ptr<SharedFont> font) {
    useFont(std::move(font), FontSource::Program);
}

void Window::useFont(std::shared_ptr<SharedFont> font, FontSource source) {
    font_ = std::move(font);
    fontSource_ = font_ ? source : FontSource::None;
    if (handle_) {
        HGDIOBJ handle = font_ ? font_->handle() : GetStockObject(DEFAULT_GUI_FONT);
        SendMessageW(handle_, WM_SETFONT, WPARAM(handle), TRUE);
    }
}

Result Window::setFontText(const char16_t* text) {
    std::shared_ptr<SharedFont> font = SharedFont::FromText(text, dpi());
    if (!font)
        return kResultPlatformFailure;
    fontText_ = text;
    useFont(std::move(font), FontSource::Text);
    return kResultOk;
}

void Window::setBackground(const SystemColour& colour) {
    background_.setColour(colour);
    if (handle_) {
        background_.buildGradient(handle_);
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void Window::clearBackground() {
    background_.clear();
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

void Window::setGradient(GradientMode mode, const SystemColour& colour) {
    background_.setGradient(mode, colour);
    if (handle_) {
        background_.buildGradient(handle_);
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void Window::stopClippingChildren() {
    setStyle(style() & ~uint32_t(WS_CLIPCHILDREN));
    if (handle_) {
        const LONG style = GetWindowLongW(handle_, GWL_STYLE);
        SetWindowLongW(handle_, GWL_STYLE, style & ~LONG(WS_CLIPCHILDREN));
    }
}

Result Window::loadShortcutKeys(const char16_t* name) {
    return LoadShortcutKeyTable(name, &shortcutKeys_);
}

bool Window::preTranslate(MSG* message) {
    if (!handle_ || !IsWindowEnabled(handle_))
        return false;
    if (shortcutKeys_ && TranslateAcceleratorW(handle_, shortcutKeys_.get(), message) != 0)
        return true;
    const bool topLevel = !(GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD);
    return topLevel && NavigateByKeyboard(handle_, keyboard_, message);
}

// --- Creation ---

Result Window::create() {
    if (handle_)
        return kResultAlreadyExists;
    WindowSystem& system = WindowSystem::Instance();
    if (system.quiet())
        return kResultOk;
    String className;
    const wchar_t* platformClass = systemClassName();
    if (!platformClass) {
        const Result result = system.windowClass(behaviour_ & kDialogClass, &className);
        if (result != kResultOk)
            return result;
        platformClass = Wide(className.data());
    }
    uint32_t style = this->style();
    if (extendedStyle() & WS_EX_DLGMODALFRAME) {
        if (!(style & WS_MAXIMIZEBOX))
            systemMenuFlags_ |= kRemoveMaximize;
        if (!(style & WS_MINIMIZEBOX))
            systemMenuFlags_ |= kRemoveMinimize;
        if (!(style & WS_THICKFRAME))
            systemMenuFlags_ |= kRemoveSize;
        style &= 0xFFFF0000u;
        setStyle(style);
    }
    // Controls without a font of their own write in their parent's.
    if (!font_ && parentWindow() && parentWindow()->font_)
        useFont(parentWindow()->font_, FontSource::Parent);
    layout();

    Window* parent = parentWindow();
    HWND parentHandle = parent ? parent->handle_ : owner_;
    const bool isChild = style & WS_CHILD;
    HMENU identifier = isChild ? reinterpret_cast<HMENU>(UINT_PTR(name())) : nullptr;
    if (!systemClassName())
        system.publishCreating(this);
    HWND handle = CreateWindowExW(extendedStyle(), platformClass, Wide(title_.data()), style,
                                  Placed(computed(Edge::Left)), Placed(computed(Edge::Top)),
                                  Placed(computed(Edge::Width)), Placed(computed(Edge::Height)),
                                  parentHandle, identifier, GetModuleHandleW(nullptr), nullptr);
    system.takeCreating();
    if (!handle)
        return kResultPlatformFailure;
    if (systemClassName()) {
        // A system control: its own procedure stays behind ours.
        attach(handle);
        chain_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handle, GWLP_WNDPROC, LONG_PTR(FrameworkWindowProcedure)));
        onCreate();
    }
    if (background_.isPainted() && background_.isTransparent())
        adjustAncestorClipping();
    layoutDependents();
    for (WindowRecord* record = firstChild(); record; record = record->nextSibling()) {
        const Result result = static_cast<Window*>(record)->create();
        if (result != kResultOk)
            return result;
    }
    created();
    return kResultOk;
}

void Window::destroy() {
    if (handle_)
        DestroyWindow(handle_);
}

void Window::onCreate() {
    WindowSystem& system = WindowSystem::Instance();
    if (extendedStyle() & WS_EX_APPWINDOW) {
        // An elevated program still hears the shell's taskbar message.
        using FilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
        if (auto allow = SystemFunction<FilterFunction>(SystemLibraryId::User32,
                                                        "ChangeWindowMessageFilterEx"))
            allow(handle_, system.taskbarButtonCreated(), 1 /* MSGFLT_ALLOW */, nullptr);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        if (HICON big = LoadIconW(instance, MAKEINTRESOURCEW(128)))
            SendMessageW(handle_, WM_SETICON, ICON_BIG, LPARAM(big));
        if (HANDLE small =
                LoadImageW(instance, MAKEINTRESOURCEW(128), IMAGE_ICON,
                           GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED))
            SendMessageW(handle_, WM_SETICON, ICON_SMALL, LPARAM(small));
    }
    adjustSystemMenu();
    // Made on a monitor of another DPI than the one it was read for.
    if (!(style() & WS_CHILD) && WindowDpi(handle_) != dpi())
        applyDpi(WindowDpi(handle_));
    if (!font_ && (behaviour_ & kDialogClass))
        useFont(SharedFont::Default(dpi()), FontSource::Default);
    if (font_)
        SendMessageW(handle_, WM_SETFONT, WPARAM(font_->handle()), FALSE);
    computeBaseUnits();
    readBackRectangle();
    layout();
    if (behaviour_ & kCentreOnOwner)
        CentreWindow(handle_);
    background_.buildGradient(handle_);
}

void Window::adjustSystemMenu() {
    if (!systemMenuFlags_ && closeButton_)
        return;
    HMENU menu = GetSystemMenu(handle_, FALSE);
    if (!menu)
        return;
    if (systemMenuFlags_ & kRemoveMaximize)
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    if (systemMenuFlags_ & kRemoveMinimize)
        DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    if (systemMenuFlags_ & (kRemoveMaximize | kRemoveMinimize))
        DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
    if (systemMenuFlags_ & kRemoveSize)
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    if (!closeButton_)
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void Window::computeBaseUnits() {
    int32_t horizontal = 4;
    int32_t vertical = 8;
    if (font_) {
        DialogBaseUnits(font_->handle(), &horizontal, &vertical);
    } else if (Window* parent = parentWindow()) {
        horizontal = parent->horizontalBase();
        vertical = parent->verticalBase();
    } else {
        return;
    }
    setBaseUnits(horizontal, vertical);
}

void Window::readBackRectangle() {
    const RECT outer = PlacedRectangle(handle_);
    RECT client = {};
    GetClientRect(handle_, &client);
    readBack(outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
             client.right, client.bottom);
}

void Window::adjustAncestorClipping() {
    for (Window* ancestor = parentWindow(); ancestor; ancestor = ancestor->parentWindow()) {
        ancestor->stopClippingChildren();
        if (ancestor->background_.isPainted() && !ancestor->background_.isTransparent())
            break;
    }
}

// --- Placement ---

bool Window::applyPlacement(int32_t left, int32_t top, int32_t width, int32_t height, bool move,
                            bool resize) {
    if (!handle_)
        return false;
    UINT flags = SWP_NOACTIVATE | SWP_NOZORDER;
    if (!move)
        flags |= SWP_NOMOVE;
    if (!resize)
        flags |= SWP_NOSIZE;
    SetWindowPos(handle_, nullptr, Placed(left), Placed(top), Placed(width), Placed(height), flags);
    return true;
}

void Window::outerSizeForClient(int32_t* width, int32_t* height) const {
    RECT rectangle = {0, 0, *width, *height};
    // Once it exists, the frame is the platform window's: an overlapped
    // window always gets a caption, whatever its description says.
    const DWORD style = handle_ ? DWORD(GetWindowLongW(handle_, GWL_STYLE)) : this->style();
    const DWORD extended = handle_ ? DWORD(GetWindowLongW(handle_, GWL_EXSTYLE)) : extendedStyle();
    if (AdjustWindowRectEx(&rectangle, style, FALSE, extended)) {
        *width = rectangle.right - rectangle.left;
        *height = rectangle.bottom - rectangle.top;
    }
}

void Window::onPlacementChanged() {
    if (IsIconic(handle_))
        return;
    readBackRectangle();
    if (!IsZoomed(handle_))
        placement_.record(computed(Edge::Left), computed(Edge::Top), computed(Edge::Width),
                          computed(Edge::Height));
    const int32_t clientWidth = computed(Edge::ClientWidth);
    const int32_t clientHeight = computed(Edge::ClientHeight);
    if (background_.resized(handle_, clientWidth, clientHeight))
        laidOut(clientWidth, clientHeight);
    if (!busy())
        layoutDependents();
}

} // namespace vorn
