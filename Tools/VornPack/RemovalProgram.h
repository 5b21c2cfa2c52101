// Who removes a product, and the framework's removal program made for one.
//
// A product built on VornLib removes itself: the uninstall entry and the
// installer's hand-off start its own executable. Any other program gets the
// framework's removal program (VornUninstall.exe, found beside the installer
// stub or given with --uninstaller): the setup carries a copy of it whose
// payload describes the product, the installer puts it into the install
// folder and names it in the uninstall entry, and it registers and removes
// the product as such a program would itself. The element "RemovedBy" of
// InstallationSettings decides: "Application" (the product removes itself),
// "VornUninstall" (the removal program), or "Auto", as when it is absent,
// where the product's executable is looked into (FrameworkProgram.h).
//
// The payload of the removal program, and of the update program a product
// with an update feed gets: "Data/Xml/Product.xml", generated, with the
// product's Application element (its UUID, Name, Version, Tag and Company,
// MultipleInstancesAllowed="true" and "Executable", the product's executable
// relative to the install folder) and the "FileTypes", "CustomProtocols" and
// "UpdateFeed" that InstallationSettings declares, as they are written there;
// beside it the definitions' VornLib-Strings-*.xml (the removal's messages)
// and VornSetup-Custom-Strings-*.xml (the texts of those declarations).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Tools/VornPack/Packing.h"
#include "Tools/VornPack/ProgramStub.h"
#include "VornLib/app/UpdateFeedDeclaration.h"
#include "VornLib/core/XmlNode.h"

namespace vornpack {

// The framework's programs' names in the install folder.
constexpr const char16_t* kRemovalProgramName = u"VornUninstall.exe";
constexpr const char16_t* kUpdateProgramName = vorn::kUpdateProgramFileName;

struct RemovalChoice {
    bool removalProgram = false;
    // For the summary line: which program removes the product, and why.
    vorn::String how;
    // What works but may not be meant, for the vendor to read.
    std::vector<vorn::String> notes;
};

// Decides for the product of `settings` (the InstallationSettings of
// `configuration`) whose executable is `executable`. 0, or with `message`
// naming the file: 39 for another word in
// "RemovedBy", 6 or 5 for a file type or protocol declared without a name,
// description or command, or with a name that is no extension or scheme (when
// the removal program is chosen), 22 or 33 for an executable whose payload is
// damaged.
vorn::Result ChooseRemoval(const std::filesystem::path& configuration,
                           const vorn::XmlNode& settings, const std::filesystem::path& executable,
                           RemovalChoice* out, vorn::String* message);

// Whether a definitions file (by its payload name) goes into the removal
// program's payload too.
bool IsRemovalProgramTable(const vorn::String& entryName);

// "Data/Xml/Product.xml" for the product of `settings`.
std::string ProductDocument(const vorn::XmlNode& settings);

// Writes the removal or update program for the product of `settings` to
// `output`: the stub with the payload of Product.xml and `tables`, stamped
// with `date`. A failure's message names the setup, `setupName`, not the
// temporary file.
vorn::Result WriteProductProgram(const ProgramStub& stub, const vorn::XmlNode& settings,
                                 const std::vector<PackItem>& tables, vorn::DateTime date,
                                 const PackingOptions& options, const std::filesystem::path& output,
                                 const vorn::String& setupName, vorn::String* message);

} // namespace vornpack
