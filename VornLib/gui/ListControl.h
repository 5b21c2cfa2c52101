// ListControl: the "List" element, a system list view (report view unless
// "Style" is "Icon"). Its description holds the columns, the groups with
// their items and the ungrouped items as child elements, which are read into
// plain records and put into the control once it exists. Groups remember
// whether the user collapsed them under the list's "Preferences" path, one
// value per group key. A header that "Sort"s orders the rows by the clicked
// column's text, the other way round on a second click. With "CheckBoxes"
// each row has a check box (Space toggles it); a locked row's box stays as it
// was set. Words outside the listed ones fail with 5.
#pragma once

#include <vector>

#include "VornLib/gui/PictureImageList.h"
#include "VornLib/gui/SystemControl.h"

namespace vorn {

struct ListColumn {
    String name;
    int32_t width = 32;
    bool autoWidth = false;
    int32_t format = 0; // LVCFMT_LEFT, _CENTER or _RIGHT
};

struct ListGroup {
    String key;  // "ID", or "ListCtrlGroup{0}" from a process-wide counter
    String name; // the header text
    int32_t id = 0;
    bool collapsible = false;
    bool collapsed = false;
};

struct ListItem {
    String text;
    std::vector<String> subItems;
    int32_t picture = -1;
    int32_t groupId = -1; // -1: not in a group
    bool checked = false;
    bool locked = false; // its check box cannot be changed
};

class ListControl : public SystemControl {
public:
    ListControl();

    const std::vector<ListGroup>& groups() const { return groups_; }
    const std::vector<ListItem>& items() const { return items_; }
    // The group's collapsed state as the control shows it (as described
    // while there is no control); false for an unknown key.
    bool groupCollapsed(const String& key) const;
    // Collapses or expands a group; 29 for an unknown key.
    Result setGroupCollapsed(const String& key, bool collapsed);
    // Writes every group's collapsed state under the "Preferences" path;
    // done when the list is destroyed.
    void saveGroupStates() const;
    // Puts `items` in the place of the rows (ungrouped, in this order); the
    // first has the keyboard focus.
    void setItems(const std::vector<ListItem>& items);
    // The row's check box as the control shows it (as set while there is no
    // control); false for no such row.
    bool isChecked(uint32_t row) const;

protected:
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;

private:
    Result readColumns(const XmlNode& element);
    Result readGroups(const XmlNode& element);
    Result readItem(const XmlNode& element, int32_t groupId);
    const ListGroup* findGroup(const String& key) const;
    String collapsedPath(const ListGroup& group) const;
    bool handleNotify(const NMHDR& header, LRESULT* result);
    void sortByColumn(int32_t column);
    void insertRows();
    // Whether a change of the row's state would change its check box.
    bool changesCheckBox(const NMLISTVIEW& change) const;

    std::vector<ListColumn> columns_;
    std::vector<ListGroup> groups_;
    std::vector<ListItem> items_;
    PictureImageList pictures_;
    COLORREF alternateBackground_ = 0;
    bool hasAlternateBackground_ = false;
    bool sortable_ = false;
    bool checkBoxes_ = false;
    bool insertingRows_ = false;
    int32_t sortColumn_ = -1;
    bool sortDescending_ = false;
};

} // namespace vorn
