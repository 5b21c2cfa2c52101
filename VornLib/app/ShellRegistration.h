// Shell registration: the file extensions and URL protocols a program declares
// in its XML ("FileTypes", "CustomProtocols") become keys under the classes
// root that send such files and links to the program's executable, and are
// removed again. The App Paths entry lets the shell start the program by its
// file name; the installer, this registration and the uninstaller share it.
// For an installation of all users the keys lie under HKEY_CLASSES_ROOT and
// HKEY_LOCAL_MACHINE, and writing them needs administrator rights: an
// unelevated process may hand the work to an elevated copy of itself
// ("/RegisterFileTypes", "/UnregisterFileTypes") and report that copy's exit
// code. For an installation of the current user alone they lie under
// HKEY_CURRENT_USER (Software\Classes, and the user's App Paths), which the
// user writes without asking for rights.
#pragma once

#include <vector>

#include "VornLib/app/InstallScope.h"
#include "VornLib/app/ShellDeclarations.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

// How registration learns about and obtains administrator rights; the
// process uses the real elevation test and launch, tests their own.
struct ShellElevation {
    bool (*isElevated)() = nullptr;
    // The started copy's exit code; 8 when the user declines the prompt.
    Result (*launchElevated)(const char16_t* file, const char16_t* parameters) = nullptr;
    // Runs before the elevated copy starts (the copy must see our preferences).
    void (*beforeLaunch)() = nullptr;
};

class ShellRegistration {
public:
    // `applicationName` prefixes the program identifiers ("Tool" + ".xyz");
    // `declarations` serves the two elements and resolves their "#Key"
    // descriptions, and must outlive this object.
    ShellRegistration(const String& applicationName, const String& executablePath,
                      LocalizedElementSource* declarations);

    // The running program: the runtime's application name, the program its
    // description stands for (its own executable, or the product's that the
    // framework's removal program registers), the resource cache, the real
    // elevation, which starts the running program itself, and the scope of
    // the installation whose uninstall entry names the running program (per
    // machine when none does).
    static ShellRegistration ForProcess();

    void setElevation(const ShellElevation& elevation) { elevation_ = elevation; }
    // Per machine unless set.
    void setScope(InstallScope scope) { scope_ = scope; }
    InstallScope scope() const { return scope_; }

    // Every declared type and protocol (and the App Paths entry). Per machine
    // and not elevated: 17 at once without `allowElevation`, else the
    // elevated copy's result.
    // Every declaration is read and checked before anything is written.
    Result registerShellTypes(bool registering, bool allowElevation);

    // 5 for a null, empty or unsafe extension (it must be "." and a name
    // without separators) or description.
    Result registerFileType(const char16_t* extension, const char16_t* description,
                            int32_t iconIndex);
    // Removes the extension key only while it still names this program.
    Result unregisterFileType(const char16_t* extension);
    Result registerProtocol(const char16_t* scheme, const char16_t* command,
                            const char16_t* description, int32_t iconIndex);
    // Deletes the scheme's key; a missing key counts as success.
    Result unregisterProtocol(const char16_t* scheme);

    // Name followed directly by the extension: "Tool.xyz".
    String programIdentifier(const char16_t* extension) const;

    // "FileTypes" (`protocols` false) or "CustomProtocols" with their "#Key"
    // descriptions resolved: 6 for a missing attribute, 5 for an unsafe
    // extension or scheme. A missing element is an empty list.
    Result readDeclarations(bool protocols, std::vector<ShellDeclaration>* out);

    // App Paths\<file name of the executable>, under the scope's root: default
    // value the full path, "Path" its folder. Any old key of that name is
    // replaced.
    static Result registerAppPath(const char16_t* executablePath, InstallScope scope);
    static void unregisterAppPath(const char16_t* executablePath, InstallScope scope);

private:
    String applicationName_;
    String executablePath_;
    // What an elevated copy runs: the registered executable unless the
    // running program registers another one.
    String elevatedProgram_;
    LocalizedElementSource* declarations_;
    ShellElevation elevation_;
    InstallScope scope_ = InstallScope::Machine;
};

} // namespace vorn
