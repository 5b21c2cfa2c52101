#include "VornLib/app/UninstallEntry.h"

#include "VornLib/core/Format.h"

namespace vorn {

String UninstallEntryPath(const UUID& uuid) {
    return String(kUninstallListKey) + u"\\{" + uuid.toText() + u'}';
}

#ifdef _WIN32

UninstallEntry::UninstallEntry(const UUID& uuid) : uuid_(uuid), path_(UninstallEntryPath(uuid)) {
    // Only records the key: a fixed root and a path leave nothing to fail.
    static_cast<void>(key_.open(kUninstallEntryRoot, path_.data()));
}

std::vector<String> UninstallEntry::readList(const char16_t* list, uint32_t limit) const {
    std::vector<String> items;
    RegistryKey key;
    if (key.open(kUninstallEntryRoot, (path_ + u'\\' + list).data()) != kResultOk)
        return items;
    for (uint32_t index = 0; index < limit; ++index) {
        String item;
        if (key.readText(Format(u"{0}", {index}).data(), &item) != kResultOk)
            break;
        items.push_back(item);
    }
    return items;
}

void UninstallEntry::writeList(const char16_t* list, const std::vector<String>& items) const {
    RegistryKey key;
    if (key.open(kUninstallEntryRoot, (path_ + u'\\' + list).data()) != kResultOk)
        return;
    for (uint32_t index = 0; index < items.size(); ++index)
        (void)key.writeText(Format(u"{0}", {index}).data(), items[index].data());
}

Result UninstallEntry::remove() {
    key_.close();
    RegistryKey uninstallList;
    const Result opened = uninstallList.open(kUninstallEntryRoot, kUninstallListKey);
    if (opened != kResultOk)
        return opened;
    return uninstallList.deleteSubkeyTree((u'{' + uuid_.toText() + u'}').data());
}

#endif

} // namespace vorn
