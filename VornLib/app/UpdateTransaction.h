// UpdateTransaction: an installation over what is there (an earlier version,
// or nothing) that happens whole or not at all. Its steps (UpdateStep) are
// recorded in the product's UpdateJournal before each begins, so that the
// same code undoes them in the running setup (a failure, a cancel) and in a
// later one (after a kill): every step is undone by renames back and by the
// programs' own registration switches, never by guesswork.
//   Copying           new files are written beside their places, under
//                     "<name>.VornLib-partial"; into a folder that is not
//                     there yet, the whole folder is written under
//                     "<folder>.VornLib-partial" instead, files under their
//                     own names. The previous installation is untouched and
//                     keeps working.
//   RemovingPrevious  the previous uninstall entry is copied into the journal;
//                     its lists are taken out of it and its program's
//                     "/Quiet /Update" takes away what only it knows (file
//                     types, protocols, App Paths, its own hook, the entry).
//                     Undone by putting the entry back and running that
//                     program with "/Install".
//   MovingAside       every file of the previous installation, everything
//                     where a new file goes, and the previous shortcuts are
//                     renamed to "<name>.VornLib-previous" (same volume: one
//                     step each; contents, dates and attributes go along).
//                     Undone by renaming them back.
//   PuttingInPlace    the new files take their places (a new folder by one
//                     rename of the whole). Undone by deleting them.
//   Registering       the new entry, the new program's "/Install", the
//                     shortcuts (recorded before they are made), the declared
//                     settings (each change recorded with what was there
//                     before it is made, SettingChanges.h), the declared
//                     steps (each undo recorded before its step runs,
//                     StepRuns.h). Undone by the steps' undos, the new
//                     program's "/Quiet /Update", deleting the shortcuts and
//                     putting back what the settings' records say.
//   Committed         the commit point: the new version is complete and
//                     registered. What was put aside goes, the previous
//                     folders and program group where they are left empty, and
//                     the record. From here a later run finishes instead.
// A repair is an installation of the installed version over itself that
// writes only the files that differ from the setup's: the files it keeps
// (InstallationPlan::kept) are not in its way, and stay where they are
// whatever happens; the rest goes as above, undone the same way.
// Files of the user's own are never moved, only files the previous entry lists
// and files where new ones go (which the installation replaces).
// A file that another program holds without sharing cannot be renamed: with
// HeldFilesChoice::Close its holders are asked to close first (FilesInUse.h),
// and a file still held then stays where it is through every step, its new
// file beside it under its partial name. Only the cleaning up after the
// commit point puts it in the system's pending renames (the new file over
// it, or, for a file the new version lacks, its deletion), so that a failed
// or cancelled installation leaves no pending rename behind: its roll-back
// deletes the partial files as always, and keeps a held file at its place
// (a place whose partial file is still beside it never got its new file).
// The cleaning up finds a replacement again by what is left (a partial file
// beside its place), so that a later run finishing after a kill registers it
// too.
// A removal takes up its own scope's record the same way before it removes
// what the entry then lists; its own program, which runs, is renamed where
// the recovery would delete or replace it (Windows refuses both to a running
// program, not a rename), for the removal's batch file to delete.
// A record in the user's hive is the user's to write: a process with
// administrator rights takes it up only as RecordConfinement.h says (the
// user's own installation, everything it names in the user's places).
#pragma once

#include <vector>

#include "VornLib/app/FilesInUse.h"
#include "VornLib/app/InstalledProduct.h"
#include "VornLib/app/ServiceDeclarations.h"
#include "VornLib/app/SettingDeclarations.h"
#include "VornLib/app/StepDeclarations.h"
#include "VornLib/app/UpdateJournal.h"

namespace vorn {

class UpdateTransaction {
public:
    static constexpr char16_t kAsideSuffix[] = u".VornLib-previous";
    // Where a removal's own program goes when the recovery needs its place.
    static constexpr char16_t kRunningSuffix[] = u".VornLib-removing";

