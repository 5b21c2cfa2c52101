#include "VornLib/app/SettingRecord.h"

#include "VornLib/app/RecordFields.h"
#include "VornLib/core/Format.h"

namespace vorn {

namespace {

int HexDigit(char16_t unit) {
    if (unit >= u'0' && unit <= u'9')
        return unit - u'0';
    if (unit >= u'a' && unit <= u'f')
        return unit - u'a' + 10;
    return -1;
}

} // namespace

bool SettingRecord::sameSetting(const SettingRecord& other) const {
    const bool sameKind =
        (action == SettingAction::Value) == (other.action == SettingAction::Value);
    return sameKind && place == other.place && key.compareIgnoringCase(other.key.data()) == 0 &&
           name.compareIgnoringCase(other.name.data()) == 0;
}

String SettingName(const SettingRecord& record, bool perUser) {
    if (record.action == SettingAction::PathEntry || record.action == SettingAction::PathRemoved)
        return u"PATH " + record.name;
    if (record.place == SettingPlace::Environment)
        return u"%" + record.name + u'%';
    const String key = (perUser ? u"HKCU\\" : u"HKLM\\") + record.key;
    if (record.action == SettingAction::Key)
        return key;
    return key + u'\\' + (record.name.isEmpty() ? String(u"(default)") : record.name);
}

SettingRecord SettingOf(SettingAction action, SettingPlace place, const String& key,
                        const String& name) {
    SettingRecord record;
    record.action = action;
    record.place = place;
    record.key = key;
    record.name = name;
    return record;
}

String EncodeSettingRecord(const SettingRecord& record) {
    String text;
    text.append(char16_t(record.action));
    text.append(record.place == SettingPlace::Registry ? u'R' : u'E');
    AppendRecordField(&text, record.key);
    AppendRecordField(&text, record.name);
    if (record.action != SettingAction::Value)
        return text;
    if (!record.existed) {
        text.append(u'-');
        return text;
    }
    text.append(Format(u"{0}:", {record.type}));
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (const uint8_t byte : record.bytes) {
        text.append(kDigits[byte >> 4]);
        text.append(kDigits[byte & 15]);
    }
    return text;
}

bool DecodeSettingRecord(const String& text, SettingRecord* out) {
    *out = SettingRecord();
    if (text.length() < 2)
        return false;
    const char16_t action = text[0];
    if (action != u'V' && action != u'K' && action != u'P' && action != u'X')
        return false;
    out->action = SettingAction(action);
    if (text[1] != u'R' && text[1] != u'E')
        return false;
    out->place = text[1] == u'R' ? SettingPlace::Registry : SettingPlace::Environment;
    uint32_t at = 2;
    if (!ReadRecordField(text, &at, &out->key) || !ReadRecordField(text, &at, &out->name))
        return false;
    // The environment's key is the scope's, and holds the PATH entries; a
    // created key is a registry key, only below Software.
    const bool registry = out->place == SettingPlace::Registry;
    const bool path =
        out->action == SettingAction::PathEntry || out->action == SettingAction::PathRemoved;
    if (registry != !out->key.isEmpty() || (path && registry) ||
        (out->action == SettingAction::Key && !registry) ||
        (registry && String(out->key.left(9)).compareIgnoringCase(u"Software\\") != 0))
        return false;
    if (out->action != SettingAction::Value || at == text.length())
        return at == text.length();
    if (text[at] == u'-')
        return at + 1 == text.length();
    if (!ReadRecordLength(text, &at, &out->type) || (text.length() - at) % 2 != 0)
        return false;
    out->existed = true;
    for (; at < text.length(); at += 2) {
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return false;
        out->bytes.push_back(uint8_t(high << 4 | low));
    }
    return true;
}

} // namespace vorn
