#include "VornLib/gui/ListControl.h"

#include "VornLib/core/DescriptionChildren.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

// An element's own text, localized; for an element that also holds elements,
// its first text run.
String LocalizedContent(const XmlNode& element) {
    String text;
    if (element.firstChild()) {
        for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
            if (!node->isElement()) {
                text = node->text();
                break;
            }
        }
    } else {
        (void)element.getText(&text);
    }
    text.trimLeft();
    text.trimRight();
    String localized;
    (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &localized);
    return localized;
}

String NextGeneratedGroupKey() {
    static uint32_t counter = 0;
    return Format(u"ListCtrlGroup{0}", {++counter});
}

struct SortContext {
    HWND list;
    int32_t column;
    bool descending;
};

String ItemText(HWND list, LPARAM index, int32_t column) {
    wchar_t buffer[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(index), LPARAM(&item));
    return String(Units(buffer));
}

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context) {
    const SortContext& sort = *reinterpret_cast<const SortContext*>(context);
    const int order = CompareTextIgnoringCase(ItemText(sort.list, first, sort.column).data(),
                                              ItemText(sort.list, second, sort.column).data());
    return sort.descending ? -order : order;
}

} // namespace

ListControl::ListControl() : SystemControl(L"SysListView32") {
    setStyle(style() | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS);
}

Result ListControl::readAttributes(const XmlNode& element) {
    // Every word is applied that can be; the first unknown one fails.
    uint32_t listStyle = style();
    const Result results[] = {
        ApplyStyleWord(element, u"Header", kListHeaders, &listStyle),
        ApplyStyleWord(element, u"Selection", kListSelections, &listStyle),
        ApplyStyleWord(element, u"ShowSelection", kListShowSelections, &listStyle),
        ApplyStyleWord(element, u"Style", kListStyles, &listStyle),
    };
    setStyle(listStyle);
    for (const Result result : results) {
        if (result != kResultOk)
            return result;
    }
    sortable_ = !(style() & (LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER));
    (void)element.getAttributeBoolean(u"CheckBoxes", &checkBoxes_, false);
    String text;
    if (element.getAttribute(u"AlternateBackgroundColor", &text) == kResultOk) {
        SystemColour colour;
        if (SystemColour::Parse(text.data(), &colour) != kResultOk)
            return kResultInvalidArgument;
        const Colour resolved = colour.resolved();
        alternateBackground_ = RGB(resolved.red, resolved.green, resolved.blue);
        hasAlternateBackground_ = true;
    }
    return pictures_.read(element);
}

Result ListControl::readChildren(const XmlNode& element) {
    return ReadChildElements(
        element, {u"Columns", u"Groups", u"Items"}, [this](const XmlNode& node) {
            if (node.name() == u"Columns")
                return readColumns(node);
            if (node.name() == u"Groups")
                return readGroups(node);
            return ReadChildElements(node, {u"Item"},
                                     [this](const XmlNode& item) { return readItem(item, -1); });
        });
}

Result ListControl::readColumns(const XmlNode& element) {
    return ReadChildElements(element, {u"Column"}, [this](const XmlNode& node) {
        ListColumn column;
        String text;
        if (node.getAttribute(u"Name", &text) == kResultOk)
            (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &column.name);
        if (node.getAttribute(u"Width", &text) == kResultOk) {
            if (text == kAutomaticWidthWord)
                column.autoWidth = true;
            else if (node.getAttributeInt32(u"Width", &column.width) != kResultOk)
                return kResultInvalidArgument;
        }
        if (ReadWord(node, u"Align", kColumnAligns, &column.format) == kResultInvalidArgument)
            return kResultInvalidArgument;
        columns_.push_back(column);
        return kResultOk;
    });
}

// A group without "Name" ends the groups: the ones before it stay.
Result ListControl::readGroups(const XmlNode& element) {
    PreferencesStore* store = WindowSystem::Instance().preferences();
    return ReadChildElements(element, {u"Group"}, [this, store](const XmlNode& node) {
        ListGroup group;
        String name;
        const Result named = node.getAttribute(u"Name", &name);
        if (named != kResultOk)
            return named;
        (void)ResolveLocalizedText(ResourceCache::Instance(), name.data(), &group.name);
        if (node.getAttribute(u"ID", &group.key) != kResultOk)
            group.key = NextGeneratedGroupKey();
        (void)node.getAttributeBoolean(u"Collapsible", &group.collapsible, false);
        (void)node.getAttributeBoolean(u"Collapsed", &group.collapsed, false);
        if (store && !preferencesPath().isEmpty()) {
            bool stored = group.collapsed;
            (void)store->getBoolean(collapsedPath(group).data(), &stored, group.collapsed);
            group.collapsed = stored;
        }
        group.id = int32_t(groups_.size()) + 1;
        groups_.push_back(group);
        return ReadChildElements(node, {u"Item"}, [this, &group](const XmlNode& item) {
            return readItem(item, group.id);
        });
    });
}

