#include "VornLib/gui/Window.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/Font.h"
#include "VornLib/gui/Menu.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

// The object of a framework window travels with its handle as a property, so
// subclassed system controls keep their own window data untouched.
const wchar_t kWindowProperty[] = L"VornLib.Window";

constexpr uint32_t kNoBackground = 0xFFFF00FF;
constexpr int32_t kUseDefault = int32_t(0x80000000);

enum SystemMenuEntry : uint32_t {
    kRemoveMaximize = 1,
    kRemoveMinimize = 2,
    kRemoveSize = 4,
};

struct StyleAttribute {
    const char16_t* name;
    uint32_t bit;
    bool extended;
};
constexpr StyleAttribute kStyleAttributes[] = {
    {u"Visible", WS_VISIBLE, false},           {u"ClipChildren", WS_CLIPCHILDREN, false},
    {u"ClipSiblings", WS_CLIPSIBLINGS, false}, {u"AcceptFiles", WS_EX_ACCEPTFILES, true},
    {u"SystemMenu", WS_SYSMENU, false},        {u"FirstOfGroup", WS_GROUP, false},
};

struct BorderWord {
    const char16_t* word;
    uint32_t style;
    uint32_t extendedStyle;
};
constexpr BorderWord kBorders[] = {
    {u"None", 0, 0},
    {u"Solid", WS_BORDER, 0},
    {u"StaticEdge", 0, WS_EX_STATICEDGE},
    {u"ClientEdge", 0, WS_EX_CLIENTEDGE},
};

struct RedrawWord {
    const char16_t* word;
    int32_t horizontal;
    int32_t vertical;
};
constexpr RedrawWord kRedraws[] = {
    {u"Both", -1, -1},
    {u"Horizontal", -1, 0},
    {u"Vertical", 0, -1},
};

// Edge attributes in reading order; each is followed by its bounds.
struct EdgeAttribute {
    const char16_t* name;
    const char16_t* minimum;
    const char16_t* maximum;
    Edge edge;
};
constexpr EdgeAttribute kEdgeAttributes[] = {
    {u"Top", u"MinTop", u"MaxTop", Edge::Top},
    {u"Left", u"MinLeft", u"MaxLeft", Edge::Left},
    {u"Width", u"MinWidth", u"MaxWidth", Edge::Width},
    {u"ClientWidth", u"MinClientWidth", u"MaxClientWidth", Edge::ClientWidth},
    {u"Height", u"MinHeight", u"MaxHeight", Edge::Height},
    {u"ClientHeight", u"MinClientHeight", u"MaxClientHeight", Edge::ClientHeight},
    {u"Bottom", u"MinBottom", u"MaxBottom", Edge::Bottom},
    {u"Right", u"MinRight", u"MaxRight", Edge::Right},
};

// Placement values kept under a "Position" path, in loading order.
struct PlacementValue {
    const char16_t* name;
    Edge edge;
};
constexpr PlacementValue kPlacementValues[] = {
    {u"Top", Edge::Top},       {u"Left", Edge::Left},
    {u"Width", Edge::Width},   {u"ClientWidth", Edge::ClientWidth},
    {u"Height", Edge::Height}, {u"ClientHeight", Edge::ClientHeight},
};

bool IsTransparent(const SystemColour& colour) {
    return colour.systemIndex < 0 && colour.colour.value() == 0;
}

