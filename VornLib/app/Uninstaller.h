// Removal of an installed program by its own executable: "/Uninstall" from the
// system's list of installed programs, "/Quiet /Update" from a newer installer
// that installs over it. Everything the installer recorded in the program's
// uninstall entry goes: shortcuts, the program group where it is empty, the
// listed files, the empty folders, the shell registrations and the entry. A
// full uninstall ends with a batch file that deletes the executable once the
// process has ended, and then the install folder when nothing else is in it.
// An elevated removal's batch file runs with administrator rights: it lies in
// a folder made for it in the system's temporary folder that administrators
// and the system alone may write ("VornLib-Removal-<number>"), and takes that
// folder with it at its end.
#pragma once

#include <vector>

#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

#include "VornLib/core/Uuid.h"

namespace vorn {

// Name, a no-break space, the version, and a blank and the tag when there is one.
String RemovalTitle(const ApplicationDescription& description);

// The removal's messages as the framework's English string table words them,
// for a program whose own string tables cannot be read (a damaged payload):
// it must still be able to ask and to tell. {0} is the message's argument;
// "¤" splits the header from the body.
struct RemovalMessage {
    const char16_t* name; // the "MessageBox" of the string tables
    const char16_t* type; // its "Type"
    const char16_t* text;
    bool question; // Yes and No, else OK
};
constexpr uint32_t kRemovalMessageCount = 4;
extern const RemovalMessage kRemovalMessages[kRemovalMessageCount];

// The batch file's name: the temporary file's name followed by
// " <short name> Uninstall.cmd".
String RemovalBatchName(const String& temporaryName, const String& shortName);

// The batch file: wait until the executable can be deleted, remove the install
// folder when it is empty, delete itself, and with `batchFolder` the folder
// made for it too. Arguments are short (8.3) paths; the install folder ends
// with a backslash. It never deletes by pattern: the folder may hold files the
// user put there.
String RemovalBatchText(const String& installFolder, const String& executable,
                        const String& batchFile, const String& batchFolder = String());

} // namespace vorn

#ifdef _WIN32
#include "VornLib/app/ShellRegistration.h"

namespace vorn {

class AppModule;

class Uninstaller {
public:
    // `createProgramModule` makes the module whose onUninstall runs first; the
    // module is never started.
    Uninstaller(const ApplicationDescription& description, const String& executablePath, bool quiet,
                AppModule* (*createProgramModule)());

    // The process's own elevation test and launch unless a test sets others.
    void setElevation(const ShellElevation& elevation) { elevation_ = elevation; }

    // 0 removed, 4 not installed, 8 declined by the user, 14 the program runs.
    // Without administrator rights an elevated copy does the removal and its
    // result is returned.
    Result uninstall(bool update);

    // The path ends with a separator (else 5). With `useShell` the folder goes
    // with everything in it; with `emptyTreeOnly` only empty folders go (a
    // missing folder counts as removed, one that keeps files gives 21);
    // otherwise the one folder when it is empty.
    static Result removeFolder(const String& folder, bool useShell, bool emptyTreeOnly);
    static Result deleteFile(const String& path);
    // The program group's folders that are left empty, and the company's
    // folder above it when the group lies in one and nothing else does.
    static void removeProgramGroup(const String& group, const String& company);

private:
    // The message from the string tables, else in the framework's English.
    uint32_t show(const char16_t* name, const String& argument) const;
    void removeShortcuts(const UninstallEntry& entry);
    void removeFiles(const UninstallEntry& entry);
    String writeBatchFile(bool elevated);

    const ApplicationDescription& description_;
    String executablePath_;
    bool quiet_;
    AppModule* (*createProgramModule_)();
    ShellElevation elevation_;
    String installFolder_;
};

} // namespace vorn
#endif
