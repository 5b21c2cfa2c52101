#include "VornLib/gui/StatusBarControl.h"

#include "VornLib/core/DescriptionChildren.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {

namespace {
constexpr char16_t kStatusPictures[] = u"Data/Pictures/VornLib-Icon-Status.png";
}

StatusBarControl::StatusBarControl() : SystemControl(STATUSCLASSNAMEW) {
    setStyle(style() | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER);
}

Result StatusBarControl::readAttributes(const XmlNode&) {
    // The icons are optional: a payload without the picture shows none.
    (void)pictures_.load(kStatusPictures, 0);
    setDefaultHeight(0, 12);
    return kResultOk;
}

Result StatusBarControl::readChildren(const XmlNode& element) {
    return ReadChildElements(element, {u"Section"}, [this](const XmlNode& node) {
        StatusSection section;
        if (node.findAttribute(u"Width"))
            (void)node.getAttributeInt32(u"Width", &section.width);
        if (node.findAttribute(u"PictureIndex"))
            (void)node.getAttributeInt32(u"PictureIndex", &section.picture);
        String text;
        if (node.kind() != XmlValueKind::None)
            (void)node.getText(&text);
        (void)ResolveLocalizedText(ResourceCache::Instance(), text.data(), &section.text);
        sections_.push_back(section);
        return kResultOk;
    });
}

void StatusBarControl::created() {
    applyParts();
    icons_.clear();
    for (size_t index = 0; index < sections_.size(); ++index) {
        SendMessageW(handle(), SB_SETTEXTW, index, LPARAM(Wide(sections_[index].text.data())));
        IconHandle icon = pictures_.icon(sections_[index].picture);
        if (icon) {
            SendMessageW(handle(), SB_SETICON, index, LPARAM(icon.get()));
            icons_.push_back(std::move(icon));
        }
    }
}

// Parts are given by their right edges; sections without a width share the rest.
void StatusBarControl::applyParts() {
    if (sections_.empty())
        return;
    RECT client = {};
    GetClientRect(handle(), &client);
    int32_t fixed = 0;
    int32_t flexible = 0;
    for (const StatusSection& section : sections_) {
        if (section.width >= 0)
            fixed += section.width;
        else
            ++flexible;
    }
    const int32_t share = flexible ? (client.right - fixed) / flexible : 0;
    std::vector<int> edges(sections_.size());
    int32_t edge = 0;
    for (size_t index = 0; index < sections_.size(); ++index) {
        edge += sections_[index].width >= 0 ? sections_[index].width : (share > 0 ? share : 0);
        edges[index] = edge;
    }
    edges.back() = -1;
    SendMessageW(handle(), SB_SETPARTS, edges.size(), LPARAM(edges.data()));
}

Result StatusBarControl::setText(uint32_t section, const String& text) {
    if (section >= sections_.size() && !(section == 0 && sections_.empty()))
        return kResultOutOfRange;
    if (section < sections_.size())
        sections_[section].text = text;
    if (handle())
        SendMessageW(handle(), SB_SETTEXTW, section, LPARAM(Wide(text.data())));
    return kResultOk;
}

StatusBarControl* StatusBarControl::Find(const Window& owner) {
    for (WindowRecord* record = owner.firstChild(); record; record = record->nextSibling()) {
        Window* child = static_cast<Window*>(record);
        if (child->handle()) {
            wchar_t name[32] = {};
            GetClassNameW(child->handle(), name, 32);
            if (lstrcmpiW(name, STATUSCLASSNAMEW) == 0)
                return static_cast<StatusBarControl*>(child);
        }
        if (StatusBarControl* found = Find(*child))
            return found;
    }
    return nullptr;
}

bool StatusBarControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    const bool handled = SystemControl::handleMessage(message, w, l, result);
    if (message == WM_SIZE)
        applyParts();
    return handled;
}

} // namespace vorn