COLORREF ToColorRef(const Colour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

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

Window::Window() {
    background_.colour = {0xFF, 0x00, 0xFF, 0xFF};
    gradientColour_ = background_;
}

Window::~Window() {
    destroy();
    setFont(nullptr);
}

Window* Window::FromHandle(HWND handle) {
    return handle ? static_cast<Window*>(GetPropW(handle, kWindowProperty)) : nullptr;
}

Window* Window::child(const char16_t* name) const {
    return child(WindowNameId(name));
}

void Window::setBehaviour(uint16_t flag, bool on) {
    behaviour_ = on ? uint16_t(behaviour_ | flag) : uint16_t(behaviour_ & ~flag);
}

bool Window::hasBackground() const {
    return !(background_.systemIndex < 0 && background_.colour.value() == kNoBackground);
}

// --- Reading a description ---

Result Window::readDescription(const XmlNode* element) {
    if (!element)
        return kResultNullInput;
    bool edgesIgnored = false;
    Result result = readCommonAttributes(*element, &edgesIgnored);
    if (result != kResultOk)
        return result;
    result = readAttributes(*element);
    if (result != kResultOk)
        return result;
    return readChildren(*element);
}

Result Window::readType(const String& type) {
    if (type == u"MainWindow") {
        setExtendedStyle(WS_EX_APPWINDOW);
        setStyle(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        SystemColour transparent;
        transparent.colour = {0, 0, 0, 0};
        setBackground(transparent);
    } else if (type == u"MainDialogBox") {
        setExtendedStyle(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE |
                         WS_EX_DLGMODALFRAME);
        setStyle(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                 WS_MINIMIZEBOX);
        SystemColour face;
        (void)SystemColour::Parse(u"DialogBoxBackground", &face);
        setBackground(face);
        setBehaviour(kCentreOnOwner, true);
    } else if (type == u"ClientWindow") {
        return kResultOk;
    } else {
        return kResultInvalidArgument;
    }
    // The platform's default placement, unless the description says more.
    setComputed(Edge::Left, kUseDefault);
    setComputed(Edge::Width, kUseDefault);
    setComputed(Edge::Top, 3);
    setComputed(Edge::Height, 0);
    return kResultOk;
}

Result Window::readCommonAttributes(const XmlNode& element, bool* edgesIgnored) {
    String text;
    if (element.getAttribute(u"ID", &text) == kResultOk)
        setName(WindowNameId(text));
    if (element.getAttribute(u"Type", &text) == kResultOk) {
        const Result result = readType(text);
        if (result != kResultOk)
            return result;
    }
    if (element.getAttribute(u"Preferences", &text) == kResultOk)
        preferencesPath_ = text;
    if (element.getAttribute(u"Title", &text) == kResultOk) {
        String localized;
        (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &localized);
        setTitle(localized);
    }
    if (element.getAttribute(u"Tooltip", &text) == kResultOk)
        (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &tooltip_);
    SystemColour colour;
    if (element.getAttribute(u"BackgroundColor", &text) == kResultOk &&
        SystemColour::Parse(text.data(), &colour) == kResultOk)
        setBackground(colour);
    if (element.getAttribute(u"HorizontalGradientColor", &text) == kResultOk &&
        SystemColour::Parse(text.data(), &colour) == kResultOk)
        setGradient(GradientMode::Horizontal, colour);
    if (element.getAttribute(u"VerticalGradientColor", &text) == kResultOk &&
        SystemColour::Parse(text.data(), &colour) == kResultOk)
        setGradient(GradientMode::Vertical, colour);
    if (element.getAttribute(u"Border", &text) == kResultOk) {
        uint32_t style = this->style() & ~uint32_t(WS_BORDER);
        uint32_t extended = extendedStyle() & ~uint32_t(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE);
        for (const BorderWord& border : kBorders) {
            if (text == border.word) {
                style |= border.style;
                extended |= border.extendedStyle;
            }
        }
        setStyle(style);
        setExtendedStyle(extended);
    }
    bool flag = false;
    for (const StyleAttribute& attribute : kStyleAttributes) {
        if (element.getAttributeBoolean(attribute.name, &flag) != kResultOk)
            continue;
        if (attribute.extended)
            setExtendedStyle(flag ? extendedStyle() | attribute.bit
                                  : extendedStyle() & ~attribute.bit);
        else
            setStyle(flag ? style() | attribute.bit : style() & ~attribute.bit);
    }
    if (element.getAttributeBoolean(u"Enabled", &flag) == kResultOk)
        setStyle(flag ? style() & ~uint32_t(WS_DISABLED) : style() | WS_DISABLED);
    if (element.getAttributeBoolean(u"CloseButton", &flag) == kResultOk)
        closeButton_ = flag;
    if (element.getAttributeBoolean(u"Caption", &flag) == kResultOk)
        setStyle(flag ? style() | WS_CAPTION | WS_SYSMENU : style() & ~uint32_t(WS_CAPTION));
    if (element.getAttributeBoolean(u"DoubleBuffered", &flag) == kResultOk)
        setBehaviour(kDoubleBuffered, flag);
    if (element.getAttribute(u"Font", &text) == kResultOk)
        (void)setFontText(text.data());
    if (element.getAttribute(u"Redraw", &text) == kResultOk) {
        const RedrawWord* found = nullptr;
        for (const RedrawWord& redraw : kRedraws) {
            if (text == redraw.word)
                found = &redraw;
        }
        if (!found)
            return kResultInvalidArgument;
        horizontalRedraw_ = found->horizontal;
        verticalRedraw_ = found->vertical;
        eraseOnRedraw_ = true;
    }
    int32_t number = 0;
    if (element.getAttributeInt32(u"HorizontalRedraw", &number) == kResultOk)
        horizontalRedraw_ = number;
    if (element.getAttributeInt32(u"VerticalRedraw", &number) == kResultOk)
        verticalRedraw_ = number;
    if (element.getAttributeBoolean(u"EnableFocus", &flag) == kResultOk)
        acceptsFocus_ = flag;
    if (element.getAttribute(u"MouseCursor", &text) == kResultOk) {
        if (text != u"{Hand}")
            return kResultInvalidArgument;
        cursor_ = LoadCursorW(nullptr, IDC_HAND);
    }
    if (element.getAttribute(u"ShortcutKeys", &text) == kResultOk) {
        shortcutKeysName_ = text;
        const Result result = loadShortcutKeys(text.data());
        if (result != kResultOk)
            return result;
    }
    if (element.getAttribute(u"Position", &text) == kResultOk) {
        placementPath_ = String(u"/User/Local/") + text;
        loadPlacement();
    }
    for (const EdgeAttribute& attribute : kEdgeAttributes) {
        if (*edgesIgnored)
            break;
        if (element.getAttribute(attribute.name, &text) == kResultOk &&
            readEdge(attribute.edge, text.data()) == ExpressionOutcome::EmptyName) {
            *edgesIgnored = true;
            break;
        }
        LayoutConstraint& target = constraint(attribute.edge);
        if (element.getAttribute(attribute.minimum, &text) == kResultOk)
            ReadLayoutBound(text.data(), &target.minimumPixels, &target.minimumDialogUnits);
        if (element.getAttribute(attribute.maximum, &text) == kResultOk)
            ReadLayoutBound(text.data(), &target.maximumPixels, &target.maximumDialogUnits);
    }
    return kResultOk;
}

Result Window::readChildren(const XmlNode& element) {
    for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
        if (!node->isElement())
            continue;
        Window* child = CreateWindowOfKind(node->name());
        if (!child)
            return kResultKindMismatch;
        appendChild(child);
        child->setBehaviour(kFromDescription, true);
        if (child->readDescription(node) != kResultOk)
            return kResultKindMismatch;
    }
    return kResultOk;
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

void Window::setFont(SharedFont* font) {
    if (font)
        font->addReference();
    if (font_)
        font_->release();
    font_ = font;
    if (handle_) {
        HGDIOBJ handle = font_ ? font_->handle() : GetStockObject(DEFAULT_GUI_FONT);
        SendMessageW(handle_, WM_SETFONT, WPARAM(handle), TRUE);
    }
}

Result Window::setFontText(const char16_t* text) {
    SharedFont* font = SharedFont::FromText(text);
    if (!font)
        return kResultPlatformFailure;
    setFont(font);
    font->release();
    return kResultOk;
}

void Window::setBackground(const SystemColour& colour) {
    background_ = colour;
    backgroundBrush_.reset();
    if (hasBackground() && !IsTransparent(colour))
        backgroundBrush_.reset(CreateSolidBrush(ToColorRef(colour.resolved())));
    if (handle_) {
        buildGradient();
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void Window::setGradient(GradientMode mode, const SystemColour& colour) {
    gradient_ = mode;
    gradientColour_ = colour;
    if (handle_) {
        buildGradient();
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

Result Window::loadShortcutKeys(const char16_t* name) {
    shortcutKeys_.reset();
    ResourceCache& resources = ResourceCache::Instance();
    const XmlNode* element = nullptr;
    Result result = resources.getLocalizedElement(u"ShortcutKeys", name, &element);
    if (result != kResultOk)
        return result;
    std::vector<ShortcutKey> keys;
    result = ReadShortcutKeys(*element, &keys);
    (void)resources.release(element);
    if (result != kResultOk)
        return result;
    std::vector<ACCEL> entries;
    for (const ShortcutKey& key : keys) {
        ACCEL entry = {};
        entry.fVirt = FVIRTKEY;
        if (key.modifiers & kShortcutControl)
            entry.fVirt |= FCONTROL;
        if (key.modifiers & kShortcutAlt)
            entry.fVirt |= FALT;
        if (key.modifiers & kShortcutShift)
            entry.fVirt |= FSHIFT;
        entry.key = key.virtualKey;
        entry.cmd = key.command;
        entries.push_back(entry);
    }
    if (entries.empty())
        return kResultOk;
    shortcutKeys_.reset(CreateAcceleratorTableW(entries.data(), int(entries.size())));
    return shortcutKeys_ ? kResultOk : ResultFromSystemError(GetLastError());
}

bool Window::preTranslate(MSG* message) {
    return shortcutKeys_ && handle_ && IsWindowEnabled(handle_) &&
           TranslateAcceleratorW(handle_, shortcutKeys_.get(), message) != 0;
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
        setFont(parentWindow()->font_);
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
        handle_ = handle;
        SetPropW(handle, kWindowProperty, this);
        chain_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handle, GWLP_WNDPROC, LONG_PTR(FrameworkWindowProcedure)));
        onCreate();
    }
    if (hasBackground() && IsTransparent(background_))
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
    if (systemMenuFlags_ || !closeButton_) {
        if (HMENU menu = GetSystemMenu(handle_, FALSE)) {
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
    }
    if (!font_ && (behaviour_ & kDialogClass)) {
        SharedFont* font = SharedFont::Default();
        setFont(font);
        if (font)
            font->release();
    }
    if (font_)
        SendMessageW(handle_, WM_SETFONT, WPARAM(font_->handle()), FALSE);
    computeBaseUnits();
    readBackRectangle();
    layout();
    if (behaviour_ & kCentreOnOwner)
        centre();
    buildGradient();
    applyOpacity();
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
        ancestor->setStyle(ancestor->style() & ~uint32_t(WS_CLIPCHILDREN));
        if (ancestor->handle_) {
            const LONG style = GetWindowLongW(ancestor->handle_, GWL_STYLE);
            SetWindowLongW(ancestor->handle_, GWL_STYLE, style & ~LONG(WS_CLIPCHILDREN));
        }
        if (ancestor->hasBackground() && !IsTransparent(ancestor->background_))
            break;
    }
}

void Window::applyOpacity() {
    if (opacity_ >= 1.0f || (style() & WS_CHILD))
        return;
    using LayeredFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    auto setLayered =
        SystemFunction<LayeredFunction>(SystemLibraryId::User32, "SetLayeredWindowAttributes");
    if (!setLayered)
        return;
    const LONG extended = GetWindowLongW(handle_, GWL_EXSTYLE);
    SetWindowLongW(handle_, GWL_EXSTYLE, extended | WS_EX_LAYERED);
    const float clamped = opacity_ < 0 ? 0 : opacity_;
    setLayered(handle_, 0, BYTE(clamped * 255.0f + 0.5f), LWA_ALPHA);
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
    if (!IsZoomed(handle_)) {
        restoredLeft_ = computed(Edge::Left);
        restoredTop_ = computed(Edge::Top);
        restoredWidth_ = computed(Edge::Width);
        restoredHeight_ = computed(Edge::Height);
        restoredRecorded_ = true;
    }
    const int32_t clientWidth = computed(Edge::ClientWidth);
    const int32_t clientHeight = computed(Edge::ClientHeight);
    if (clientWidth != lastClientWidth_ || clientHeight != lastClientHeight_) {
        const bool wider = clientWidth != lastClientWidth_;
        const bool taller = clientHeight != lastClientHeight_;
        lastClientWidth_ = clientWidth;
        lastClientHeight_ = clientHeight;
        laidOut(clientWidth, clientHeight);
        buildGradient();
        if ((wider && horizontalRedraw_ < 0) || (taller && verticalRedraw_ < 0) ||
            gradient_ != GradientMode::None)
            InvalidateRect(handle_, nullptr, eraseOnRedraw_ || gradient_ != GradientMode::None);
    }
    if (!busy())
        layoutDependents();
}

void Window::loadPlacement() {
    PreferencesStore* store = WindowSystem::Instance().preferences();
    if (placementPath_.isEmpty() || !store)
        return;
    bool maximized = false;
    if (store->getBoolean((placementPath_ + u"/Maximized").data(), &maximized) == kResultOk)
        wasMaximized_ = maximized;
    for (const PlacementValue& value : kPlacementValues) {
        int32_t stored = 0;
        const String path = placementPath_ + u"/" + value.name;
        if (store->exists(path.data()) && store->getInt32(path.data(), &stored) == kResultOk)
            setComputed(value.edge, stored);
    }
}

void Window::savePlacement() {
    WindowSystem& system = WindowSystem::Instance();
    PreferencesStore* store = system.preferences();
    if (placementPath_.isEmpty() || !store || !handle_)
        return;
    if ((style() & WS_MAXIMIZEBOX) && !system.quiet()) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(handle_, &placement);
        const bool zoomed =
            IsZoomed(handle_) || (IsIconic(handle_) && (placement.flags & WPF_RESTORETOMAXIMIZED));
        (void)store->setBoolean((placementPath_ + u"/Maximized").data(), zoomed);
    }
    if (restoredRecorded_) {
        (void)store->setInt32((placementPath_ + u"/Top").data(), restoredTop_);
        (void)store->setInt32((placementPath_ + u"/Left").data(), restoredLeft_);
        (void)store->setInt32((placementPath_ + u"/Width").data(), restoredWidth_);
        (void)store->setInt32((placementPath_ + u"/Height").data(), restoredHeight_);
    }
}

void Window::keepOnScreen(bool perMonitor) {
    if (!handle_)
        return;
    RECT area = {};
    if (perMonitor) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(handle_, MONITOR_DEFAULTTONEAREST), &monitor);
        area = monitor.rcWork;
    } else {
        area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        area.right = area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
        area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (area.right <= area.left)
            GetWindowRect(GetDesktopWindow(), &area);
    }
    RECT window = {};
    GetWindowRect(handle_, &window);
    LONG top = window.top;
    LONG left = window.left;
    if (window.bottom > area.bottom)
        top -= window.bottom - area.bottom;
    if (window.right > area.right)
        left -= window.right - area.right;
    if (top < area.top)
        top = area.top;
    if (left < area.left)
        left = area.left;
    if (top > area.bottom - 32)
        top = area.bottom - 32;
    if (left > area.right - 32)
        left = area.right - 32;
    if (top != window.top || left != window.left)
        SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::centre() {
    if (!handle_)
        return;
    RECT own = {};
    GetWindowRect(handle_, &own);
    RECT around = {};
    HWND parent = GetParent(handle_);
    const bool isChild = GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD;
    if (isChild && parent) {
        GetClientRect(parent, &around);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&own), 2);
    } else if (HWND owner = GetWindow(handle_, GW_OWNER)) {
        GetWindowRect(owner, &around);
    } else {
        GetWindowRect(GetDesktopWindow(), &around);
    }
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    const LONG left = around.left + (around.right - around.left - width) / 2;
    const LONG top = around.top + (around.bottom - around.top - height) / 2;
    SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Drawing ---

