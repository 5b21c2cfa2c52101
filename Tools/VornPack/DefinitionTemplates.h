// The files `VornPack init` writes into a new definitions folder, built into
// the program from the installer's example definitions and the templates of
// the product-specific files (EmbedTemplates.cmake makes the table). Filled
// files carry @Tokens@ (@Name@, @Company@, @Version@, ...) for the product's
// values; the others are copied as they are.
#pragma once

#include <cstddef>

namespace vornpack {

struct TemplateFile {
    const char* name;
    const unsigned char* bytes;
    size_t size;
    bool filled;
};

extern const TemplateFile kDefinitionTemplates[];
extern const size_t kDefinitionTemplateCount;

} // namespace vornpack
