#include "VornLib/gui/Menu.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/XmlNode.h"
#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/StatusBarControl.h"
#include "VornLib/gui/Window.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

// The one menu tracked as a popup at a time and its owner. The menu's own
// loop runs meanwhile: the owner hears of each highlighted item through
// WM_MENUSELECT and asks here for its help text.
struct Tracking {
    Menu* menu = nullptr;
    Window* owner = nullptr;
};
Tracking& Tracked() {
    static Tracking tracking;
    return tracking;
}

String ElementText(const XmlNode& element) {
    String text;
    (void)element.getText(&text);
    return text;
}

// Reads one item; false when it lacks what it needs (which ends its group).
bool ReadItem(const XmlNode& element, MenuItem* item) {
    String id;
    const bool hasId = element.getAttribute(u"ID", &id) == kResultOk && !id.isEmpty();
    const String& name = element.name();
    if (name == u"Command") {
        const String text = ElementText(element);
        if (!hasId || text.isEmpty())
            return false;
        item->kind = MenuItemKind::Command;
        item->command = CommandId(id.data());
        item->text = Localized(text.data());
        String help;
        if (element.getAttribute(u"Help", &help) == kResultOk)
            item->help = Localized(help.data());
        (void)element.getAttributeBoolean(u"Visible", &item->visible, true);
        (void)element.getAttributeBoolean(u"Enabled", &item->enabled, true);
        return true;
    }
    if (name == u"Menu") {
        String title;
        if (!hasId || element.getAttribute(u"Title", &title) != kResultOk || title.isEmpty())
            return false;
        item->kind = MenuItemKind::Submenu;
        item->command = CommandId(id.data());
        item->text = Localized(title.data());
        item->submenu.reset(new Menu);
        (void)item->submenu->read(element);
        return true;
    }
    if (name == u"Callback") {
        if (!hasId)
            return false;
        item->kind = MenuItemKind::Callback;
        item->command = CommandId(id.data());
        return true;
    }
    item->kind = MenuItemKind::RecentFiles;
    return true;
}

void SetChecked(HMENU menu, const MenuItem& item, bool radio) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoW(menu, item.command, FALSE, &info);
    info.fType = radio ? (info.fType | MFT_RADIOCHECK) : (info.fType & ~UINT(MFT_RADIOCHECK));
    info.fState = item.checked ? (info.fState | MFS_CHECKED) : (info.fState & ~UINT(MFS_CHECKED));
    SetMenuItemInfoW(menu, item.command, FALSE, &info);
}

} // namespace

uint16_t RecentFileCommand(uint32_t number) {
    return CommandId(Format(u"RecentFile{0}", {number}).data());
}

bool RecentFileIndex(uint16_t command, uint32_t* index) {
    for (uint32_t number = 1; number <= kMaxRecentFiles; ++number) {
        if (RecentFileCommand(number) == command) {
            *index = number - 1;
            return true;
        }
    }
    return false;
}

Result Menu::load(const char16_t* name) {
    ResourceLease<XmlNode> element;
    const Result found =
        ResourceCache::Instance().getLocalizedElement(u"Menu", name, element.receive());
    return found == kResultOk ? read(*element.get()) : found;
}

Result Menu::read(const XmlNode& element) {
    groups_.clear();
    for (const XmlNode* child = element.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement() || child->name() != u"Group")
            continue;
        MenuGroup group;
        String type;
        group.exclusive =
            child->getAttribute(u"Type", &type) == kResultOk && FindWord(kMenuGroupTypes, type);
        for (const XmlNode* node = child->firstChild(); node; node = node->nextSibling()) {
            if (!node->isElement())
                continue;
            const String& name = node->name();
            if (name != u"Command" && name != u"Menu" && name != u"RecentFiles" &&
                name != u"Callback")
                continue;
            MenuItem item;
            if (!ReadItem(*node, &item))
                break;
            group.items.push_back(std::move(item));
        }
        groups_.push_back(std::move(group));
    }
    return kResultOk;
}

Result Menu::build(Window* owner, bool popup) {
    if (handle_)
        return kResultWrongState;
    MenuHandle menu(popup ? CreatePopupMenu() : CreateMenu());
    if (!menu)
        return ResultFromSystemError(GetLastError());
    const Result result = fill(menu.get(), owner);
    if (result == kResultOk)
        handle_ = std::move(menu);
    return result;
}