    // `programLimit`: how long a program's "/Install" is waited for.
    UpdateTransaction(const UUID& uuid, InstallScope scope, uint32_t programLimit);

    // Finishes or undoes the installation in `scope` that an interrupted
    // setup left for this product; true when there was one. `runningProgram`:
    // the process's own program, where it may be among the files; it names
    // where the program lies afterwards.
    static bool Recover(const UUID& uuid, InstallScope scope, uint32_t programLimit,
                        String* runningProgram = nullptr);

    // The steps, in order; each result but 0 is for rollBack.
    Result start(const InstallationPlan& plan);
    // Where the copy writes a new file before it is put in place.
    String copyPath(const String& relative) const;
    // What lies in the way can be moved: a file that another program holds
    // open (27, unless `held` is Close: then its holders are asked to close
    // and what they still hold is replaced at the next restart), a folder
    // where a file goes (17). Changes no file.
    Result checkInTheWay(HeldFilesChoice held);
    Result removePrevious();
    Result moveAside();
    Result putInPlace();
    Result beginRegistration(const std::vector<String>& shortcuts);
    // Makes the declared settings, within the registration; `owned` is the
    // new entry's "SettingsList".
    Result applySettings(const std::vector<SettingDeclaration>& declarations,
                         const PlaceholderValues& values, std::vector<String>* owned);
    // Stops the previous installation's services that run, before anything
    // of it is moved: 52 for one that does not stop in time.
    Result stopServices();
    // Makes the declared services, within the registration; `owned` is the
    // new entry's "ServicesList".
    Result applyServices(const std::vector<ServiceDeclaration>& declarations,
                         std::vector<String>* owned);
    // Starts those that ask for it, last within the registration.
    Result startServices(const std::vector<ServiceDeclaration>& declarations);
    // Runs the declared steps, last within the registration (StepRuns.h);
    // `ran` for the result file, `atRemoval` the new entry's "StepsList".
    Result runSteps(const std::vector<StepDeclaration>& steps, const PlaceholderValues& values,
                    std::vector<String>* ran, std::vector<String>* atRemoval);
    // The commit point; what follows cannot fail the installation.
    Result commit();
    void cleanUp();

    // Undoes every step taken so far, down to nothing; after the commit
    // point it finishes instead.
    void rollBack();

    UpdateStep step() const { return step_; }
    // Starts again the programs checkInTheWay closed that asked for it.
    void restartClosedPrograms() { RestartClosedPrograms(&closedToRestart_); }
    // Some files change only at the next restart (known after cleanUp).
    bool restartNeeded() const { return restartNeeded_; }
    // The installation replaces a previous one (known once its entry is kept).
    bool replacesPrevious() { return journal_.hasPrevious(); }

private:
    struct InTheWay {
        String path;
        bool newFile;
    };
    std::vector<InTheWay> inTheWay() const;
    bool isKept(const String& path) const;
    String partialFolder() const;
    Result putFolderInPlace();
    void record(UpdateStep step);
    void undoRegistration();
    void removeNewFiles();
    void moveRunningProgramFrom(const String& path);
    bool isHeldAtRestart(const String& path) const;
    void registerRestartChanges();

    UpdateJournal journal_;
    UUID uuid_;
    InstallScope scope_;
    uint32_t programLimit_;
    UpdateStep step_ = UpdateStep::None;
    InstalledProduct next_;
    InstalledProduct previous_;
    String company_;
    // The installation folder was not there: it is written whole, as the
    // partial folder, and nothing can be in the way of its files.
    bool newFolder_ = false;
    // Relative to the folder: a repair leaves them in place.
    std::vector<String> kept_; // PathKey of each kept file, sorted
    String* runningProgram_ = nullptr;
    // Files that programs still held after they were asked to close: they
    // stay in place until the next restart.
    std::vector<String> heldAtRestart_;
    std::vector<String> closedToRestart_;
    bool restartNeeded_ = false;
};

} // namespace vorn
