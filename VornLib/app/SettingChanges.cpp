#include "VornLib/app/SettingChanges.h"

#include <algorithm>

#include "VornLib/app/InstallLog.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {

namespace {

constexpr char16_t kSoftwarePrefix[] = u"Software\\";
constexpr char16_t kPathVariable[] = u"Path";
constexpr uint32_t kTextType = REG_SZ;
constexpr uint32_t kExpandableTextType = REG_EXPAND_SZ;
// How long one window may take to hear of a changed environment.
constexpr UINT kBroadcastMilliseconds = 5000;

String TextOfBytes(const std::vector<uint8_t>& bytes) {
    String text;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const char16_t unit = char16_t(bytes[at] | bytes[at + 1] << 8);
        if (unit == 0)
            break;
        text.append(unit);
    }
    return text;
}

std::vector<uint8_t> BytesOfText(const String& text) {
    std::vector<uint8_t> bytes;
    for (uint32_t at = 0; at <= text.length(); ++at) {
        const char16_t unit = at < text.length() ? text[at] : u'\0';
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    return bytes;
}

std::vector<SettingRecord> Decoded(const std::vector<String>& texts) {
    std::vector<SettingRecord> records;
    for (const String& text : texts) {
        SettingRecord record;
        if (DecodeSettingRecord(text, &record))
            records.push_back(record);
        else
            Log(LogEvent::Setting, u"a record that is no setting is passed over: \"{0}\"", {text});
    }
    return records;
}

} // namespace

SettingChanges::~SettingChanges() {
    if (!environmentChanged_)
        return;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, LPARAM(L"Environment"),
                        SMTO_ABORTIFHUNG, kBroadcastMilliseconds, &answer);
}

// Only the scope chooses the hive: a record names the key below it.
Result SettingChanges::openKey(const SettingRecord& record, RegistryKey* key) const {
    const InstallScopePlaces& places = PlacesOf(scope_);
    if (record.place == SettingPlace::Environment)
        return key->open(places.environmentRoot, places.environmentKey);
    return key->open(places.settingsRoot, record.key.data());
}

String SettingChanges::logName(const SettingRecord& record) const {
    return SettingName(record, scope_ == InstallScope::User);
}

Result SettingChanges::currentState(const SettingRecord& value, SettingRecord* state) {
    *state = value;
    state->existed = false;
    state->bytes.clear();
    RegistryKey key;
    Result result = openKey(value, &key);
    if (result == kResultOk)
        result = key.readStored(value.name.data(), &state->type, &state->bytes);
    if (result == kResultNotFound)
        return kResultOk;
    state->existed = result == kResultOk;
    return result;
}

Result SettingChanges::write(const SettingRecord& value, const std::vector<uint8_t>& bytes,
                             uint32_t type) {
    RegistryKey key;
    Result result = openKey(value, &key);
    if (result == kResultOk)
        result = key.writeStored(value.name.data(), type, bytes);
    environmentChanged_ = environmentChanged_ || value.place == SettingPlace::Environment;
    return result;
}

Result SettingChanges::restore(const SettingRecord& previous) {
    if (previous.existed)
        return write(previous, previous.bytes, previous.type);
    RegistryKey key;
    Result result = openKey(previous, &key);
    if (result == kResultOk && key.exists())
        result = key.deleteValue(previous.name.data());
    environmentChanged_ = environmentChanged_ || previous.place == SettingPlace::Environment;
    return result == kResultNotFound ? kResultOk : result;
}

bool SettingChanges::onPath(const String& folder) {
    SettingRecord path;
    path.place = SettingPlace::Environment;
    path.name = kPathVariable;
    SettingRecord state;
    return currentState(path, &state) == kResultOk && state.existed &&
           HoldsPathEntry(TextOfBytes(state.bytes), folder);
}

