// The files of an update that other programs hold: found before anything
// moves, their holders asked to close (or the update refused), and what is
// still held replaced or deleted at the next restart once the update is
// committed (FilesInUse.h).
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/UpdateTransaction.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/ProgramsInTheWay.h"
#include "VornLib/core/platform/RunningPrograms.h"

namespace vorn {

Result UpdateTransaction::checkInTheWay(HeldFilesChoice held) {
    std::vector<String> heldFiles;
    for (const InTheWay& item : inTheWay()) {
        const DWORD attributes = AttributesOf(item.path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (item.newFile) {
                LogFailure(u"replacing", item.path, ERROR_ACCESS_DENIED,
                           u"a folder stands where the file must go");
                return kResultAccessDenied;
            }
            continue;
        }
        bool known = false;
        for (const String& path : heldFiles)
            known = known || SamePath(path, item.path);
        if (!known && IsHeldByAnotherProgram(item.path))
            heldFiles.push_back(item.path);
    }
    if (heldFiles.empty())
        return kResultOk;
    if (held == HeldFilesChoice::Refuse) {
        const std::vector<RunningProgram> holders =
            ProgramsHoldingFiles({heldFiles.front()}, next_.folder);
        LogFailure(u"replacing", heldFiles.front(), ERROR_SHARING_VIOLATION,
                   holders.empty()
                       ? String(u"the program that holds it is not found")
                       : Format(u"held by \"{0}\" (process {1})",
                                {holders.front().imagePath, holders.front().processId}));
        return kResultSharingViolation;
    }
    heldAtRestart_ = CloseProgramsHolding(heldFiles, next_.folder, &closedToRestart_);
    for (const String& path : heldAtRestart_)
        Log(LogEvent::ProgramInTheWay, u"{0} is still held: it changes at the next restart",
            {path});
    return kResultOk;
}

bool UpdateTransaction::isHeldAtRestart(const String& path) const {
    for (const String& held : heldAtRestart_) {
        if (SamePath(held, path))
            return true;
    }
    return false;
}

void UpdateTransaction::registerRestartChanges() {
    std::vector<String> places;
    if (IsAbsolutePath(next_.folder)) {
        for (const String& relative : next_.files)
            places.push_back(JoinPath(next_.folder, relative));
    }
    for (const String& place : places) {
        const String partial = place + PartialFile::kSuffix;
        if (!IsExistingFile(partial))
            continue;
        const Result registered = ReplaceAtRestart(partial, place);
        restartNeeded_ = true;
        Log(LogEvent::ProgramInTheWay, u"{0} is replaced at the next restart (result {1})",
            {place, registered});
    }
    // A held file of the previous version that the new one lacks: known to
    // this run only (after a kill it is left, listed nowhere, harmless).
    for (const String& held : heldAtRestart_) {
        bool isPlace = false;
        for (const String& place : places)
            isPlace = isPlace || SamePath(place, held);
        if (isPlace || !IsExistingFile(held) || DeleteFileEvenIfReadOnly(held) == kResultOk)
            continue;
        const Result registered = DeleteAtRestart(held);
        restartNeeded_ = true;
        Log(LogEvent::ProgramInTheWay, u"{0} is deleted at the next restart (result {1})",
            {held, registered});
    }
}

} // namespace vorn
