// setup: makes a complete setup executable from an application folder and the
// installer's definitions folder. The definitions are checked with the
// framework's XML reader and against the application folder
// (ConfigurationCheck.h) and for init's placeholder licence
// (PlaceholderLicence.h), then packed under "Data/" (XML files of the
// folder's top level under "Data/Xml/"), the application's files under
// "Application/" with a generated "Data/Xml/FileList.xml" describing them, and
// the container becomes resource 4096 of a copy of the prebuilt installer
// stub, which must be the setup program (VornSetup.exe by the original file
// name of its version block). Nothing is compiled, so a vendor needs only
// VornPack and the stub. The steps, in order: the stub, the inputs, their
// checks, the payload, the setup image, the signature, the output's name.
#pragma once

#include "Tools/VornPack/CommandLine.h"
#include "Tools/VornPack/FileList.h"

namespace vornpack {

int Setup(const Arguments& arguments);

} // namespace vornpack
