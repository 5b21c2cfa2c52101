#include "VornLib/app/UpdateJournal.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vorn {

namespace {

constexpr char16_t kVornLibKey[] = u"Software\\VornLib";
constexpr char16_t kUpdatesKey[] = u"Software\\VornLib\\Updates";
constexpr char16_t kStepValue[] = u"Step";
constexpr char16_t kFolderValue[] = u"InstallFolder";
constexpr char16_t kProgramValue[] = u"Program";
constexpr char16_t kGroupValue[] = u"ProgramGroup";
constexpr char16_t kCompanyValue[] = u"Company";
constexpr char16_t kFilesRecord[] = u"Files";
constexpr char16_t kShortcutsRecord[] = u"Shortcuts";
constexpr char16_t kPreviousKey[] = u"Previous";
// By JournalList.
constexpr const char16_t* kChangeLists[] = {u"Settings", u"Steps", u"Services"};
// As many as the removal takes away.
constexpr uint32_t kMaxShortcuts = 256;

String Text(RegistryKey& key, const char16_t* name) {
    String value;
    (void)key.readText(name, &value);
    return value;
}

String FolderText(RegistryKey& key, const char16_t* name) {
    const String folder = Text(key, name);
    return folder.isEmpty() ? folder : NormalisedFolder(folder);
}

// The names a product's facts stand under: the journal's own, or an
// uninstall entry's.
struct ProductValueNames {
    const char16_t* folder;
    const char16_t* program;
    const char16_t* group;
    const char16_t* files;
    const char16_t* shortcuts;
};
constexpr ProductValueNames kJournalNames = {kFolderValue, kProgramValue, kGroupValue, kFilesRecord,
                                             kShortcutsRecord};

// The product whose facts `key`, at `path` under `root`, holds.
InstalledProduct ReadProduct(RegistryKey& key, uint32_t root, const String& path,
                             const ProductValueNames& names) {
    InstalledProduct product;
    product.folder = FolderText(key, names.folder);
    product.program = Text(key, names.program);
    product.programGroup = Text(key, names.group);
    product.files = ReadNumberedList(root, path + u'\\' + names.files);
    product.shortcuts = ReadNumberedList(root, path + u'\\' + names.shortcuts, kMaxShortcuts);
    return product;
}

} // namespace

UpdateJournal::UpdateJournal(const UUID& uuid, InstallScope scope)
    : uuid_(uuid), scope_(scope), root_(PlacesOf(scope).uninstallRoot),
      path_(String(kUpdatesKey) + u"\\{" + uuid.toText() + u'}') {
    // Only records the keys: a fixed root and a path leave nothing to fail.
    (void)key_.open(root_, path_.data());
    (void)previous_.open(root_, (path_ + u'\\' + kPreviousKey).data());
}

UpdateStep UpdateJournal::step() {
    int32_t step = 0;
    if (key_.readInt32(kStepValue, &step) != kResultOk || step <= 0 ||
        step > int32_t(UpdateStep::Committed))
        return UpdateStep::None;
    return UpdateStep(step);
}

Result UpdateJournal::start(const InstalledProduct& next, const String& company) {
    (void)remove();
    const struct {
        const char16_t* name;
        const String& value;
    } texts[] = {{kFolderValue, next.folder},
                 {kProgramValue, next.program},
                 {kGroupValue, next.programGroup},
                 {kCompanyValue, company}};
    for (const auto& text : texts) {
        const Result result = key_.writeText(text.name, text.value.data());
        if (result != kResultOk)
            return result;
    }
    WriteNumberedList(root_, path_ + u'\\' + kFilesRecord, next.files);
    // The step comes last: a record without it lists nothing that was begun.
    return setStep(UpdateStep::Copying);
}

Result UpdateJournal::setStep(UpdateStep step) {
    const Result result = key_.writeInt32(kStepValue, int32_t(step));
    (void)key_.flush();
    return result;
}

Result UpdateJournal::recordShortcuts(const std::vector<String>& shortcuts) {
    WriteNumberedList(root_, path_ + u'\\' + kShortcutsRecord, shortcuts);
    return key_.flush();
}

