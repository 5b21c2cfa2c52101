// check-xml: parses definition files with the framework's own XML reader,
// reads Configuration.xml and the string tables against their vocabulary
// (DefinitionsVocabulary.h) and checks the window, dialog, menu, shortcut-key
// and message box descriptions in them with the framework's own description
// check (DescriptionCheck.h), so that vendors find their mistakes before a
// setup executable is built from them. `setup` checks its definitions with the same functions and
// reports the same lines.
#pragma once

#include <filesystem>
#include <vector>

#include "Tools/VornPack/CommandLine.h"
#include "VornLib/core/XmlDocument.h"

namespace vornpack {

// Reads and parses one file. 0; or 33 for any text the reader refuses, with
// `message` the line that check-xml prints, "<file>:<line>:<column>: error
// <code>: <what>" with the reader's own code for the detail; or the code of a
// file that cannot be read, with "<file>: error <code>: the file cannot be
// read". Both commands end with 33 for malformed XML, so that a script tells
// bad XML from a missing file by one number.
vorn::Result ParseXmlFile(const vorn::String& path, vorn::XmlDocument* document,
                          vorn::String* message);

// A parsed file whose descriptions are checked together with the others: a
// menu or shortcut-key table one file names may be described in another.
struct CheckedFile {
    vorn::String path;
    const vorn::XmlDocument* document;
};

// The window kinds of the installer's wizard ("MainPage", ...), read as a
// "Window" is: its definitions describe them.
extern const char16_t* const kInstallerPageKinds[];
extern const size_t kInstallerPageKindCount;

// Checks the vocabulary and the descriptions of `files`; a picture name "Data/Pictures/X.png" is
// the file "Pictures/X.png" of the folder the naming file is in. Prints
// "<file>:<line>:<column>: error: <what>" for each problem; their number.
uint32_t CheckDescriptions(const std::vector<CheckedFile>& files);

// Prints "OK <file>" or the error lines of each file; the first failure's
// code (33 for a description mistake).
int CheckXml(const Arguments& arguments);

} // namespace vornpack
