#include "Applications/VornSetup/InstallerPages.h"

#include <commctrl.h>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/PageText.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/gui/ListControl.h"

namespace vornsetup {

using namespace vorn;

void ComponentsPage::shown() {
    const InstallManifest& manifest = this->manifest();
    SetText(control(u"ComponentsIntro"), Formatted(u"#ComponentsIntro", manifest.displayName()));
    auto* list = dynamic_cast<ListControl*>(control(u"Components"));
    if (!list)
        return;
    std::vector<ListItem> rows;
    const std::vector<ComponentDeclaration>& components = manifest.declared.components;
    for (uint32_t index = 0; index < components.size(); ++index) {
        const ComponentDeclaration& component = components[index];
        ListItem row;
        // The definitions' text of that key, or the title as written.
        const String title = component.title.isEmpty() ? component.name : component.title;
        if (ResolveLocalizedText(ResourceCache::Instance(), title.data(), &row.text) != kResultOk)
            row.text = component.name;
        if (component.required)
            row.text = Formatted(u"#ComponentRequired", row.text);
        // Rounded up to a tenth: a component of a few bytes is not "0.0 MB".
        const uint64_t tenth = 1024 * 1024 / 10;
        const uint64_t tenths = (manifest.componentSize(index) + tenth - 1) / tenth;
        row.subItems.push_back(Formatted(u"#ComponentSize", double(tenths) / 10.0));
        row.checked = manifest.chosenComponents[index];
        row.locked = component.required;
        rows.push_back(row);
    }
    filling_ = true;
    list->setItems(rows);
    filling_ = false;
    showSpaceRequired();
}

void ComponentsPage::showSpaceRequired() {
    SetText(control(u"ComponentsSpace"),
            Formatted(u"#SpaceRequired", double(SpaceRequiredMiB(manifest().chosenSize()))));
}

bool ComponentsPage::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    auto* list = dynamic_cast<ListControl*>(control(u"Components"));
    const auto* header = message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(l) : nullptr;
    if (!header || !list || header->hwndFrom != list->handle() || header->code != LVN_ITEMCHANGED)
        return InstallerPage::handleMessage(message, w, l, result);
    const auto& change = *reinterpret_cast<const NMLISTVIEW*>(header);
    ComponentChoice& chosen = manifest().chosenComponents;
    if (!filling_ && change.iItem >= 0 && size_t(change.iItem) < chosen.size() &&
        (change.uChanged & LVIF_STATE)) {
        chosen[size_t(change.iItem)] = list->isChecked(uint32_t(change.iItem));
        showSpaceRequired();
    }
    *result = 0;
    return true;
}

} // namespace vornsetup