void Window::buildGradient() {
    gradientBrush_.reset();
    if (gradient_ == GradientMode::None || !handle_ || !hasBackground() ||
        IsTransparent(background_))
        return;
    RECT client = {};
    GetClientRect(handle_, &client);
    const bool horizontal = gradient_ == GradientMode::Horizontal;
    const int32_t length = horizontal ? client.right : client.bottom;
    if (length <= 0)
        return;
    // One row (or column) of the gradient, repeated by a pattern brush.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = horizontal ? length : 1;
    info.bmiHeader.biHeight = horizontal ? -1 : -length;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return;
    const Colour from = background_.resolved();
    const Colour to = gradientColour_.resolved();
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    for (int32_t index = 0; index < length; ++index) {
        const int32_t span = length > 1 ? length - 1 : 1;
        auto mix = [&](uint8_t a, uint8_t b) {
            return uint32_t(a + (int32_t(b) - a) * index / span);
        };
        pixels[index] =
            mix(from.blue, to.blue) | mix(from.green, to.green) << 8 | mix(from.red, to.red) << 16;
    }
    gradientBrush_.reset(CreatePatternBrush(static_cast<HBITMAP>(bitmap.get())));
}

void Window::eraseBackground(HDC dc, const RECT& area) {
    if (gradientBrush_)
        FillRect(dc, &area, static_cast<HBRUSH>(gradientBrush_.get()));
    else if (backgroundBrush_)
        FillRect(dc, &area, static_cast<HBRUSH>(backgroundBrush_.get()));
}

