// Whether this setup may install in the scope its manifest holds, checked
// before anything is touched and without a window, like the switches. The
// command line may choose a scope ("/AllUsers", "/CurrentUser"); the
// definitions say which they allow; and a product is installed in one scope
// at a time: a setup run over an installation of the other scope refuses
// and names it, rather than leave two installations that share the same
// uninstall identity, file types and shortcuts' names.
//
// Where the definitions let the user choose and nothing else has, the
// wizard's options page offers the choice ("for all users (administrator
// rights)", "just for me"), and the folder it proposes follows the choice.
#pragma once

#include "Applications/VornSetup/InstallManifest.h"

namespace vornsetup {

// 0 when the setup may go on. 33 when the definitions' InstallationSettings
// hold an element or attribute they do not know, 39 when their scope rule is
// refused, 5 for both switches at once, 17 for a scope the definitions do
// not allow, 14 when the product is installed in the other scope; `message`
// says why in one line.
Result CheckScopeChoice(const InstallManifest& manifest, vorn::CommandLine& commandLine,
                        String* message);

// Whether the wizard offers the choice of scope: the definitions let the
// user choose, no switch chose, a wizard is shown (not "/Quiet", not
// "/Passive"), this is not an elevated copy (its launcher chose) and the
// product is not installed (an installation keeps its scope).
bool ScopeChoiceOffered(const InstallManifest& manifest, vorn::CommandLine& commandLine,
                        bool quiet);

// The folder the options page shows once the scope changed: the new scope's
// default folder while the folder shown is the old scope's default one
// (letters compared ignoring case); a folder the user typed or browsed to
// stays.
String FolderAfterScopeChange(const String& shown, const String& oldDefault,
                              const String& newDefault);

// The scope's words in messages: "for all users", "just for you".
const char16_t* ScopeDescription(vorn::InstallScope scope);

} // namespace vornsetup
