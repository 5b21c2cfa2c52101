// The reading of a window's description: the attributes every window shares,
// in their fixed order, the base window's "Type", and one child window per
// child element.
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/DescriptionWords.h"
#include "VornLib/gui/Window.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

constexpr int32_t kUseDefault = int32_t(0x80000000);

// Boolean attributes that switch one style bit.
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

struct BorderStyles {
    uint32_t style;
    uint32_t extendedStyle;
};
// Any other word leaves the window without a border.
constexpr DescriptionWord<BorderStyles> kBorders[] = {
    {u"None", {0, 0}},
    {u"Solid", {WS_BORDER, 0}},
    {u"StaticEdge", {0, WS_EX_STATICEDGE}},
    {u"ClientEdge", {0, WS_EX_CLIENTEDGE}},
};

// Negative: a change of the client width (height) repaints the whole window.
struct RedrawRule {
    int32_t horizontal;
    int32_t vertical;
};
constexpr DescriptionWord<RedrawRule> kRedraws[] = {
    {u"Both", {-1, -1}},
    {u"Horizontal", {-1, 0}},
    {u"Vertical", {0, -1}},
};

// "BackgroundColor" without any background (the default).
constexpr const char16_t* kNoBackgroundWord = u"None";

constexpr DescriptionWord<KeyboardMode> kKeyboardModes[] = {
    {u"Dialog", KeyboardMode::Dialog},
    {u"Controls", KeyboardMode::Controls},
    {u"None", KeyboardMode::None},
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

String Localized(const String& text) {
    String localized;
    (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &localized);
    return localized;
}

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
        setKeyboardMode(KeyboardMode::Dialog);
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
        setTitle(Localized(text));
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
    for (const StyleAttribute& attribute : kStyleAttributes) {
        uint32_t bits = attribute.extended ? extendedStyle() : style();
        ApplyStyleFlag(element, attribute.name, attribute.bit, &bits);
        if (attribute.extended)
            setExtendedStyle(bits);
        else
            setStyle(bits);
    }
    bool flag = false;
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
    if (element.getAttribute(u"MouseCursor", &text) == kResultOk) {
        if (text != u"{Hand}")
            return kResultInvalidArgument;
        cursor_ = LoadCursorW(nullptr, IDC_HAND);
    }
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
