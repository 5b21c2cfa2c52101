// The reading of a window's description: the attributes every window shares,
// in their fixed order, the base window's "Type", and one child window per
// child element.
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/StyleWords.h"
#include "VornLib/gui/Window.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

constexpr int32_t kUseDefault = int32_t(0x80000000);

// Reads the edge attributes into `window`; an empty window name before "."
// ends the reading of the remaining ones.
void ReadEdges(const XmlNode& element, WindowRecord& window) {
    String text;
    for (const EdgeAttribute& attribute : kEdgeAttributes) {
        if (element.getAttribute(attribute.name, &text) == kResultOk &&
            window.readEdge(attribute.edge, text.data()) == ExpressionOutcome::EmptyName)
            return;
        LayoutConstraint& target = window.constraint(attribute.edge);
        if (element.getAttribute(attribute.minimum, &text) == kResultOk)
            ReadLayoutBound(text.data(), &target.minimumPixels, &target.minimumDialogUnits);
        if (element.getAttribute(attribute.maximum, &text) == kResultOk)
            ReadLayoutBound(text.data(), &target.maximumPixels, &target.maximumDialogUnits);
    }
}

} // namespace

Result Window::readDescription(const XmlNode* element) {
    if (!element)
        return kResultNullInput;
    Result result = readCommonAttributes(*element);
    if (result != kResultOk)
        return result;
    result = readAttributes(*element);
    if (result != kResultOk)
        return result;
    return readChildren(*element);
}

Result Window::readType(const String& type) {
    const WindowType* kind = FindWord(kWindowTypes, type);
    if (!kind)
        return kResultInvalidArgument;
    if (*kind == WindowType::MainWindow) {
        setExtendedStyle(WS_EX_APPWINDOW);
        setStyle(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        SystemColour transparent;
        transparent.colour = {0, 0, 0, 0};
        setBackground(transparent);
    } else if (*kind == WindowType::MainDialogBox) {
        setExtendedStyle(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE |
                         WS_EX_DLGMODALFRAME);
        setStyle(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                 WS_MINIMIZEBOX);
        SystemColour face;
        (void)SystemColour::Parse(u"DialogBoxBackground", &face);
        setBackground(face);
        setBehaviour(kCentreOnOwner, true);
        setKeyboardMode(KeyboardMode::Dialog);
    } else {
        return kResultOk;
    }
    // The platform's default placement, unless the description says more.
    setComputed(Edge::Left, kUseDefault);
    setComputed(Edge::Width, kUseDefault);
    setComputed(Edge::Top, 3);
    setComputed(Edge::Height, 0);
    return kResultOk;
}

void Window::readColourAttributes(const XmlNode& element) {
    String text;
    SystemColour colour;
    if (element.getAttribute(u"BackgroundColor", &text) == kResultOk) {
        if (text == kNoBackgroundWord)
            clearBackground();
        else if (SystemColour::Parse(text.data(), &colour) == kResultOk)
            setBackground(colour);
    }
    if (element.getAttribute(u"HorizontalGradientColor", &text) == kResultOk &&
        SystemColour::Parse(text.data(), &colour) == kResultOk)
        setGradient(GradientMode::Horizontal, colour);
    if (element.getAttribute(u"VerticalGradientColor", &text) == kResultOk &&
        SystemColour::Parse(text.data(), &colour) == kResultOk)
        setGradient(GradientMode::Vertical, colour);
}

void Window::readStyleAttributes(const XmlNode& element) {
    String text;
    bool flag = false;
    if (element.getAttribute(u"Border", &text) == kResultOk) {
        uint32_t style = this->style() & ~uint32_t(WS_BORDER);
        uint32_t extended = extendedStyle() & ~uint32_t(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE);
        if (const BorderStyles* border = FindWord(kBorders, text)) {
            style |= border->style;
            extended |= border->extendedStyle;
        }
        setStyle(style);
        setExtendedStyle(extended);
    }
    for (const StyleFlag& attribute : kStyleFlags) {
        uint32_t bits = attribute.extended ? extendedStyle() : style();
        ApplyStyleFlag(element, attribute.name, attribute.bit, &bits);
        if (attribute.extended)
            setExtendedStyle(bits);
        else
            setStyle(bits);
    }
    if (element.getAttributeBoolean(u"Enabled", &flag) == kResultOk)
        setStyle(flag ? style() & ~uint32_t(WS_DISABLED) : style() | WS_DISABLED);
    if (element.getAttributeBoolean(u"CloseButton", &flag) == kResultOk)
        closeButton_ = flag;
    if (element.getAttributeBoolean(u"Caption", &flag) == kResultOk)
        setStyle(flag ? style() | WS_CAPTION | WS_SYSMENU : style() & ~uint32_t(WS_CAPTION));
    if (element.getAttributeBoolean(u"DoubleBuffered", &flag) == kResultOk)
        setBehaviour(kDoubleBuffered, flag);
}

Result Window::readCommonAttributes(const XmlNode& element) {
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
    if (element.getAttribute(u"Title", &text) == kResultOk)
        setTitle(Localized(text.data()));
    readColourAttributes(element);
    readStyleAttributes(element);
    if (element.getAttribute(u"Font", &text) == kResultOk)
        (void)setFontText(text.data());
    bool flag = false;
    RedrawRule redraw = {};
    Result result = ReadWord(element, u"Redraw", kRedraws, &redraw);
    if (result == kResultInvalidArgument)
        return result;
    if (result == kResultOk)
        background_.setRedraw(redraw.horizontal, redraw.vertical, true);
    int32_t number = 0;
    if (element.getAttributeInt32(u"HorizontalRedraw", &number) == kResultOk)
        background_.setHorizontalRedraw(number);
    if (element.getAttributeInt32(u"VerticalRedraw", &number) == kResultOk)
        background_.setVerticalRedraw(number);
    if (element.getAttributeBoolean(u"EnableFocus", &flag) == kResultOk)
        acceptsFocus_ = flag;
    if (ReadWord(element, u"Keyboard", kKeyboardModes, &keyboard_) == kResultInvalidArgument)
        return kResultInvalidArgument;
    MouseCursor mouseCursor = MouseCursor::Hand;
    result = ReadWord(element, u"MouseCursor", kMouseCursors, &mouseCursor);
    if (result == kResultInvalidArgument)
        return result;
    if (result == kResultOk)
        cursor_ = LoadCursorW(nullptr, IDC_HAND);
    if (element.getAttribute(u"ShortcutKeys", &text) == kResultOk) {
        shortcutKeysName_ = text;
        result = loadShortcutKeys(text.data());
        if (result != kResultOk)
            return result;
    }
    if (element.getAttribute(u"Position", &text) == kResultOk) {
        placement_.setPath(String(u"/User/Local/") + text);
        placement_.load(*this);
    }
    ReadEdges(element, *this);
    return kResultOk;
}

Result Window::readChildren(const XmlNode& element) {
    for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
        if (!node->isElement())
            continue;
        std::unique_ptr<Window> made = CreateWindowOfKind(node->name());
        if (!made)
            return kResultKindMismatch;
        Window* child = appendChild(std::move(made));
        child->setBehaviour(kFromDescription, true);
        if (child->readDescription(node) != kResultOk)
            return kResultKindMismatch;
    }
    return kResultOk;
}

} // namespace vorn
