#include "VornLib/app/UninstallEntry.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vorn {

const char16_t* const kEntryValueNames[uint32_t(EntryValue::Count)] = {
    u"UninstallString",
    u"QuietUninstallString",
    u"DisplayName",
    u"Contact",
    u"Comments",
    u"DisplayIcon",
    u"DisplayVersion",
    u"Publisher",
    u"HelpLink",
    u"URLInfoAbout",
    u"URLUpdateInfo",
    u"InstallDate",
    u"InstallLocation",
    u"EstimatedSize",
    u"ModifyPath",
    u"NoModify",
    u"NoRepair",
    u"VornLib.InstallFolder",
    u"VornLib.ProgramGroup",
    u"VornLib.UninstallProgram",
    u"VornLib.CreateDesktopShortcut",
    u"VornLib.CreateQuickLaunchShortcut",
    u"VornLib.Components",
    u"VornLib.ComponentsLeftOut",
};

String UninstallCommand(const String& program, bool quiet) {
    return u'"' + program + u"\" /Uninstall" + (quiet ? u" /Quiet" : u"");
}

String UninstallEntryPath(const UUID& uuid) {
    return String(kUninstallListKey) + u'\\' + EntryKeyName(uuid);
}

String EntryKeyName(const UUID& uuid) {
    return u'{' + uuid.toText() + u'}';
}

String EntryKeyLogName(const UUID& uuid, InstallScope scope, const String& list) {
    String name = UninstallEntryPath(uuid);
    if (!list.isEmpty())
        name = name + u'\\' + list;
    if (scope == InstallScope::User)
        return u"HKCU\\" + name;
    return u"HKLM\\" + name + u" (32-bit view)";
}

String EntryDisplayName(const String& name, const String& tag) {
    if (tag.isEmpty())
        return name;
    const int32_t blank = tag.find(u' ');
    return name + u" (" + (blank < 0 ? tag : tag.left(uint32_t(blank))) + u')';
}

String EntryDisplayVersion(const String& version, const String& tag) {
    return tag.isEmpty() ? version : version + u' ' + tag;
}

#ifdef _WIN32

namespace {

uint32_t RootOf(InstallScope scope) {
    return PlacesOf(scope).uninstallRoot;
}

} // namespace

UninstallEntry::UninstallEntry(const UUID& uuid, InstallScope scope)
    : uuid_(uuid), scope_(scope), path_(UninstallEntryPath(uuid)) {
    // Only records the key: a fixed root and a path leave nothing to fail.
    static_cast<void>(key_.open(RootOf(scope_), path_.data()));
}

std::vector<String> ReadNumberedList(uint32_t root, const String& keyPath, uint32_t limit) {
    std::vector<String> items;
    RegistryKey key;
    if (key.open(root, keyPath.data()) != kResultOk)
        return items;
    for (uint32_t index = 0; index < limit; ++index) {
        String item;
        if (key.readText(Format(u"{0}", {index}).data(), &item) != kResultOk)
            break;
        items.push_back(item);
    }
    return items;
}

void WriteNumberedList(uint32_t root, const String& keyPath, const std::vector<String>& items) {
    RegistryKey key;
    if (key.open(root, keyPath.data()) != kResultOk)
        return;
    for (uint32_t index = 0; index < items.size(); ++index)
        (void)key.writeText(Format(u"{0}", {index}).data(), items[index].data());
}

namespace {

bool NamesProgram(UninstallEntry& entry, const String& program) {
    String listed;
    return entry.readText(EntryValue::UninstallProgram, &listed) == kResultOk &&
           SamePath(listed, program);
}

} // namespace

std::vector<String> UninstallEntry::readList(const char16_t* list, uint32_t limit) const {
    return ReadNumberedList(RootOf(scope_), path_ + u'\\' + list, limit);
}

void UninstallEntry::writeList(const char16_t* list, const std::vector<String>& items) const {
    WriteNumberedList(RootOf(scope_), path_ + u'\\' + list, items);
}

Result DescriptionFromUninstallEntry(const String& program, ApplicationDescription* description) {
    if (!description)
        return kResultNullOutput;
    *description = ApplicationDescription();
    for (const InstallScope scope : {InstallScope::Machine, InstallScope::User}) {
        RegistryKey list;
        if (list.open(RootOf(scope), kUninstallListKey) != kResultOk)
            continue;
        String name;
        for (uint32_t index = 0; list.subkeyName(index, &name) == kResultOk; ++index) {
            UUID uuid;
            if (name.length() != 38 || name[0] != u'{' ||
                UUID::Parse(name.mid(1, 36).data(), &uuid) != kResultOk)
                continue;
            UninstallEntry entry(uuid, scope);
            if (!NamesProgram(entry, program))
                continue;
            description->uuid = uuid;
            (void)entry.readText(EntryValue::DisplayName, &description->name);
            (void)entry.readText(EntryValue::DisplayVersion, &description->version);
            (void)entry.readText(EntryValue::Publisher, &description->company);
            return kResultOk;
        }
    }
    return kResultNotFound;
}

Result FindUninstallEntry(const UUID& uuid, const String& program, InstallScope* scope) {
    if (!scope)
        return kResultNullOutput;
    UninstallEntry machine(uuid, InstallScope::Machine);
    UninstallEntry user(uuid, InstallScope::User);
    const bool inMachine = machine.exists();
    const bool inUser = user.exists();
    bool userEntry = inUser && !inMachine;
    if (inUser && inMachine)
        userEntry = NamesProgram(user, program) && !NamesProgram(machine, program);
    *scope = userEntry ? InstallScope::User : InstallScope::Machine;
    return inMachine || inUser ? kResultOk : kResultNotFound;
}

Result UninstallEntry::remove() {
    key_.close();
    RegistryKey uninstallList;
    const Result opened = uninstallList.open(RootOf(scope_), kUninstallListKey);
    if (opened != kResultOk)
        return opened;
    return uninstallList.deleteSubkeyTree(EntryKeyName(uuid_).data());
}

#endif

} // namespace vorn
