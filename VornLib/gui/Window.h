// Window: the framework window on the platform. A window is read from an XML
// description (common attributes in a fixed order, then one child per child
// element), created on the platform with its children, and served by one
// window procedure for every framework window and subclassed control. Kinds
// of windows and controls derive from it and add their own attributes,
// messages and drawing. Windows own their children; all of them live on the
// user-interface thread.
#pragma once

#include <vector>

#include "VornLib/core/Colour.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/XmlNode.h"
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

enum class GradientMode : uint8_t { None = 0, Horizontal = 1, Vertical = 2 };

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
    static Window* FromHandle(HWND handle);
    // The owner of a top-level window that has no parent window (dialogs).
    void setOwner(HWND owner) { owner_ = owner; }
    HWND owner() const { return owner_; }

    const String& title() const { return title_; }
    void setTitle(const String& title);
    const String& tooltip() const { return tooltip_; }
    const String& preferencesPath() const { return preferencesPath_; }
    const String& placementPath() const { return placementPath_; }
    // The "ShortcutKeys" attribute: the name of the window's shortcut-key table.
    const String& shortcutKeysName() const { return shortcutKeysName_; }

    // The font; shared fonts are reference-counted. Null for none.
    SharedFont* font() const { return font_; }
    void setFont(SharedFont* font);
    Result setFontText(const char16_t* text);

    void setBackground(const SystemColour& colour);
    const SystemColour& background() const { return background_; }
    void setGradient(GradientMode mode, const SystemColour& colour);
    bool hasBackground() const;

    uint16_t behaviour() const { return behaviour_; }
    void setBehaviour(uint16_t flag, bool on);
    bool acceptsFocus() const { return acceptsFocus_; }
    bool wasMaximized() const { return wasMaximized_; }
    float opacity() const { return opacity_; }
    void setOpacity(float opacity) { opacity_ = opacity; }
    int32_t horizontalRedraw() const { return horizontalRedraw_; }
    int32_t verticalRedraw() const { return verticalRedraw_; }

    // The last position and size while neither minimised nor maximised.
    int32_t restoredLeft() const { return restoredLeft_; }
    int32_t restoredTop() const { return restoredTop_; }
    int32_t restoredWidth() const { return restoredWidth_; }
    int32_t restoredHeight() const { return restoredHeight_; }

    // Stored placement under the "Position" path.
    void loadPlacement();
    void savePlacement();
    // Moves the window (never resizing it) so that it lies on the work area
    // of its monitor, or on the virtual screen, with at least 32 pixels of it
    // reachable.
    void keepOnScreen(bool perMonitor);
    // What a program's main window does beside being a window: per-frame
    // work, its idle answer for the main loop, opening documents, and a look
    // at each message before translation (true: consumed).
    virtual void update(float) {}
    virtual bool isIdle() { return true; }
    virtual void started() {}
    virtual void openDocuments(const std::vector<String>&) {}
    // The default translates the window's shortcut keys while it is enabled.
    virtual bool preTranslate(MSG* message);
    // A menu built for this window asks it to insert its own items at a
    // "Callback" place, and for the help text of commands it does not know.
    virtual void insertMenuItems(HMENU, uint16_t) {}
    virtual bool commandHelp(uint16_t, String*) { return false; }
    HACCEL shortcutKeys() const { return shortcutKeys_.get(); }
    // Builds the shortcut-key table from the "ShortcutKeys" element of that
    // name: the lookup's result when missing, 33 for a bad entry.
    Result loadShortcutKeys(const char16_t* name);
    // Data another process sent with WM_COPYDATA to any framework window of
    // this one; only the main window is asked. True when used.
    virtual bool receiveCopyData(HWND, const COPYDATASTRUCT&) { return false; }

    // Centres the window on its owner (a child in its parent's client area,
    // a top-level window on its owner or on the desktop).
    void centre();

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

    bool applyPlacement(int32_t left, int32_t top, int32_t width, int32_t height, bool move,
                        bool resize) override;
    void outerSizeForClient(int32_t* width, int32_t* height) const override;

private:
    friend LRESULT CALLBACK FrameworkWindowProcedure(HWND, UINT, WPARAM, LPARAM);

    Result readCommonAttributes(const XmlNode& element, bool* edgesIgnored);
    void readEdges(const XmlNode& element);
    LRESULT dispatch(UINT message, WPARAM w, LPARAM l);
    bool routeReflected(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    bool handleCommon(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    void onCreate();
    void onPlacementChanged();
    void onDestroy();
    void computeBaseUnits();
    void buildGradient();
    void eraseBackground(HDC dc, const RECT& area);
    void paintWindow();
    void adjustAncestorClipping();
    void applyOpacity();
    void readBackRectangle();

    String placementPath_;
    String preferencesPath_;
    String title_;
    String tooltip_;
    String shortcutKeysName_;
    SystemColour background_;
    SystemColour gradientColour_;
    GdiObject backgroundBrush_;
    GdiObject gradientBrush_;
    GdiObject backBuffer_;
    AcceleratorTable shortcutKeys_;
    int32_t backBufferWidth_ = 0;
    int32_t backBufferHeight_ = 0;
    SharedFont* font_ = nullptr;
    HCURSOR cursor_ = nullptr;
    HWND handle_ = nullptr;
    HWND owner_ = nullptr;
    WNDPROC chain_ = nullptr;
    float opacity_ = 1.0f;
    int32_t horizontalRedraw_ = 0;
    int32_t verticalRedraw_ = 0;
    int32_t restoredTop_ = 0;
    int32_t restoredLeft_ = 0;
    int32_t restoredWidth_ = 640;
    int32_t restoredHeight_ = 480;
    int32_t lastClientWidth_ = -1;
    int32_t lastClientHeight_ = -1;
    uint32_t systemMenuFlags_ = 0;
    uint16_t behaviour_ = 0;
    GradientMode gradient_ = GradientMode::None;
    bool wasMaximized_ = false;
    bool acceptsFocus_ = true;
    bool closeButton_ = true;
    bool restoredRecorded_ = false;
    bool eraseOnRedraw_ = false;
};

} // namespace vorn
