// The application folder as the installer sees it: the file list
// ("Data/Xml/FileList.xml") that `setup` generates from the folder, with a
// "Files" element per folder and a "File" element per file with its size and
// UTC date, and the rule for names that Windows can create.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Tools/VornPack/Files.h"
#include "VornLib/app/UpdateDelta.h"
#include "VornLib/core/DateTime.h"

namespace vornpack {

// The folder inside the payload that holds the application's files.
constexpr const char16_t* kApplicationRoot = u"Application/";
// The payload entry that lists them.
constexpr const char16_t* kFileListEntry = u"Data/Xml/FileList.xml";

struct ApplicationFile {
    vorn::String relativePath; // "/"-separated, below the application folder
    std::filesystem::path source;
    uint64_t size = 0;
    vorn::DateTime date = vorn::kInvalidDateTime; // last write, whole seconds
    vorn::FileBase base = {}; // a delta setup's: where the installer takes the bytes from
};

// Lists the application folder (each folder's entries sorted by name, read
// by the rules of ReadFolder) and writes its file list. 38 for a name that
// Windows cannot create, 24 for folders nested too deeply for the XML reader,
// 29 when the folder does not exist, ReadFolder's refusals; `problem` says
// what in one line, naming the path.
vorn::Result DescribeApplication(const std::filesystem::path& folder, std::string* fileListXml,
                                 std::vector<ApplicationFile>* files, vorn::String* problem);

// The same file list for `files` in the order given (the installer copies them
// in that order, so a solid payload's files are listed as they are packed):
// each run of files of one folder under a "Files" element of the folder's path.
std::string OrderedFileList(const std::vector<ApplicationFile>& files);

// 14 when the application folder holds a file named `name` already (in any
// case), with `problem` saying that a program of the framework needs the name.
vorn::Result CheckFrameworkProgramName(const std::vector<ApplicationFile>& files,
                                       const vorn::String& name, vorn::String* problem);
// Adds a file that `setup` makes, a program of the framework, at the top of
// the application folder; when it `removes` the product, names it as the
// installation's removal program: a "RemovalProgram" element beside the
// outermost "Files", which the installer reads. 14 as
// CheckFrameworkProgramName.
vorn::Result AddFrameworkProgram(const ApplicationFile& program, bool removes,
                                 std::string* fileListXml, std::vector<ApplicationFile>* files,
                                 vorn::String* problem);

// Whether the installer can create the file or folder on Windows (and the
// file list carry its name: no control characters, no unpaired surrogates).
bool IsWindowsName(const vorn::String& name);

} // namespace vornpack