Result ListControl::readItem(const XmlNode& element, int32_t groupId) {
    ListItem item;
    item.text = LocalizedContent(element);
    item.groupId = groupId;
    (void)element.getAttributeInt32(u"PictureIndex", &item.picture);
    for (const XmlNode* node = element.firstChild(); node; node = node->nextSibling()) {
        if (!node->isElement())
            continue;
        if (node->name() == u"PictureIndex") {
            (void)node->getInt32(&item.picture);
        } else if (node->name() == u"SubItem") {
            item.subItems.push_back(LocalizedContent(*node));
        } else {
            return kResultKindMismatch;
        }
    }
    items_.push_back(item);
    return kResultOk;
}

String ListControl::collapsedPath(const ListGroup& group) const {
    return preferencesPath() + u"/" + group.key + u"/Collapsed";
}

void ListControl::created() {
    HWND list = handle();
    const DWORD extended =
        LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | (checkBoxes_ ? LVS_EX_CHECKBOXES : 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    if (pictures_.handle()) {
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, LPARAM(pictures_.handle()));
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, LPARAM(pictures_.handle()));
    }
    for (size_t index = 0; index < columns_.size(); ++index) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columns_[index].format;
        column.cx = columns_[index].width;
        column.pszText = const_cast<wchar_t*>(Wide(columns_[index].name.data()));
        column.iSubItem = int(index);
        SendMessageW(list, LVM_INSERTCOLUMNW, index, LPARAM(&column));
    }
    if (!groups_.empty())
        SendMessageW(list, LVM_ENABLEGROUPVIEW, TRUE, 0);
    for (const ListGroup& group : groups_) {
        LVGROUP info = {};
        info.cbSize = sizeof info;
        info.mask = LVGF_HEADER | LVGF_GROUPID | LVGF_STATE;
        info.pszHeader = const_cast<wchar_t*>(Wide(group.name.data()));
        info.iGroupId = group.id;
        info.stateMask = LVGS_COLLAPSIBLE | LVGS_COLLAPSED;
        info.state =
            (group.collapsible ? LVGS_COLLAPSIBLE : 0) | (group.collapsed ? LVGS_COLLAPSED : 0);
        SendMessageW(list, LVM_INSERTGROUP, WPARAM(-1), LPARAM(&info));
    }
    insertRows();
}

void ListControl::insertRows() {
    HWND list = handle();
    insertingRows_ = true;
    for (size_t index = 0; index < items_.size(); ++index) {
        const ListItem& source = items_[index];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | (source.picture >= 0 ? LVIF_IMAGE : 0) |
                    (source.groupId >= 0 ? LVIF_GROUPID : 0);
        item.iItem = int(index);
        item.pszText = const_cast<wchar_t*>(Wide(source.text.data()));
        item.iImage = source.picture;
        item.iGroupId = source.groupId;
        item.lParam = LPARAM(index);
        const int row = int(SendMessageW(list, LVM_INSERTITEMW, 0, LPARAM(&item)));
        for (size_t sub = 0; sub < source.subItems.size() && row >= 0; ++sub) {
            LVITEMW text = {};
            text.iSubItem = int(sub + 1);
            text.pszText = const_cast<wchar_t*>(Wide(source.subItems[sub].data()));
            SendMessageW(list, LVM_SETITEMTEXTW, row, LPARAM(&text));
        }
        if (checkBoxes_ && row >= 0) {
            LVITEMW state = {};
            state.stateMask = LVIS_STATEIMAGEMASK;
            state.state = INDEXTOSTATEIMAGEMASK(source.checked ? 2 : 1);
            SendMessageW(list, LVM_SETITEMSTATE, row, LPARAM(&state));
        }
    }
    insertingRows_ = false;
    for (size_t index = 0; index < columns_.size(); ++index) {
        if (columns_[index].autoWidth)
            SendMessageW(list, LVM_SETCOLUMNWIDTH, index, LVSCW_AUTOSIZE);
    }
}

