// The serialiser: turns a node's content (and, on request, its own tags) back
// into XML text. Reading the text of an element that holds other elements
// goes through it, and so do localized texts with markup inside.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

class XmlNode;

enum XmlWriteOption : uint32_t {
    kXmlWriteComments = 1,  // comments are written instead of skipped
    kXmlWriteIndent = 2,    // every node on its own line, one tab per level
    kXmlWriteOuterTags = 4, // the given element's own tags are written too
};

// 15 for a null node, 23 for a null output, 3 when an element holds a value
// that is not text (a boolean or number set by code), 12 when memory ran out.
Result WriteXml(const XmlNode* node, uint32_t options, String* out);

// Appends text with the five markup characters written as references.
bool AppendEscapedXml(String* out, const String& text);

} // namespace vorn
