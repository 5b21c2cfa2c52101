// init: starts the definitions folder of a new product. It writes every file
// a setup needs (DefinitionTemplates.h): Configuration.xml with the product's
// values and fresh UUIDs for the product and its installer, the string tables
// of every language with the product's name in place, licence texts that are
// placeholders and say so, and a README.txt on which file holds what. Only a
// new or empty folder is written to, and a failure takes away what it wrote.
#pragma once

#include <filesystem>
#include <string>

#include "Tools/VornPack/CommandLine.h"
#include "Tools/VornPack/DefinitionTemplates.h"
#include "VornLib/core/Uuid.h"

namespace vornpack {

struct ProductValues {
    vorn::String name;
    vorn::String company;
    vorn::String version;
    vorn::String executable; // empty: the name followed by ".exe"
    vorn::String webSite;
    vorn::String support; // a web address or an e-mail address
    vorn::UUID product;
    vorn::UUID installer;
};

// 0, or 5 (38 for a name or executable Windows cannot create) with `message`
// saying in one line what is wrong and what is expected.
vorn::Result CheckProductValues(const ProductValues& values, vorn::String* message);

// A random (version 4) UUID.
vorn::UUID RandomUuid();

// The file as `init` writes it: every @Token@ replaced by its value, escaped
// for XML in XML files.
std::string FillTemplate(const TemplateFile& file, const ProductValues& values);

// Writes every file into `folder`, which must be missing or empty (21
// otherwise, 14 for a file of that name); on failure nothing is left.
vorn::Result WriteDefinitions(const std::filesystem::path& folder, const ProductValues& values,
                              vorn::String* message);

int Init(const Arguments& arguments);

} // namespace vornpack