Result SettingChanges::changePath(const String& folder, bool add) {
    SettingRecord path;
    path.place = SettingPlace::Environment;
    path.name = kPathVariable;
    SettingRecord state;
    Result result = currentState(path, &state);
    if (result != kResultOk)
        return result;
    if (!state.existed)
        state.type = kExpandableTextType;
    if (state.type != kTextType && state.type != kExpandableTextType)
        return kResultKindMismatch;
    const String before = TextOfBytes(state.bytes);
    const String after = add ? WithPathEntry(before, folder) : WithoutPathEntry(before, folder);
    if (after == before)
        return kResultOk;
    return write(path, BytesOfText(after), state.type);
}

Result SettingChanges::apply(const std::vector<SettingDeclaration>& declarations,
                             const PlaceholderValues& values,
                             const std::vector<String>& previousOwned,
                             const SettingRecorder& record, std::vector<String>* owned) {
    struct Wanted {
        SettingRecord setting;
        uint32_t type = 0;
        std::vector<uint8_t> bytes;
    };
    std::vector<Wanted> wanted;
    for (const SettingDeclaration& declaration : declarations) {
        Wanted item;
        item.setting.place = declaration.place;
        String data;
        Result result = ExpandPlaceholders(declaration.data, values, &data);
        if (declaration.pathEntry) {
            item.setting.action = SettingAction::PathEntry;
            item.setting.name = data;
        } else {
            item.setting.key = declaration.key;
            item.setting.name = declaration.name;
            item.type = RegistryKindType(declaration.kind);
            if (result == kResultOk)
                result = StoredBytes(declaration.kind, data, &item.bytes);
        }
        if (result != kResultOk)
            return result;
        wanted.push_back(item);
    }
    const std::vector<SettingRecord> previous = Decoded(previousOwned);
    const auto among = [](const std::vector<SettingRecord>& records, const SettingRecord& setting) {
        return std::any_of(records.begin(), records.end(),
                           [&](const SettingRecord& one) { return one.sameSetting(setting); });
    };
    std::vector<SettingRecord> declared;
    for (const Wanted& item : wanted)
        declared.push_back(item.setting);
    const auto keep = [&record](const SettingRecord& change) {
        return record(EncodeSettingRecord(change));
    };
    owned->clear();
    std::vector<String> keys;
    // What the previous version owned and this one does not declare goes.
    for (const SettingRecord& setting : previous) {
        if (setting.action == SettingAction::Key || among(declared, setting))
            continue;
        Result result = kResultOk;
        if (setting.action == SettingAction::PathEntry) {
            if (!onPath(setting.name))
                continue;
            SettingRecord removed = setting;
            removed.action = SettingAction::PathRemoved;
            if ((result = keep(removed)) == kResultOk)
                result = changePath(setting.name, false);
        } else {
            SettingRecord before;
            if ((result = currentState(setting, &before)) != kResultOk || !before.existed)
                continue;
            if ((result = keep(before)) == kResultOk)
                result =
                    restore(SettingOf(setting.action, setting.place, setting.key, setting.name));
        }
        Log(LogEvent::Setting, u"{0} taken away: the new version does not declare it ({1})",
            {logName(setting), result});
        if (result != kResultOk)
            return result;
    }
    std::vector<String> settings;
    for (const Wanted& item : wanted) {
        const SettingRecord& setting = item.setting;
        Result result = kResultOk;
        if (setting.action == SettingAction::PathEntry) {
            if (onPath(setting.name)) {
                // Someone else's entry stays someone else's.
                const bool ours = among(previous, setting);
                if (ours)
                    settings.push_back(EncodeSettingRecord(setting));
                Log(LogEvent::Setting, u"{0} is on PATH already{1}",
                    {logName(setting), ours ? u"" : u": left as it is, and left at removal"});
                continue;
            }
            if ((result = keep(setting)) == kResultOk)
                result = changePath(setting.name, true);
        } else {
            // Each key that is not there yet is the installation's.
            for (uint32_t at = TextLength(kSoftwarePrefix);
                 setting.place == SettingPlace::Registry && at <= setting.key.length(); ++at) {
                if (at < setting.key.length() && setting.key[at] != u'\\')
                    continue;
                const SettingRecord created =
                    SettingOf(SettingAction::Key, SettingPlace::Registry, setting.key.left(at));
                RegistryKey key;
                if (openKey(created, &key) != kResultOk || key.exists())
                    continue;
                if ((result = keep(created)) != kResultOk)
                    return result;
                keys.push_back(EncodeSettingRecord(created));
            }
            SettingRecord before;
            if ((result = currentState(setting, &before)) == kResultOk &&
                (result = keep(before)) == kResultOk)
                result = write(setting, item.bytes, item.type);
        }
        Log(LogEvent::Setting, u"{0} set ({1})", {logName(setting), result});
        if (result != kResultOk)
            return result;
        settings.push_back(EncodeSettingRecord(setting));
    }
    // Keys first: the removal takes them away last, once their values are gone.
    owned->insert(owned->end(), keys.begin(), keys.end());
    keys = previousKeys(previous, declared);
    owned->insert(owned->begin(), keys.begin(), keys.end());
    owned->insert(owned->end(), settings.begin(), settings.end());
    return kResultOk;
}

