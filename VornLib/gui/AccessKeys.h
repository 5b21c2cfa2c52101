// Access keys: the letter after "&" in a button's or a label's text, which
// the user presses with Alt (or alone, where the focused control takes no
// characters) to press the button or to move to the control after the label.
// "&&" stands for one "&" and marks nothing. A text put into such a caption
// from elsewhere (a product name, a folder) has its "&" doubled first.
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// The unit after the first single "&" of `text`, upper-cased for the Latin,
// Greek and Cyrillic letters; 0 when the text marks none.
char16_t AccessKeyOf(const char16_t* text);

// Upper case of one unit for comparing access keys: the keys of a keyboard
// layout give either case.
char16_t AccessKeyCase(char16_t unit);

// `text` with every "&" doubled, to stand as itself in a caption.
String EscapeAccessKeys(const String& text);

// The caption as the user reads it: markers dropped, "&&" shown as "&".
String WithoutAccessKeys(const char16_t* text);

} // namespace vorn
