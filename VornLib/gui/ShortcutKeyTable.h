// The platform's accelerator table of a "ShortcutKeys" element (read by
// ShortcutKeys.h): one virtual-key entry per "Command", through which a
// window translates its keys while it is enabled.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

// Builds the table of the "ShortcutKeys" element of that name: the lookup's
// result when there is none, 33 for a bad entry, the platform's error when
// it refuses the table. `table` is empty on failure and for an element
// without entries.
Result LoadShortcutKeyTable(const char16_t* name, AcceleratorTable* table);

} // namespace vorn