void Window::paintWindow() {
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(handle_, &paintStruct);
    if (!(behaviour_ & kDoubleBuffered)) {
        paint(dc, paintStruct.rcPaint);
        EndPaint(handle_, &paintStruct);
        return;
    }
    RECT client = {};
    GetClientRect(handle_, &client);
    if (!backBuffer_ || client.right > backBufferWidth_ || client.bottom > backBufferHeight_) {
        backBufferWidth_ = client.right > backBufferWidth_ ? client.right : backBufferWidth_;
        backBufferHeight_ = client.bottom > backBufferHeight_ ? client.bottom : backBufferHeight_;
        backBuffer_.reset(CreateCompatibleBitmap(dc, backBufferWidth_, backBufferHeight_));
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, backBuffer_.get());
    IntersectClipRect(memory, paintStruct.rcPaint.left, paintStruct.rcPaint.top,
                      paintStruct.rcPaint.right, paintStruct.rcPaint.bottom);
    eraseBackground(memory, paintStruct.rcPaint);
    paint(memory, paintStruct.rcPaint);
    BitBlt(dc, paintStruct.rcPaint.left, paintStruct.rcPaint.top,
           paintStruct.rcPaint.right - paintStruct.rcPaint.left,
           paintStruct.rcPaint.bottom - paintStruct.rcPaint.top, memory, paintStruct.rcPaint.left,
           paintStruct.rcPaint.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    EndPaint(handle_, &paintStruct);
}

// --- Messages ---

void Window::requestClose() {
    DestroyWindow(handle_);
}

void Window::onDestroy() {
    savePlacement();
    WindowSystem& system = WindowSystem::Instance();
    if (system.mainWindow() == this)
        PostQuitMessage(system.exitCode());
}

bool Window::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    return handleCommon(message, w, l, result);
}