Result UpdateJournal::append(const char16_t* listName, const String& record) {
    const String path = path_ + u'\\' + listName;
    RegistryKey list;
    Result result = list.open(root_, path.data());
    if (result == kResultOk)
        result = list.writeText(Format(u"{0}", {ReadNumberedList(root_, path).size()}).data(),
                                record.data());
    if (result == kResultOk)
        result = list.flush();
    return result;
}

Result UpdateJournal::recordChange(JournalList list, const String& record) {
    return append(kChangeLists[uint32_t(list)], record);
}

std::vector<String> UpdateJournal::changes(JournalList list) const {
    return ReadNumberedList(root_, path_ + u'\\' + kChangeLists[uint32_t(list)]);
}

std::vector<String> UpdateJournal::previousList(const char16_t* entryList) const {
    return ReadNumberedList(root_, path_ + u'\\' + kPreviousKey + u'\\' + entryList);
}

Result UpdateJournal::keepPrevious() {
    (void)key_.deleteSubkeyTree(kPreviousKey);
    previous_.close();
    (void)previous_.open(root_, (path_ + u'\\' + kPreviousKey).data());
    UninstallEntry live(uuid_, scope_);
    if (!live.exists())
        return kResultOk;
    const Result result = live.key().copyTreeTo(previous_);
    (void)previous_.flush();
    return result;
}

Result UpdateJournal::restorePrevious() {
    (void)UninstallEntry(uuid_, scope_).remove();
    if (!hasPrevious())
        return kResultOk;
    UninstallEntry live(uuid_, scope_);
    return previous_.copyTreeTo(live.key());
}

InstalledProduct UpdateJournal::next() {
    return ReadProduct(key_, root_, path_, kJournalNames);
}

InstalledProduct InstalledProductOf(uint32_t root, const String& entryPath) {
    RegistryKey entry;
    if (entry.open(root, entryPath.data()) != kResultOk || !entry.exists())
        return InstalledProduct();
    const ProductValueNames names = {
        EntryValueName(EntryValue::InstallFolder), EntryValueName(EntryValue::UninstallProgram),
        EntryValueName(EntryValue::ProgramGroup), kFilesList, kShortcutsList};
    return ReadProduct(entry, root, entryPath, names);
}

InstalledProduct UpdateJournal::previous() {
    return InstalledProductOf(root_, path_ + u'\\' + kPreviousKey);
}

String UpdateJournal::company() {
    return Text(key_, kCompanyValue);
}

Result FindUpdateJournal(const UUID& uuid, const String& program, InstallScope* scope) {
    if (!scope)
        return kResultNullOutput;
    UpdateJournal machine(uuid, InstallScope::Machine);
    UpdateJournal user(uuid, InstallScope::User);
    const auto names = [&program](UpdateJournal& journal) {
        return SamePath(journal.next().program, program) ||
               SamePath(journal.previous().program, program);
    };
    const bool inMachine = machine.exists();
    const bool inUser = user.exists();
    bool userRecord = inUser && !inMachine;
    if (inUser && inMachine)
        userRecord = names(user) && !names(machine);
    *scope = userRecord ? InstallScope::User : InstallScope::Machine;
    return inMachine || inUser ? kResultOk : kResultNotFound;
}

Result UpdateJournal::remove() {
    key_.close();
    previous_.close();
    RegistryKey updates;
    (void)updates.open(root_, kUpdatesKey);
    Result result = updates.deleteSubkeyTree((u'{' + uuid_.toText() + u'}').data());
    if (result == kResultNotFound)
        result = kResultOk;
    // The framework's keys go with the last record: the registry is left as
    // it was found.
    (void)updates.deleteIfEmpty();
    RegistryKey framework;
    (void)framework.open(root_, kVornLibKey);
    (void)framework.deleteIfEmpty();
    (void)key_.open(root_, path_.data());
    (void)previous_.open(root_, (path_ + u'\\' + kPreviousKey).data());
    return result;
}

} // namespace vorn
