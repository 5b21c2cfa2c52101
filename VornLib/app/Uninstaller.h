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
// folder with it at its end. The system folder's cmd.exe runs it, never the
// shell's association for ".cmd", which a user may change.
// A removal ("/Uninstall") first finishes or undoes an update of the product
// that was interrupted (a kill, a power failure) in the scope it removes, as
// the next setup would (UpdateTransaction.h), and then removes what the entry
// lists: nothing of either version and no record is left. Without an entry,
// such a record is what it finds (an update killed between the previous
// version's removal and its own registration).
#pragma once

#include <string>
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

// The batch file holds no path: it is plain ASCII and reads every path from
// the variables below, each reference inside double quotes, with delayed
// expansion off. A Windows path cannot hold a quote, so no character of a
// name (`&`, `^`, `%`, `!`, any script) can end the argument or start a
// command, and the values reach it in the UTF-16 environment block exactly.
struct RemovalVariable {
    const char16_t* name;
    String value;
};

// The variables: the executable, the install folder, the batch file and, for
// one in a folder of its own, that folder; folders without their last
// separator.
std::vector<RemovalVariable> RemovalBatchVariables(const String& installFolder,
                                                   const String& executable,
                                                   const String& batchFile,
                                                   const String& batchFolder = String());

// The batch file: wait, a second a turn and a few minutes at most, until the
// executable is deleted (read-only too), remove the install folder when it
// is empty, delete itself, and `inFolderOfItsOwn` that folder too. It never
// deletes by pattern: the folder may hold files the user put there.
String RemovalBatchText(bool inFolderOfItsOwn);

// The environment block of the process that runs it: the inherited entries
// ("NAME=value"), any of the variables' names left out, then the variables,
// sorted by name ignoring case as Windows keeps them, each ended by a zero and
// the block by one more.
std::u16string RemovalEnvironmentBlock(const std::vector<String>& inherited,
                                       const std::vector<RemovalVariable>& variables);

} // namespace vorn

#ifdef _WIN32
#include "VornLib/app/FilesInUse.h"
#include "VornLib/app/ShellRegistration.h"

namespace vorn {

class AppModule;
class NamedMutex;

class Uninstaller {
public:
    // `createProgramModule` makes the module whose onUninstall runs first; the
    // module is never started.
    Uninstaller(const ApplicationDescription& description, const String& executablePath, bool quiet,
                AppModule* (*createProgramModule)());

    // The process's own elevation test and launch unless a test sets others.
    void setElevation(const ShellElevation& elevation) { elevation_ = elevation; }
    // The copy a removal started with administrator rights: it never takes
    // up the user's record (RecordConfinement.h).
    void setElevatedCopy(bool elevatedCopy) { elevatedCopy_ = elevatedCopy; }
    // What is done about a file another program holds (FilesInUse.h), and
    // the switches that say so, for the elevated copy.
    void setHeldFiles(HeldFilesChoice choice, const String& switches) {
        heldFiles_ = choice;
        heldFilesSwitches_ = switches;
    }
    // Some files are deleted only at the next restart.
    bool restartNeeded() const { return restartNeeded_; }

    // 0 removed, 4 not installed, 8 declined by the user, 14 the program runs.
    // The entry is found for all users or for the current user alone (else an
    // interrupted update's record; one undone down to nothing counts as
    // removed). Without administrator rights, an elevated copy removes an
    // installation for all users and its result is returned.
    Result uninstall(bool update);

private:
    // The message from the string tables, else in the framework's English.
    uint32_t show(const char16_t* name, const String& argument) const;
    // The steps of uninstall(), in their order.
    Result removeInElevatedCopy(bool update);
    // 14, the user told, when the product runs.
    Result refuseWhileRunning(bool update, const NamedMutex& running, const String& product);
    // The install folder and `group` from `entry`, else the folder an
    // interrupted update recorded when one was finished or undone
    // (`recoveredFolder`); 4 when neither is there.
    Result readInstallation(const String* recoveredFolder, UninstallEntry* entry, String* group);
    // Everything the entry lists, and the registrations of the product.
    void removeInstalled(bool update, const UninstallEntry& entry, const String& group,
                         const String& product);
    // True when an interrupted installation was finished or undone.
    bool recoverInterruptedUpdate(bool elevated, String* recordedFolder);
    void removeShortcuts(const UninstallEntry& entry);
    void removeFiles(const UninstallEntry& entry);
    // The batch file and, for an elevated removal, the folder made for it.
    struct BatchFile {
        String path;
        String folder;
    };
    BatchFile writeBatchFile(bool elevated);
    void startBatchFile(const BatchFile& batch) const;

    const ApplicationDescription& description_;
    String executablePath_;
    bool quiet_;
    AppModule* (*createProgramModule_)();
    ShellElevation elevation_;
    InstallScope scope_ = InstallScope::Machine;
    String installFolder_;
    bool elevatedCopy_ = false;
    // Where this process's program lies: renamed when the recovery needed its place.
    String runningProgram_;
    HeldFilesChoice heldFiles_ = HeldFilesChoice::Refuse;
    String heldFilesSwitches_;
    bool restartNeeded_ = false;
};

} // namespace vorn
#endif
