// What an installation needs installed before its own files, declared inside
// InstallationSettings:
//   <Prerequisites>
//     <Prerequisite Name="Hello Runtime" Program="redist\hello-runtime.exe"
//                   Arguments="/quiet /norestart" SuccessCodes="0,3010"
//                   Detect="HKLM\Software\Hello Runtime;Installed=1"/>
//   </Prerequisites>
// Before the copy, each prerequisite that Detect does not find runs: its
// Program (relative to the application folder, carried in the setup and not
// installed) with Arguments, waited for; an exit code outside SuccessCodes
// (default "0") fails the installation before anything of it is touched. An
// exit code of 3010 or 1641 (the platform installer's "restart needed") is
// passed on: the installation ends asking for a restart. A prerequisite is
// never removed, neither by a roll-back nor by the removal: others may need it.
// Its program is installed with the product only with InstallWithProduct="true"
// (a product that runs it again itself, e.g. to repair the runtime).
// Detect's forms:
//   HKLM\<key>                 the key is there (HKLM in either view of a
//   HKLM\<key>;<name>          64-bit Windows, HKCU the user's); the value is
//   HKLM\<key>;<name>=<data>   there; the value is, as text or as a number
//   file:<path>                a file is there (%VARIABLE%s expanded)
//   file:<path>;version>=<v>   with a version resource of at least <v>
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kPrerequisitesElement[] = u"Prerequisites";

struct PrerequisiteDetection {
    enum class Kind : uint8_t { RegistryKey, RegistryValue, RegistryData, File, FileVersion };
    Kind kind = Kind::RegistryKey;
    bool machine = true; // HKLM, else HKCU
    String key;          // below the root
    String name;         // the value's; empty for the key's default value
    String data;         // the value's data, or the least version
    String path;         // the file's, variables not expanded yet
};

struct PrerequisiteDeclaration {
    String name;
    String program; // relative to the application folder, "\"-separated
    String arguments;
    std::vector<uint32_t> successCodes;
    PrerequisiteDetection detect;
    bool installWithProduct = false; // its program is one of the installed files too
    String component;                // made only when that component is chosen; empty: always
    XmlPosition position;
};

// 5 for a Detect text none of the forms above reads.
Result ParsePrerequisiteDetection(const String& text, PrerequisiteDetection* out);

// The Prerequisite elements of `settings`' Prerequisites, in document order.
// 5 and "line L, column C: what is wrong" in `problem` for the first mistake:
// a Program that is not a relative path inside the application folder, a
// Detect none of the forms reads, a success code that is no number, two of
// one name. 6 for a missing attribute.
Result ReadPrerequisiteDeclarations(const XmlNode& settings,
                                    std::vector<PrerequisiteDeclaration>* out, String* problem);

// Whether an exit code asks for a restart (3010, 1641).
bool AsksForRestart(uint32_t exitCode);

} // namespace vorn