// The previous version's keys that still hold this version's values, or
// others'; one left empty by the values that went goes too (a roll-back that
// puts those values back makes it again).
std::vector<String> SettingChanges::previousKeys(const std::vector<SettingRecord>& previous,
                                                 const std::vector<SettingRecord>& declared) {
    std::vector<String> kept;
    for (auto setting = previous.rbegin(); setting != previous.rend(); ++setting) {
        RegistryKey key;
        if (setting->action != SettingAction::Key || openKey(*setting, &key) != kResultOk ||
            !key.exists())
            continue;
        const String below = setting->key + u'\\';
        const bool needed = std::any_of(declared.begin(), declared.end(), [&](const auto& one) {
            return one.place == SettingPlace::Registry &&
                   (one.key.compareIgnoringCase(setting->key.data()) == 0 ||
                    String(one.key.left(below.length())).compareIgnoringCase(below.data()) == 0);
        });
        if (!needed && key.deleteIfEmpty() == kResultOk) {
            Log(LogEvent::Setting, u"{0} taken away: left empty", {logName(*setting)});
            continue;
        }
        kept.insert(kept.begin(), EncodeSettingRecord(*setting));
    }
    return kept;
}

void SettingChanges::undo(const std::vector<String>& records) {
    const std::vector<SettingRecord> changes = Decoded(records);
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        Result result = kResultOk;
        RegistryKey key;
        switch (change->action) {
        case SettingAction::Value:
            result = restore(*change);
            break;
        case SettingAction::Key:
            if ((result = openKey(*change, &key)) == kResultOk)
                result = key.deleteIfEmpty();
            break;
        case SettingAction::PathEntry:
            result = changePath(change->name, false);
            break;
        case SettingAction::PathRemoved:
            result = onPath(change->name) ? kResultOk : changePath(change->name, true);
            break;
        }
        Log(LogEvent::Setting, u"{0} put back as it was ({1})", {logName(*change), result});
    }
}

void SettingChanges::remove(const std::vector<String>& owned) {
    const std::vector<SettingRecord> settings = Decoded(owned);
    for (auto setting = settings.rbegin(); setting != settings.rend(); ++setting) {
        Result result = kResultOk;
        RegistryKey key;
        if (setting->action == SettingAction::Value) {
            result =
                restore(SettingOf(setting->action, setting->place, setting->key, setting->name));
        } else if (setting->action == SettingAction::Key) {
            // A key that holds what others put there stays.
            if ((result = openKey(*setting, &key)) == kResultOk)
                result = key.deleteIfEmpty();
        } else if (setting->action == SettingAction::PathEntry) {
            result = changePath(setting->name, false);
        }
        Log(LogEvent::Setting, u"{0} taken away ({1})", {logName(*setting), result});
    }
}

} // namespace vorn
