#include "VornLib/gui/ShortcutKeyTable.h"

#include <vector>

#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/ShortcutKeys.h"

namespace vorn {

Result LoadShortcutKeyTable(const char16_t* name, AcceleratorTable* table) {
    table->reset();
    std::vector<ShortcutKey> keys;
    {
        ResourceLease<XmlNode> element;
        Result result =
            ResourceCache::Instance().getLocalizedElement(u"ShortcutKeys", name, element.receive());
        if (result == kResultOk)
            result = ReadShortcutKeys(*element.get(), &keys);
        if (result != kResultOk)
            return result;
    }
    std::vector<ACCEL> entries;
    for (const ShortcutKey& key : keys) {
        ACCEL entry = {};
        entry.fVirt = FVIRTKEY;
        if (key.modifiers & kShortcutControl)
            entry.fVirt |= FCONTROL;
        if (key.modifiers & kShortcutAlt)
            entry.fVirt |= FALT;
        if (key.modifiers & kShortcutShift)
            entry.fVirt |= FSHIFT;
        entry.key = key.virtualKey;
        entry.cmd = key.command;
        entries.push_back(entry);
    }
    if (entries.empty())
        return kResultOk;
    table->reset(CreateAcceleratorTableW(entries.data(), int(entries.size())));
    return *table ? kResultOk : ResultFromSystemError(GetLastError());
}

} // namespace vorn
