// The licence texts that `init` writes (VornSetup-License-*.xml) are
// placeholders that say so; a setup must not ship with one. A licence is a
// placeholder while its "LicenseText" still holds a sentence of init's own
// licence templates (DefinitionTemplates.h): the runs of their text between
// the product's fields, so that the templates are the one list of what a
// placeholder says, in every language, whatever product they were filled for.
#pragma once

#include <vector>

#include "Tools/VornPack/ConfigurationCheck.h"

namespace vornpack {

// The entry names of the documents whose licence text is still init's
// placeholder, in the order of `documents`; none when every licence is the
// vendor's own.
std::vector<vorn::String> FindPlaceholderLicences(const std::vector<DefinitionDocument>& documents);

} // namespace vornpack
