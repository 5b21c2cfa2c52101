// check-xml: parses definition files with the framework's own XML reader so
// that vendors find mistakes in Configuration.xml, string tables and window
// descriptions before a setup executable is built from them. `setup` checks
// its definitions with the same function and reports the same line.
#pragma once

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

// Prints "OK <file>" or the error line of each file; the first failure's code.
int CheckXml(const Arguments& arguments);

} // namespace vornpack
