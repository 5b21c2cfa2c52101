// Whether a definitions folder can make a working setup of an application
// folder, checked before the long packing: the Configuration.xml that the
// installer reads is there with its installer's and its product's Application
// elements, both with UUIDs that are UUIDs and not the same, the elements the
// installer requires, a declared executable that the application folder
// holds, and no shortcut that takes the main shortcut's name. Names of
// shortcuts are compared in every language of the string tables, ignoring
// case, as Windows compares file names.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "VornLib/core/XmlDocument.h"

namespace vornpack {

// A parsed XML file of the definitions and its name in the payload.
struct DefinitionDocument {
    vorn::String entryName; // "Data/Xml/Configuration.xml"
    std::unique_ptr<vorn::XmlDocument> document;
};

struct ConfigurationFindings {
    // One line on what cannot work; set with a failing result.
    vorn::String problem;
    // What works but may not be meant, for the vendor to read.
    std::vector<vorn::String> notes;
};

// 0, or with `findings.problem` naming the file: 29 without Configuration.xml
// or without the declared executable, 6 for a missing element or attribute,
// 33 for a UUID that is not one, 14 for two Application elements with one
// UUID or a shortcut with the main shortcut's name, 5 for an UpdateFeed whose
// address, key or days are wrong. `documents` are the XML
// files of `definitions`, `applicationFiles` the relative paths of the files
// of `application`.
vorn::Result CheckConfiguration(const std::filesystem::path& definitions,
                                const std::vector<DefinitionDocument>& documents,
                                const std::filesystem::path& application,
                                const std::vector<vorn::String>& applicationFiles,
                                ConfigurationFindings* findings);

// The root of the definitions' Configuration.xml; null without one.
const vorn::XmlNode* ConfigurationRoot(const std::vector<DefinitionDocument>& documents);

// Whether `text` is a UUID written 8-4-4-4-12 in hexadecimal digits, in
// braces or not, and not the null UUID.
bool IsUuidText(const vorn::String& text);

} // namespace vornpack
