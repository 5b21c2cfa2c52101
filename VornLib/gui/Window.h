// Window: the framework window on the platform, the base of every window and
// control. A window is read from an XML description (common attributes in a
// fixed order, then one child per child element: WindowDescription.cpp),
// created on the platform with its children (Window.cpp), and served by one
// window procedure for every framework window and subclassed control
// (WindowMessages.cpp). Windows own their children; all of them live on the
// user-interface thread. Its parts: the layout tree (WindowRecord), the
// background and painting (WindowBackground), the saved placement
// (WindowPlacement) and the shortcut keys (ShortcutKeyTable).
//
// Which class to extend:
// - a control that wraps a class of the platform ("Edit", "SysListView32"):
//   SystemControl (SystemControl.h); the edit kinds share EditControl;
// - a control the framework draws itself (a link, a hint): Window, with
//   paint() and handleMessage();
// - a program's main window: MainWindow (MainWindow.h), whose hooks the
//   runtime calls (the frame's work, idleness, documents to open);
// - a dialog: Dialog (Dialog.h).
// A kind reads its own attributes in readAttributes() (its child elements
// in readChildren()), sets up its platform window in created(), answers
// messages in handleMessage() and hands the rest to its base. Register the
// element name of a new kind with RegisterWindowKind (ControlCatalogue.h).
#pragma once

#include <memory>

#include "VornLib/core/Colour.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/XmlNode.h"
#include "VornLib/gui/KeyboardNavigation.h"
#include "VornLib/gui/WindowBackground.h"
#include "VornLib/gui/WindowPlacement.h"
#include "VornLib/gui/WindowRecord.h"

namespace vorn {

class SharedFont;

enum WindowBehaviour : uint16_t {
    kDoubleBuffered = 1,
    kCentreOnOwner = 2,
    kFromDescription = 4,
    kWrapsSystemClass = 8,
    kReceivesReflected = 16, // handles its own notifications and colour requests
    kDialogClass = 32,
    kForwardsCommands = 64, // a plain container: its children's commands go on to its parent
};

class Window : public WindowRecord {
public:
    Window();
    // Destroys the platform window, if any, saving its placement.
    ~Window() override;

    // Applies the description's attributes in order, then creates one child
    // per child element. 15 without an element; 5 a bad "Type", "Redraw" or
    // "MouseCursor"; 39 an unknown child element or a child that failed. The
    // first failure ends the reading; what was applied stays.
    Result readDescription(const XmlNode* element);

    // Creates the platform window and then its children's: 14 when it
    // exists, 7 when the platform refused. Quiet programs create nothing.
    Result create();
    // Destroys the platform window (and with it the children's).
    void destroy();
    HWND handle() const { return handle_; }
    Window* parentWindow() const { return static_cast<Window*>(parent()); }
    Window* child(uint16_t name) const { return static_cast<Window*>(findChild(name)); }
    Window* child(const char16_t* name) const;
    // Appends `child`, which the window owns from now on.
    Window* appendChild(std::unique_ptr<Window> child);
    static Window* FromHandle(HWND handle);
    // The owner of a top-level window that has no parent window (dialogs).
    void setOwner(HWND owner) { owner_ = owner; }

    const String& title() const { return title_; }
    void setTitle(const String& title);
    const String& preferencesPath() const { return preferencesPath_; }
    const String& placementPath() const { return placement_.path(); }
    // The "ShortcutKeys" attribute: the name of the window's shortcut-key table.
    const String& shortcutKeysName() const { return shortcutKeysName_; }

    // The font, shared with the other windows that use it; null for none.
    SharedFont* font() const { return font_.get(); }
    // A font of the program's own; it stays the same at every DPI.
    void setFont(std::shared_ptr<SharedFont> font);
    // The font a "Font" text describes, made anew when the DPI changes.
    Result setFontText(const char16_t* text);
    // The DPI the window is drawn at: its monitor's once it exists, before
    // that its parent's or the primary screen's (WindowDpi.cpp).
    uint32_t dpi() const;

    void setBackground(const SystemColour& colour);
    // No background: the window erases nothing.
    void clearBackground();
    const SystemColour& background() const { return background_.colour(); }
    void setGradient(GradientMode mode, const SystemColour& colour);
    bool hasBackground() const { return background_.isPainted(); }
    // Lets the window's children show what it paints beneath them (drops
    // WS_CLIPCHILDREN, on the platform window too).
    void stopClippingChildren();

    void setBehaviour(uint16_t flag, bool on);
    bool hasBehaviour(uint16_t flag) const { return (behaviour_ & flag) != 0; }
    // What the window does with the keys its controls leave (KeyboardNavigation.h).
    KeyboardMode keyboardMode() const { return keyboard_; }
    void setKeyboardMode(KeyboardMode mode) { keyboard_ = mode; }
    bool wasMaximized() const { return placement_.wasMaximized(); }
    // See KeepWindowOnScreen.
    void keepOnScreen(bool perMonitor) { KeepWindowOnScreen(handle_, perMonitor); }