bool ListControl::groupCollapsed(const String& key) const {
    const ListGroup* group = findGroup(key);
    if (!group)
        return false;
    if (handle()) {
        // A list view without group support (older systems, Wine) answers 0:
        // the recorded state then stands.
        LVGROUP info = {};
        info.cbSize = sizeof info;
        info.mask = LVGF_STATE;
        info.stateMask = LVGS_COLLAPSED;
        if (SendMessageW(handle(), LVM_GETGROUPINFO, group->id, LPARAM(&info)) == group->id)
            return info.state & LVGS_COLLAPSED;
    }
    return group->collapsed;
}

Result ListControl::setGroupCollapsed(const String& key, bool collapsed) {
    ListGroup* group = const_cast<ListGroup*>(findGroup(key));
    if (!group)
        return kResultNotFound;
    group->collapsed = collapsed;
    if (handle()) {
        LVGROUP info = {};
        info.cbSize = sizeof info;
        info.mask = LVGF_STATE;
        info.stateMask = LVGS_COLLAPSED;
        info.state = collapsed ? LVGS_COLLAPSED : 0;
        SendMessageW(handle(), LVM_SETGROUPINFO, group->id, LPARAM(&info));
    }
    return kResultOk;
}

const ListGroup* ListControl::findGroup(const String& key) const {
    for (const ListGroup& group : groups_) {
        if (group.key == key)
            return &group;
    }
    return nullptr;
}

void ListControl::saveGroupStates() const {
    PreferencesStore* store = WindowSystem::Instance().preferences();
    if (!store || preferencesPath().isEmpty())
        return;
    for (const ListGroup& group : groups_)
        (void)store->setBoolean(collapsedPath(group).data(), groupCollapsed(group.key));
}

void ListControl::setItems(const std::vector<ListItem>& items) {
    items_ = items;
    if (!handle())
        return;
    SendMessageW(handle(), LVM_DELETEALLITEMS, 0, 0);
    insertRows();
    // The first row has the focus, so that the keyboard reaches the rows at
    // once: Space ticks its box, the arrows move on from it.
    LVITEMW focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    insertingRows_ = true;
    if (!items_.empty())
        SendMessageW(handle(), LVM_SETITEMSTATE, 0, LPARAM(&focus));
    insertingRows_ = false;
}

bool ListControl::isChecked(uint32_t row) const {
    if (!handle())
        return row < items_.size() && items_[row].checked;
    const LRESULT state = SendMessageW(handle(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

bool ListControl::changesCheckBox(const NMLISTVIEW& change) const {
    // The rows' boxes as set are never the user's changes.
    return !insertingRows_ && (change.uChanged & LVIF_STATE) &&
           ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
}

void ListControl::sortByColumn(int32_t column) {
    sortDescending_ = column == sortColumn_ ? !sortDescending_ : false;
    sortColumn_ = column;
    SortContext context = {handle(), column, sortDescending_};
    SendMessageW(handle(), LVM_SORTITEMSEX, WPARAM(&context), LPARAM(CompareRows));
}

bool ListControl::handleNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != handle())
        return false;
    if (header.code == LVN_ITEMCHANGING && checkBoxes_) {
        // A locked row keeps its box.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = change.iItem;
        const bool found = change.iItem >= 0 &&
                           SendMessageW(handle(), LVM_GETITEMW, 0, LPARAM(&item)) &&
                           size_t(item.lParam) < items_.size();
        if (found && items_[size_t(item.lParam)].locked && changesCheckBox(change)) {
            *result = TRUE;
            return true;
        }
        return false;
    }
    if (header.code == LVN_COLUMNCLICK && sortable_) {
        sortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        *result = 0;
        return true;
    }
    if (header.code == NM_CUSTOMDRAW && hasAlternateBackground_) {
        auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
            *result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            if (draw.nmcd.dwItemSpec % 2 == 1)
                draw.clrTextBk = alternateBackground_;
            *result = CDRF_DODEFAULT;
            return true;
        }
    }
    return false;
}

bool ListControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == WM_NOTIFY && l && handleNotify(*reinterpret_cast<const NMHDR*>(l), result))
        return true;
    if (message == WM_DESTROY)
        saveGroupStates();
    return SystemControl::handleMessage(message, w, l, result);
}

} // namespace vorn