bool Window::handleCommon(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    WindowSystem& system = WindowSystem::Instance();
    switch (message) {
    case WM_CREATE:
        onCreate();
        *result = 0;
        return true;
    case WM_ERASEBKGND:
        if (systemClassName() || !hasBackground())
            return false;
        if (!(behaviour_ & kDoubleBuffered) && !IsTransparent(background_)) {
            RECT client = {};
            GetClientRect(handle_, &client);
            eraseBackground(HDC(w), client);
        }
        *result = 1;
        return true;
    case WM_PAINT:
        if (systemClassName())
            return false;
        paintWindow();
        *result = 0;
        return true;
    case WM_MOVE:
    case WM_SIZE:
        onPlacementChanged();
        return false;
    case WM_SETCURSOR:
        if (cursor_ && LOWORD(l) == HTCLIENT) {
            SetCursor(cursor_);
            *result = TRUE;
            return true;
        }
        return false;
    case WM_SETFOCUS:
        if (!acceptsFocus_) {
            HWND parent = GetParent(handle_);
            if (parent && IsWindowEnabled(parent))
                SetFocus(parent);
            *result = 0;
            return true;
        }
        return false;
    case WM_CLOSE:
        requestClose();
        *result = 0;
        return true;
    case WM_COPYDATA: {
        Window* main = system.mainWindow();
        if (!main || !l)
            return false;
        if (main != this) {
            *result = main->handle_ ? SendMessageW(main->handle_, message, w, l) : FALSE;
            return true;
        }
        *result = receiveCopyData(HWND(w), *reinterpret_cast<const COPYDATASTRUCT*>(l));
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // Texts and buttons sit on the window's own colour, not in boxes of
        // the platform's default face colour.
        if (backgroundBrush_ && !gradientBrush_ && !systemClassName()) {
            SetTextColor(HDC(w), GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(HDC(w), ToColorRef(background_.resolved()));
            *result = LRESULT(backgroundBrush_.get());
            return true;
        }
        return false;
    case WM_COMMAND:
        // A plain container is no stop for its controls' commands: the page
        // or dialog around it handles them.
        if ((behaviour_ & kForwardsCommands) && l && GetParent(handle_)) {
            *result = SendMessageW(GetParent(handle_), message, w, l);
            return true;
        }
        return false;
    case WM_DESTROY:
        onDestroy();
        return false;
    case WM_MENUSELECT:
        if (Menu::TrackedOwner() == this) {
            String help;
            Menu::TrackedHelp(LOWORD(w), (HIWORD(w) & MF_POPUP) != 0, &help);
            ShowStatusText(this, help);
        }
        return false;
    default:
        break;
    }
    if (message == system.taskbarButtonCreated() && message != 0) {
        if (OperatingSystemLevel() >= 3)
            system.renewTaskbarList();
        *result = 0;
        return true;
    }
    return false;
}

bool Window::routeReflected(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    HWND childHandle = nullptr;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(w) > 1)
            childHandle = HWND(l);
        break;
    case WM_NOTIFY:
        if (l)
            childHandle = reinterpret_cast<const NMHDR*>(l)->hwndFrom;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        childHandle = HWND(l);
        break;
    default:
        return false;
    }
    Window* child = FromHandle(childHandle);
    if (!child || child == this || !(child->behaviour_ & kReceivesReflected))
        return false;
    return child->handleMessage(message, w, l, result);
}