    // The default translates the window's shortcut keys while it is enabled;
    // a top-level window then moves among its controls by the keyboard.
    virtual bool preTranslate(MSG* message);
    HACCEL shortcutKeys() const { return shortcutKeys_.get(); }
    // Builds the shortcut-key table of that name (see LoadShortcutKeyTable).
    Result loadShortcutKeys(const char16_t* name);
    // A menu built for this window asks it to insert its own items at a
    // "Callback" place, and for the help text of commands it does not know.
    virtual void insertMenuItems(HMENU, uint16_t) {}
    virtual bool commandHelp(uint16_t, String*) { return false; }

protected:
    // A kind's reading of "Type"; the base knows "MainWindow",
    // "MainDialogBox" and "ClientWindow" (5 for anything else).
    virtual Result readType(const String& type);
    // A kind's own attributes, after the common ones.
    virtual Result readAttributes(const XmlNode&) { return kResultOk; }
    // The child elements: by default one child window each (39 for an unknown
    // element or a child that failed). Kinds whose children describe items
    // rather than windows read them themselves.
    virtual Result readChildren(const XmlNode& element);
    // The system class a control wraps; null for the framework's own class.
    virtual const wchar_t* systemClassName() const { return nullptr; }
    // The window's own handling of a message; true when handled.
    virtual bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    // The answer of the procedure the window chains to (its system class's).
    LRESULT callChained(UINT message, WPARAM w, LPARAM l) {
        return CallWindowProcW(chain_, handle_, message, w, l);
    }
    // Drawing of the client area, after the background (into the back buffer
    // for double-buffered windows).
    virtual void paint(HDC, const RECT&) {}
    // WM_CLOSE: destroys the window unless a kind says otherwise.
    virtual void requestClose();
    virtual void created() {}
    // A kind's own part that follows the DPI (pictures, heights), told after
    // the window's font and dialog units followed it.
    virtual void dpiChanged() {}

    bool applyPlacement(int32_t left, int32_t top, int32_t width, int32_t height, bool move,
                        bool resize) override;
    void outerSizeForClient(int32_t* width, int32_t* height) const override;

private:
    friend LRESULT CALLBACK FrameworkWindowProcedure(HWND, UINT, WPARAM, LPARAM);

    Result readCommonAttributes(const XmlNode& element);
    // The background's colours, and the style bits the description sets.
    void readColourAttributes(const XmlNode& element);
    void readStyleAttributes(const XmlNode& element);
    // Binds the object to its platform window (WindowMessages.cpp).
    void attach(HWND handle);
    LRESULT dispatch(UINT message, WPARAM w, LPARAM l);
    bool routeReflected(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    bool handleCommon(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    bool answerCopyData(WPARAM w, LPARAM l, LRESULT* result);
    bool answerEraseBackground(HDC dc, LRESULT* result);
    bool answerControlColour(HDC dc, LRESULT* result);
    bool answerCommand(WPARAM w, LPARAM l, LRESULT* result);
    void onCreate();
    void adjustSystemMenu();
    void onPlacementChanged();
    void onDestroy();
    void computeBaseUnits();
    // Where the font comes from, to make it again at another DPI.
    enum class FontSource : uint8_t { None, Text, Parent, Default, Program };
    void useFont(std::shared_ptr<SharedFont> font, FontSource source);
    // The window and everything in it drawn at `dpi`, then laid out anew.
    void applyDpi(uint32_t dpi);
    void layoutTree();
    void onDpiChanged(uint32_t dpi, const RECT& suggested);
    void adjustAncestorClipping();
    void readBackRectangle();

    String title_;
    String preferencesPath_;
    String shortcutKeysName_;
    AcceleratorTable shortcutKeys_;
    std::shared_ptr<SharedFont> font_;
    String fontText_;
    FontSource fontSource_ = FontSource::None;
    uint32_t dpi_ = 0; // 0: not yet known
    WindowBackground background_;
    WindowPlacement placement_;
    HCURSOR cursor_ = nullptr;
    HWND handle_ = nullptr;
    HWND owner_ = nullptr;
    WNDPROC chain_ = nullptr;
    uint32_t systemMenuFlags_ = 0;
    uint16_t behaviour_ = 0;
    KeyboardMode keyboard_ = KeyboardMode::Controls;
    bool acceptsFocus_ = true;
    bool closeButton_ = true;
};

// The text a platform window shows now (what the user typed into an edit).
String WindowText(HWND window);

} // namespace vorn
