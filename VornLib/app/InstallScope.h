// InstallScope: whom an installation is for. Per machine ("AllUsers", the
// default): every user of the computer; the program goes into the system's
// program files, its uninstall entry, file types and App Paths under
// HKEY_LOCAL_MACHINE, its program group into the start menu of all users, and
// installing or removing it needs administrator rights. Per user
// ("CurrentUser"): the user who installs it; everything stays in that user's
// profile and HKEY_CURRENT_USER (the program in %LOCALAPPDATA%\Programs, the
// uninstall entry in the user's list of installed programs, file types and
// protocols under HKCU\Software\Classes, App Paths under the user's Software
// key, shortcuts in the user's own start menu), and nothing asks for rights.
//
// The definitions say which scope a setup proposes and whether the user may
// choose the other, in the element "InstallScope" of InstallationSettings:
//   <InstallScope Default="AllUsers" UserMayChoose="true"/>
// Default is "AllUsers" or "CurrentUser", UserMayChoose "true" or "false"
// (written exactly so); without the element a setup installs per machine and
// offers no choice.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

enum class InstallScope : uint8_t { Machine = 0, User = 1 };
constexpr uint32_t kInstallScopeCount = 2;

// The switch and definitions word of a scope: "AllUsers" or "CurrentUser".
const char16_t* InstallScopeWord(InstallScope scope);
// The scope a definitions word names, compared exactly; false for any other.
bool InstallScopeFromWord(const String& word, InstallScope* out);
// "machine" or "user", as logs, result files and package managers name it.
const char16_t* InstallScopeName(InstallScope scope);

constexpr char16_t kInstallScopeElement[] = u"InstallScope";

// What the definitions allow.
struct InstallScopeRule {
    InstallScope proposed = InstallScope::Machine;
    bool userMayChoose = false;

    bool allows(InstallScope scope) const { return userMayChoose || scope == proposed; }
};

// The rule of an InstallationSettings element. 39 for a Default or
// UserMayChoose that is none of the words above, with `problem` saying which
// (the rule is then the default one).
Result ReadInstallScopeRule(const XmlNode& settings, InstallScopeRule* out, String* problem);

} // namespace vorn

#ifdef _WIN32
namespace vorn {

// Where an installation of a scope is registered and put.
struct InstallScopePlaces {
    // The root of the list of installed programs. Installers are 32-bit
    // programs: per machine, the entry lives in the 32-bit view, which 64-bit
    // builds reach explicitly.
    uint32_t uninstallRoot;
    // The root of "Software\Microsoft\Windows\CurrentVersion\App Paths".
    uint32_t appPathsRoot;
    // The classes of file types and protocols: a root and the key below it.
    uint32_t classesRoot;
    const char16_t* classesKey;
    // The declared values' hive (SettingDeclarations.h): the uninstall
    // entry's, so that a 32-bit product reads them in its own view.
    uint32_t settingsRoot;
    // The environment's key: the system's, or the user's.
    uint32_t environmentRoot;
    const char16_t* environmentKey;
    // The default parent of install folders, and the start menu's programs.
    String (*programFiles)();
    String (*startMenuPrograms)();
};

const InstallScopePlaces& PlacesOf(InstallScope scope);

} // namespace vorn
#endif
