// What an installation sets besides its files, declared inside
// InstallationSettings:
//   <Registry>
//     <Value Key="Software\Vorn Software\Hello" Name="Home"
//            Type="String|ExpandString|DWord|QWord|MultiString" Data="{InstallFolder}"/>
//   </Registry>
//   <Environment>
//     <PathEntry Folder="{InstallFolder}\bin"/>
//     <Variable Name="HELLO_HOME" Value="{InstallFolder}"/>
//   </Environment>
// A value goes into the installation's hive (HKEY_LOCAL_MACHINE's 32-bit view
// for all users, HKEY_CURRENT_USER per user), below "Software\" only; without
// Name it is the key's default value. DWord and QWord data are decimal or
// "0x" hexadecimal numbers; a MultiString's strings are its String child
// elements (<Value … Type="MultiString"><String>a</String>…</Value>), kept
// in `data` separated by line feeds. A variable or a PATH entry goes into the
// system's environment for all users, the user's own per user. Texts may
// name the installation's values in braces (kPlaceholderNames); "{{" is a
// brace. The changes are made in document order, values first.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kRegistryElement[] = u"Registry";
constexpr char16_t kEnvironmentElement[] = u"Environment";

// Where a declaration acts: the installation's hive, or its environment.
enum class SettingPlace : uint8_t { Registry, Environment };

// The kinds a declared value may have, by their names in Type.
enum class RegistryKind : uint8_t { String, ExpandString, DWord, QWord, MultiString, Count };
extern const char16_t* const kRegistryKindNames[uint32_t(RegistryKind::Count)];
// The registry's number for the kind (REG_SZ, REG_EXPAND_SZ, ...).
uint32_t RegistryKindType(RegistryKind kind);

struct SettingDeclaration {
    bool pathEntry = false; // a folder on PATH; else a value or a variable
    SettingPlace place = SettingPlace::Registry;
    String key;  // the value's key, below the hive; empty in the environment
    String name; // the value's or the variable's; empty for a PATH entry
    RegistryKind kind = RegistryKind::String;
    String data;      // as declared, names in braces not replaced yet
    String component; // made only when that component is chosen; empty: always
    XmlPosition position;
};

// The values a declaration's text may name, in braces.
enum class Placeholder : uint8_t { InstallFolder, ProgramGroup, Version, Company, Name, Count };
extern const char16_t* const kPlaceholderNames[uint32_t(Placeholder::Count)];
struct PlaceholderValues {
    String values[uint32_t(Placeholder::Count)];
    String& operator[](Placeholder which) { return values[uint32_t(which)]; }
};

// The declarations of `settings`' Registry and Environment elements, in
// document order. 5 and "line L, column C: what is wrong" in `problem` for
// the first mistake: a key outside "Software\" or with an empty part, a
// kind that is not one of kRegistryKindNames, a number that is not one, a
// variable named "Path" or with "=" in its name, a folder with ";", a name
// in braces that kPlaceholderNames lacks. 6 for a missing attribute.
Result ReadSettingDeclarations(const XmlNode& settings, std::vector<SettingDeclaration>* out,
                               String* problem);

// `text` with each "{Name}" replaced; 5 for a name the table lacks or a
// brace left open.
Result ExpandPlaceholders(const String& text, const PlaceholderValues& values, String* out);

// The bytes the registry stores for `data` (expanded) of `kind`: texts in
// UTF-16 with their terminator, numbers little-endian. 5 for a number that
// is not one.
Result StoredBytes(RegistryKind kind, const String& data, std::vector<uint8_t>* bytes);

// PATH's entries, separated by ";": whether one names `folder` (letters in
// any case, a last "\" or not), `path` with it added at the end, and with
// the first entry that names it taken out, the others kept in their order.
bool HoldsPathEntry(const String& path, const String& folder);
String WithPathEntry(const String& path, const String& folder);
String WithoutPathEntry(const String& path, const String& folder);

} // namespace vorn