LRESULT Window::dispatch(UINT message, WPARAM w, LPARAM l) {
    HWND handle = handle_;
    LRESULT result = 0;
    bool handled = routeReflected(message, w, l, &result);
    if (!handled)
        handled = handleMessage(message, w, l, &result);
    if (!handled)
        result = CallWindowProcW(chain_, handle, message, w, l);
    if (message == WM_NCDESTROY) {
        RemovePropW(handle, kWindowProperty);
        handle_ = nullptr;
        backBuffer_.reset();
        gradientBrush_.reset();
        return result;
    }
    // A dialog keeps the answer where dialog code reads it; the caller of the
    // window procedure gets it too (answers such as DM_GETDEFID's would be
    // lost behind a bare TRUE).
    if (handled && (behaviour_ & kDialogClass))
        SetWindowLongPtrW(handle, DWLP_MSGRESULT, result);
    return result;
}

// The framework is built without exceptions, so none can cross from a
// handler into the platform's message dispatch.
LRESULT CALLBACK FrameworkWindowProcedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
    Window* window = Window::FromHandle(handle);
    if (!window) {
        window = WindowSystem::Instance().takeCreating();
        if (!window)
            return DefWindowProcW(handle, message, w, l);
        window->handle_ = handle;
        window->chain_ = (window->behaviour_ & kDialogClass) ? DefDlgProcW : DefWindowProcW;
        SetPropW(handle, kWindowProperty, window);
    }
    return window->dispatch(message, w, l);
}

} // namespace vorn
