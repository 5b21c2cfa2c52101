// A program that cannot read a window's description says so instead of
// ending without a word: a message box (none in quiet mode) names the window
// and the reason, the first mistake the description check finds in it at its
// line and column, or the reading's result when the description itself reads
// (a platform failure). The program's exit code stays the reading's result.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

// The reason as one line: "line 12, column 9: HorizontalAlign=..." or the
// result's text.
String DescriptionFailureReason(const XmlNode* element, Result result);

// Shows the message for the window `name` owned by `owner` (may be null).
void ShowDescriptionFailure(const char16_t* name, const XmlNode* element, Result result,
                            HWND owner);

} // namespace vorn
