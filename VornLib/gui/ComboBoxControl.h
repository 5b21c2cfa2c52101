// ComboBoxControl: the platform's extended combo box ("ComboBoxEx32"), which
// shows a picture beside each item. Items come from the description's "Item"
// children or from the program; those added before the window exists are
// kept and handed to it when it is created.
//
// Its list is used the same by the keyboard on every system: F4, Alt+Down
// and Alt+Up open it, Down and Up step through the items of a closed list
// (the parent hears CBN_SELCHANGE), and an open list answers its keys itself
// (Return takes the item, Escape leaves it). The selection field of a
// drop-down box is as tall as an edit box (14 dialog units).
#pragma once

#include <vector>

#include "VornLib/gui/PictureImageList.h"
#include "VornLib/gui/SystemControl.h"

namespace vorn {

class ComboBoxControl : public SystemControl {
public:
    ComboBoxControl();

    // Appends an item; its index. `pictureIndex` -1 shows no picture.
    uint32_t addItem(const String& text, int32_t pictureIndex = -1);
    uint32_t itemCount() const { return uint32_t(items_.size()); }
    void clearItems();
    // Puts `text` into the edit field of an editable box.
    void setText(const String& text);
    String itemText(uint32_t index) const;
    // The selected item's index; -1 for none.
    int32_t selection() const;
    // 37 for an index past the items; -1 selects nothing.
    Result select(int32_t index);
    // The text the box shows (what the user typed, in an editable box).
    String text() const;

protected:
    // "List", "Editable" or "DropDown"; 5 for anything else.
    Result readType(const String& type) override;
    // "Pictures" and "PictureItemWidth".
    Result readAttributes(const XmlNode& element) override;
    // "Item" children with "PictureIndex" and "Selected"; 39 for others.
    Result readChildren(const XmlNode& element) override;
    void created() override;
    void dpiChanged() override;
    // The list's keys, from the box's edit field and from the box itself.
    bool preTranslate(MSG* message) override;

private:
    struct Item {
        String text;
        int32_t picture;
    };
    void insert(uint32_t index);
    void notifyParent(WORD code);
    void matchEditBoxHeight();
    void step(int32_t by);

    std::vector<Item> items_;
    PictureImageList pictures_;
    int32_t selection_ = -1;
};

} // namespace vorn