Result Menu::fill(HMENU menu, Window* owner) {
    PreferencesStore* store = WindowSystem::Instance().preferences();
    bool previousProduced = false;
    for (MenuGroup& group : groups_) {
        const int before = GetMenuItemCount(menu);
        bool separatorPending = previousProduced;
        // A separator goes in only once the group has produced an item.
        auto beginItem = [&] {
            if (separatorPending) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                separatorPending = false;
            }
        };
        for (MenuItem& item : group.items) {
            switch (item.kind) {
            case MenuItemKind::Command: {
                if (!item.visible)
                    break;
                beginItem();
                UINT flags = MF_STRING;
                if (!item.enabled)
                    flags |= MF_DISABLED | MF_GRAYED;
                if (!AppendMenuW(menu, flags, item.command, Wide(item.text.data())))
                    return ResultFromSystemError(GetLastError());
                if (item.checked || group.exclusive)
                    SetChecked(menu, item, group.exclusive);
                break;
            }
            case MenuItemKind::Submenu: {
                Menu& submenu = *item.submenu;
                submenu.destroy();
                const Result built = submenu.build(owner, true);
                if (built != kResultOk)
                    return built;
                beginItem();
                // The submenu now belongs to this menu, which destroys it.
                AppendMenuW(menu, MF_POPUP | MF_STRING, UINT_PTR(submenu.handle_.release()),
                            Wide(item.text.data()));
                break;
            }
            case MenuItemKind::Callback: {
                const int count = GetMenuItemCount(menu);
                if (owner)
                    owner->insertMenuItems(menu, item.command);
                if (separatorPending && GetMenuItemCount(menu) > count) {
                    InsertMenuW(menu, UINT(count), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
                    separatorPending = false;
                }
                break;
            }
            case MenuItemKind::RecentFiles: {
                beginItem();
                uint32_t shown = 0;
                for (uint32_t index = 0; store && index < kMaxRecentFiles; ++index) {
                    String name;
                    String metadata;
                    if (store->recentFile(index, &name, &metadata) != kResultOk)
                        break;
                    const String text = Format(u"&{0} ", {index + 1}) + name;
                    AppendMenuW(menu, MF_STRING, RecentFileCommand(index + 1), Wide(text.data()));
                    ++shown;
                }
                if (shown == 0) {
                    const String none = Localized(u"#NoRecentDocuments");
                    AppendMenuW(menu, MF_STRING | MF_DISABLED | MF_GRAYED, 0, Wide(none.data()));
                }
                break;
            }
            }
        }
        if (GetMenuItemCount(menu) > before)
            previousProduced = true;
    }
    return kResultOk;
}

void Menu::destroy() {
    handle_.reset();
}

MenuItem* Menu::findItem(uint16_t command) {
    for (MenuGroup& group : groups_) {
        for (MenuItem& item : group.items) {
            if (item.kind == MenuItemKind::Command && item.command == command)
                return &item;
            if (item.kind == MenuItemKind::Submenu) {
                if (MenuItem* found = item.submenu->findItem(command))
                    return found;
            }
        }
    }
    return nullptr;
}

const MenuItem* Menu::find(uint16_t command) const {
    return const_cast<Menu*>(this)->findItem(command);
}

Result Menu::check(uint16_t command, bool checked) {
    MenuItem* item = findItem(command);
    if (!item)
        return kResultMissingEntry;
    item->checked = checked;
    if (handle_) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        // The built menu owns its submenus: searched by command, they are found too.
        if (GetMenuItemInfoW(handle_.get(), command, FALSE, &info)) {
            info.fState =
                checked ? (info.fState | MFS_CHECKED) : (info.fState & ~UINT(MFS_CHECKED));
            SetMenuItemInfoW(handle_.get(), command, FALSE, &info);
        }
    }
    return kResultOk;
}

uint16_t Menu::track(Window* owner, POINT point, const RECT* exclude, bool rightButton) {
    Tracking& tracking = Tracked();
    if (tracking.menu || !owner || !owner->handle())
        return 0;
    destroy();
    if (build(owner, true) != kResultOk)
        return 0;
    tracking.menu = this;
    tracking.owner = owner;
    TPMPARAMS avoid = {};
    avoid.cbSize = sizeof avoid;
    if (exclude)
        avoid.rcExclude = *exclude;
    const UINT flags = TPM_RETURNCMD | TPM_VERTICAL | TPM_LEFTALIGN | TPM_TOPALIGN |
                       (rightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
    // The owner must be in front for the menu to close when clicked away.
    SetForegroundWindow(owner->handle());
    const UINT chosen = UINT(TrackPopupMenuEx(handle_.get(), flags, point.x, point.y,
                                              owner->handle(), exclude ? &avoid : nullptr));
    tracking = Tracking();
    destroy();
    ShowStatusText(owner, String());
    return uint16_t(chosen);
}

bool Menu::TrackedHelp(uint16_t command, bool isSubmenu, String* text) {
    const Tracking& tracking = Tracked();
    text->clear();
    if (!tracking.menu || isSubmenu)
        return tracking.menu != nullptr;
    uint32_t index = 0;
    if (RecentFileIndex(command, &index)) {
        String name;
        String metadata;
        PreferencesStore* store = WindowSystem::Instance().preferences();
        if (store)
            (void)store->recentFile(index, &name, &metadata);
        *text = Format(Localized(u"#OpenRecentFileCmdHelp").data(), {name});
        return true;
    }
    if (const MenuItem* item = tracking.menu->find(command)) {
        *text = item->help;
        return true;
    }
    if (tracking.owner)
        tracking.owner->commandHelp(command, text);
    return true;
}

Window* Menu::TrackedOwner() {
    return Tracked().owner;
}

bool RunRecentFileCommand(MainWindow& window, uint16_t command) {
    uint32_t index = 0;
    if (!RecentFileIndex(command, &index))
        return false;
    PreferencesStore* store = WindowSystem::Instance().preferences();
    String name;
    String metadata;
    if (store && store->recentFile(index, &name, &metadata) == kResultOk)
        window.openDocuments({name});
    return true;
}

void ShowStatusText(Window* window, const String& text) {
    if (!window)
        return;
    // The status bar of the window's top-level framework window.
    Window* top = window;
    while (top->parentWindow())
        top = top->parentWindow();
    if (StatusBarControl* bar = StatusBarControl::Find(*top))
        (void)bar->setText(0, text);
}

} // namespace vorn
