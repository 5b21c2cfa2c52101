// The file types and URL protocols a program declares: a "FileTypes" element
// with "FileType" children (Extension, Description, IconIndex) and a
// "CustomProtocols" element with "Protocol" children (Name, Command,
// Description, IconIndex). A program built on VornLib declares them in its
// own XML; for any other program the setup's definitions declare them in the
// same form, and the framework's removal program carries them. Shell
// registration writes them, VornPack checks them before it packs.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kFileTypesElement[] = u"FileTypes";
constexpr char16_t kCustomProtocolsElement[] = u"CustomProtocols";

// One declared file type or protocol.
struct ShellDeclaration {
    String name; // extension with its dot, or URL scheme
    String command;
    String description; // as declared ("#Key" is resolved by the caller)
    int32_t iconIndex = 0;
};

// The name becomes a key directly below the classes root: an extension is
// "." and a name without separators, a scheme a name without separators.
bool IsSafeExtension(const char16_t* extension);
bool IsSafeScheme(const char16_t* scheme);

// The declarations of a "FileTypes" (`protocols` false) or "CustomProtocols"
// element, in document order; other children are passed over. 6 for a
// missing attribute, 5 for an unsafe extension or scheme; `out` is empty then.
Result ReadShellDeclarations(const XmlNode& list, bool protocols,
                             std::vector<ShellDeclaration>* out);

} // namespace vorn
