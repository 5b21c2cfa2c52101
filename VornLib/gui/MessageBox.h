// Message boxes described in XML by name ("MessageBox" elements): their
// texts come from the string tables, their icon and buttons from the
// description. Shown with the task dialog, or the plain message box where the
// task dialog is missing. The result is a button number.
#pragma once

#include "VornLib/core/Format.h"
#include "VornLib/core/LocalizedStrings.h"

namespace vorn {

enum MessageButton : uint32_t {
    kButtonYes = 0,
    kButtonNo = 1,
    kButtonOK = 2,
    kButtonCancel = 3,
    kButtonRetry = 4,
    kButtonAbort = 5,
    kButtonIgnore = 6,
};
constexpr uint32_t kButtonCount = 7;
// Every failure answers 5, the number of "Abort".
constexpr uint32_t kMessageBoxFailed = kButtonAbort;

enum class MessageIcon : uint32_t { None, Information, Warning, Error };

// A description with its texts resolved and formatted.
struct MessageBoxContent {
    MessageIcon icon = MessageIcon::None;
    bool commandLinks = false;
    String title;
    String header, body, details, footer;
    MessageIcon footerIcon = MessageIcon::Information;
    bool present[kButtonCount] = {};
    String captions[kButtonCount];
    int32_t defaultButton = -1; // the marked one; -1: the set's default
};

// The allowed button sets, in order: Yes/No, OK, Yes/No/Cancel, OK/Cancel,
// Retry/Cancel, Abort/Retry/Ignore. -1 for any other combination.
int32_t ButtonSetOf(const bool present[kButtonCount]);
// The buttons of a set in their order, and their count.
uint32_t ButtonsOfSet(int32_t set, uint32_t buttons[3]);
// The marked default, else the set's first button.
uint32_t DefaultButtonOf(const MessageBoxContent& content);
// True for the sets that Escape or the close button may cancel.
bool SetAllowsCancel(int32_t set);

// Reads a description: texts resolved through `strings`, joined with U+00A4,
// formatted with `argument`, split again. 5 for an unknown type or a button
// set that is not allowed.
Result ReadMessageBox(const XmlNode& description, LocalizedElementSource& strings,
                      const FormatArgument& argument, const String& windowTitle,
                      MessageBoxContent* out);

// The plain message box's text: the non-empty parts joined with "\n\n", every
// link replaced by its target.
String FallbackText(const MessageBoxContent& content);

} // namespace vorn

#ifdef _WIN32
#include "VornLib/core/Win32.h"

namespace vorn {

// Looks the description up by name and shows it; 5 in quiet mode or on failure.
uint32_t ShowMessageBox(const char16_t* name, const FormatArgument& argument, HWND owner);
// The same for a content already built.
uint32_t ShowMessageBoxContent(const MessageBoxContent& content, HWND owner);
// Tests turn the task dialog off to exercise the fallback.
void SetTaskDialogAllowed(bool allowed);

} // namespace vorn
#endif
