// Localized text: a display text "#Key" names an entry of the string tables,
// found in the current language or the next one of the fallback order; "##"
// escapes a literal "#". A missing key shows "<Localized Text: Key>", so gaps
// in a table are visible rather than fatal.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

// Where localized elements come from: the resource cache in a program, a
// table of documents in tests.
class LocalizedElementSource {
public:
    virtual ~LocalizedElementSource() = default;
    // The element of `kind` and `id` in the first language of the lookup
    // order; 29 when no language has it. The caller hands it back with release.
    virtual Result getLocalizedElement(const char16_t* kind, const char16_t* id,
                                       const XmlNode** element) = 0;
    virtual Result release(const void* element) = 0;
};

// 0 with the text for plain and found texts; 36 for a null text or a missing
// key (with the placeholder); 7 when the entry's value is not text.
Result ResolveLocalizedText(LocalizedElementSource& source, const char16_t* text, String* out);

} // namespace vorn
