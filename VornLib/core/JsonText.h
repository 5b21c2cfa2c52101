// JSON text for the documents the framework and its tools write for other
// programs (a setup's result file, an update feed).
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// A JSON string literal of `text`, in quotes: quotes, backslashes and control
// characters escaped, everything else as it is.
String JsonString(const String& text);

} // namespace vorn
