// SettingRecord: one change that an installation makes to a declared setting
// (SettingDeclarations.h), as text in a numbered list. The update's journal
// keeps one before each change is made, with what was there, so that the
// transaction puts it back on a roll-back; the uninstall entry's
// "SettingsList" keeps what the installation owns, which its removal takes
// away. A record names a place, never a root: the installation's scope
// decides which hive and environment it acts on (InstallScopePlaces), so that
// a record in the user's hive can never reach the machine's.
// The text: the action's letter, the place's ("R" registry, "E" environment),
// the key and the name each as "<length>:<units>", and for a journal's value
// "-" (absent before) or "<type>:<bytes in hexadecimal>".
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/app/SettingDeclarations.h"

namespace vorn {

enum class SettingAction : char16_t {
    Value = u'V',       // a value or a variable; in a journal with its previous state
    Key = u'K',         // a key that the installation created
    PathEntry = u'P',   // a folder that the installation put on PATH
    PathRemoved = u'X', // journal only: a previous version's folder taken off PATH
};

struct SettingRecord {
    SettingAction action = SettingAction::Value;
    SettingPlace place = SettingPlace::Registry;
    String key;           // below the hive; empty in the environment
    String name;          // the value's or the variable's name; the PATH folder
    bool existed = false; // a journal's value was there before, as follows
    uint32_t type = 0;
    std::vector<uint8_t> bytes;

    // The same setting (letters of names and keys in any case, as the
    // registry compares them).
    bool sameSetting(const SettingRecord& other) const;
};

// As logs and the result file name it: "HKLM\Software\Vorn\Hello\Home"
// ("HKCU\…" per user, "(default)" for a key's default value),
// "%HELLO_HOME%", "PATH C:\Hello\bin".
String SettingName(const SettingRecord& record, bool perUser);

// A record without a previous state.
SettingRecord SettingOf(SettingAction action, SettingPlace place, const String& key,
                        const String& name = String());

String EncodeSettingRecord(const SettingRecord& record);
// False for a malformed text, for a registry key outside "Software\", and for
// an action out of its place (a created key in the environment, a PATH
// entry in the registry): such a record is never acted on.
bool DecodeSettingRecord(const String& text, SettingRecord* out);

} // namespace vorn
