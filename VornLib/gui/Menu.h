// Menus described in XML. A "Menu" element holds "Group" children; a group
// holds, in order, "Command" items (text content, "ID", "Help", "Visible",
// "Enabled"), submenus ("Menu" with "ID" and "Title"), the recent documents
// ("RecentFiles") and "Callback" places where the owner window inserts items
// of its own. Groups are separated by a line when both produced items; a
// group of "ExclusiveOptions" checks its items with a radio mark. A menu is
// built on demand, as a popup or as a menu bar, for one owner window.
#pragma once

#include <memory>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

class XmlNode;
class MainWindow;
class Window;
class Menu;

enum class MenuItemKind : uint8_t { Callback = 0, Command = 1, RecentFiles = 2, Submenu = 3 };

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Command;
    String text;
    String help;
    uint16_t command = 0xFFFF;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    std::unique_ptr<Menu> submenu;
};

struct MenuGroup {
    bool exclusive = false;
    std::vector<MenuItem> items;
};

constexpr uint32_t kMaxRecentFiles = 9;

// The command identifier of "RecentFile{n}", n from 1 to 9.
uint16_t RecentFileCommand(uint32_t number);
// The recent-document index (0..8) a command opens; false for other commands.
bool RecentFileIndex(uint16_t command, uint32_t* index);

class Menu {
public:
    Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // The "Menu" element with that "ID" from the registered descriptions; the
    // lookup's result when there is none.
    Result load(const char16_t* name);
    // Reads the groups of a "Menu" element (texts localized). An item that
    // lacks what it needs ends its group; the items before it stay.
    Result read(const XmlNode& element);

    // Builds the platform menu for `owner`: 4 when built already.
    Result build(Window* owner, bool popup);
    HMENU handle() const { return handle_.get(); }
    void destroy();

    // Checks or unchecks the item of `command`, in submenus too; 36 when no
    // item has it. A built menu shows the change at once.
    Result check(uint16_t command, bool checked);
    const MenuItem* find(uint16_t command) const;

    // Shows the menu as a popup at `point` (screen coordinates) of `owner`,
    // away from `exclude` when given, and returns the chosen command (0 for
    // none). Help texts of highlighted items go to the owner's status bar.
    uint16_t track(Window* owner, POINT point, const RECT* exclude = nullptr,
                   bool rightButton = false);

    // The help text for a highlighted command of the menu being tracked.
    static bool TrackedHelp(uint16_t command, bool isSubmenu, String* text);
    static Window* TrackedOwner();

private:
    Result fill(HMENU menu, Window* owner);
    MenuItem* findItem(uint16_t command);

    std::vector<MenuGroup> groups_;
    MenuHandle handle_;
};

// Opens recent document `index` through the window's open-files handler when
// `command` is one of "RecentFile1".."RecentFile9"; false otherwise.
bool RunRecentFileCommand(MainWindow& window, uint16_t command);

// Shows `text` in the first section of the status bar inside the top-level
// window of `window` (nothing when it has none).
void ShowStatusText(Window* window, const String& text);

} // namespace vorn
