// setup: makes a complete setup executable from an application folder and the
// installer's definitions folder. The definitions are checked with the
// framework's XML reader and packed under "Data/" (XML files of the folder's
// top level under "Data/Xml/"), the application's files under "Application/"
// with a generated "Data/Xml/FileList.xml" describing them, and the container
// becomes resource 4096 of a copy of the prebuilt installer stub. Nothing is
// compiled, so a vendor needs only VornPack and the stub.
#pragma once

#include <filesystem>
#include <vector>

#include "Tools/VornPack/Commands.h"
#include "VornLib/core/DateTime.h"

namespace vornpack {

// The folder inside the payload that holds the application's files.
constexpr const char16_t* kApplicationRoot = u"Application/";

struct ApplicationFile {
    vorn::String relativePath; // "/"-separated, below the application folder
    std::filesystem::path source;
    uint64_t size = 0;
    vorn::DateTime date = vorn::kInvalidDateTime; // last write, whole seconds
};

// Lists the application folder (each folder's entries sorted by name) and
// writes the file list the installer reads: a "Files" element per folder, a
// "File" element per file with its size and UTC date. 38 with `badName` set
// for a name that Windows cannot create, 24 for folders nested too deeply for
// the XML reader, 29 when the folder does not exist.
vorn::Result DescribeApplication(const std::filesystem::path& folder, std::string* fileListXml,
                                 std::vector<ApplicationFile>* files, vorn::String* badName);

// The same file list for `files` in the order given (the installer copies them
// in that order): each run of files of one folder under a "Files" element of
// the folder's path.
std::string OrderedFileList(const std::vector<ApplicationFile>& files);

// Whether the installer can create the file or folder on Windows (and the
// file list carry its name: no control characters, no unpaired surrogates).
bool IsWindowsName(const vorn::String& name);

int Setup(const Arguments& arguments);
int RunSetup(int argc, char** argv);

} // namespace vornpack
