// The files VornPack reads and writes: paths and their texts, whole-file
// reads and dates, the walk through an input folder, and the output file that
// appears only once it is complete.
//
// Paths follow one rule. A path handed to the system or shown to the user is
// written with the platform's own separators (TextOf); a name inside a
// payload is relative with "/" between folders on every platform, as the
// folder walk (ListFiles) builds it.
//
// An input folder is read by one rule for every command: a link to a file is
// read as the file it points to; a link to a folder is refused (it is never
// followed, so a link back into the tree cannot make a loop), and so are two
// names in one folder that differ only in case, since Windows would keep one
// of them. Sockets, pipes and devices are passed over.
#pragma once

#include <filesystem>
#include <vector>

#include "VornLib/core/DateTime.h"
#include "VornLib/core/String.h"
#include "VornLib/data/FileStream.h"

namespace vornpack {

std::filesystem::path PathOf(const vorn::String& text);
// The path with the platform's separators, for the system and for messages.
vorn::String TextOf(const std::filesystem::path& path);

vorn::Result ReadWholeFile(const vorn::String& path, std::vector<uint8_t>* out);
// The last write time in whole seconds, UTC.
vorn::Result LastWriteTime(const std::filesystem::path& path, vorn::DateTime* out);
// The folder of the running program.
std::filesystem::path OwnFolder();

// 0 when `folder` is a folder; 29 when it does not exist, 39 when it is a
// file, with `message` saying so ("the <role> "<folder>" does not exist").
vorn::Result CheckFolder(const std::filesystem::path& folder, const char16_t* role,
                         vorn::String* message);

struct FolderEntry {
    vorn::String name;
    std::filesystem::path path;
    bool isFolder = false;
};

// The files and folders directly in `folder`, sorted by name (UTF-16 order).
// 2 for a link to a folder, 14 for two names that differ only in case, 29
// for a link that leads nowhere, 17 when the folder cannot be read; `message`
// names the path.
vorn::Result ReadFolder(const std::filesystem::path& folder, std::vector<FolderEntry>* entries,
                        vorn::String* message);

// Every file below `folder` by its entry name, sorted; refusals as ReadFolder.
vorn::Result ListFiles(const std::filesystem::path& folder, std::vector<vorn::String>* names,
                       vorn::String* message);

// The output of a command, written under "<output>.vornpack-partial" and
// renamed into place by commit(); until then an older output stays as it was,
// and whatever fails, the partial file is taken away again. A read-only
// output is never replaced: open() and commit() refuse it with 17; an output
// whose folder does not exist gives 29. Every message names the output, never
// the partial file.
class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& output);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    vorn::Result open(vorn::String* message);
    vorn::FileStream& stream() { return stream_; }
    // Where the bytes are until commit(), for a program that works on them.
    const std::filesystem::path& partialPath() const { return partial_; }
    // Closes the stream; the file stays under its partial name.
    vorn::Result close(vorn::String* message);
    vorn::Result commit(vorn::String* message);

private:
    vorn::Result refuseReadOnly(vorn::String* message) const;

    std::filesystem::path output_;
    std::filesystem::path partial_;
    vorn::FileStream stream_;
    bool committed_ = false;
};

// A file that exists only while the command runs.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace vornpack
