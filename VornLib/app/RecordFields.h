// The fields of a record kept as one text (a journal's or an uninstall
// entry's list item): each as "<length>:<units>", so that any text, ":" and
// digits included, reads back exactly.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vorn {

void AppendRecordField(String* out, const String& field);
// A decimal number ended by ":", at `*at`; moves past the colon.
bool ReadRecordLength(const String& text, uint32_t* at, uint32_t* out);
// A field at `*at`; moves past it. False where none is, or it runs past the end.
bool ReadRecordField(const String& text, uint32_t* at, String* out);

} // namespace vorn
