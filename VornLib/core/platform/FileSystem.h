// Folder operations of the installer and the uninstaller, with the "\\?\"
// prefix so that long paths work.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

// Creates every folder of a path that ends with a separator. Existing or
// protected ancestors (14, 17) let the walk go on; a path without separator
// gives 31.
Result CreateFolderTree(const String& folder);
// The same, each folder it makes with `security` (FolderSecurity.h).
Result CreateFolderTree(const String& folder, const SECURITY_ATTRIBUTES* security);
// Makes the folders of many files, each once: a folder whose parent is known
// costs one call, where CreateFolderTree costs one per level of the path for
// every new folder. Folders it made or found are remembered; a failure leaves
// nothing remembered, so that the caller may fall back to CreateFolderTree.
class FolderMaker {
public:
    // `folder` ends with a separator; 0 when it exists afterwards.
    Result make(const String& folder);

private:
    Result make(const String& folder, uint32_t depth);

    std::set<std::u16string> known_;
};

// Why no folder can be made at `folder` (a full path, "X:\\..."), found
// without making anything: its drive does not exist or is not ready, the
// drive is read-only, or a file stands where a folder of the path must be.
// Empty when nothing stands in the way that way.
String FolderUnavailableReason(const String& folder);

// Removes the folder when it is empty; false otherwise.
bool RemoveEmptyFolder(const String& folder);
// Deletes the folder (ended by a separator, else 5) and everything in it.
Result DeleteFolderTree(const String& folder);
// Deletes the file, also when it was made read-only: an installation's file
// that the user protected is still the installation's to remove. When the
// delete fails all the same, the attribute is put back.
Result DeleteFileEvenIfReadOnly(const String& path);
// Removes every empty folder below `folder` and then `folder` itself when it is
// empty; files are never touched. A missing folder counts as removed; one that
// still holds something gives 21.
Result RemoveEmptyFolderTree(const String& folder);
// True when `folder` or a folder between it and `relative` (a path inside it)
// is a link (a junction, a symbolic link): a rename or delete there would act
// somewhere else. A process with rights acts on such a path not at all.
bool PassesThroughLink(const String& folder, const String& relative);
// Removes, when they are empty, the folders that hold `files` (relative to
// `folder`, each checked by IsRelativeInside), deepest first, and then
// `folder`: an installation's folders go, and an empty folder that held none
// of its files (another program's, the user's) stays.
void RemoveFoldersOfFiles(const String& folder, const std::vector<String>& files);
// Whether LongPath makes `path` long: a full path. A path from the registry
// is used only when it is: a relative one would name a file wherever the
// program happens to run.
bool IsAbsolutePath(const String& path);
// The path's attributes (GetFileAttributes through LongPath);
// INVALID_FILE_ATTRIBUTES when it does not exist or cannot be read.
uint32_t AttributesOf(const String& path);
bool PathExists(const String& path);
// A file, not a folder.
bool IsExistingFile(const String& path);
// "\\?\" + the path with backslashes; unchanged when it is not absolute.
String LongPath(const String& path);
// The path in full, a relative one taken from the current folder: what a
// program passes on to another that starts elsewhere. Unchanged when the
// system cannot make it full.
String FullPath(const String& path);

// Renames a file within its volume: one step that cannot be seen half done,
// and the file keeps its contents, dates and attributes. With `replace`, a
// file at `to` is replaced, even a read-only one. A file that another program
// holds open (either of them) stays as it was, with 27.
Result MoveFileWithinVolume(const String& from, const String& to, bool replace);

// A file written under a name of its own beside its place
// ("<destination>.VornLib-partial") and renamed to the destination when it is
// complete: an interrupted writer (a killed installation) leaves no
// half-written file under the destination's name, and writing it again
// overwrites the leftover. The unfinished file goes with the object unless
// it was put in place or kept.
class PartialFile {
public:
    static constexpr char16_t kSuffix[] = u".VornLib-partial";

    // `destination` as the platform calls take it (a long path for deep files).
    explicit PartialFile(const String& destination);
    // Written at `path`, a partial name of the caller's choice.
    PartialFile(const String& destination, const String& path);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Where to write.
    const String& path() const { return path_; }
    // Renames the complete file to the destination, replacing an older file
    // there, even a read-only one; one that another program holds open is
    // left as it was, with 27.
    Result putInPlace();
    // Leaves the complete file under its partial name, for its owner to put
    // in place later (MoveFileWithinVolume).
    void keep() { path_.clear(); }

private:
    String destination_;
    String path_;
};

// Writes `bytes` to `path` in full or not at all (a PartialFile put in place),
// its folders made when missing; the platform's reason when it cannot.
Result WriteWholeFile(const String& path, const std::string& bytes);
// Reads the whole file at `path` into `bytes`: 24 when it is longer than
// `limit`, else the platform's reason when it cannot be read.
Result ReadWholeFile(const String& path, uint32_t limit, std::string* bytes);

} // namespace vorn
