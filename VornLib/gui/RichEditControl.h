// RichEditControl: the "RichEdit" element, the system rich edit control
// (riched20.dll from the system folder, class "RichEdit20W"). It reads the
// edit words it shares with the edit box (EditControl.h), the text content
// and a default height of 14 dialog units, then its own: "BottomLess" (the
// control grows and shrinks with its text), "TextMode" ("Default" rich text,
// "Plain" plain text, "HTML" the mark-up below) and "AutoDetectURL".
//
// The mark-up is a small XML vocabulary: "p" (a paragraph, "align" left,
// right or center), "b", "a" ("href"), "ul" with "li" (bulleted, indented
// items) and "br". Clicking a link runs its target (LinkTarget.h); its
// commands go to the main window. The context menu offers undo, redo,
// cut, copy, paste and select all as the "RichEdit...Cmd" commands.
#pragma once

#include <vector>

#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/EditControl.h"

namespace vorn {

class RichEditControl : public EditControl {
public:
    RichEditControl();

    RichTextMode textMode() const { return mode_; }
    bool detectsUrls() const { return detectUrls_; }
    // Replaces the whole text with the mark-up `text`. Text that does not
    // parse leaves the control unchanged and gives the parser's result.
    Result setMarkup(const String& text);
    // Replaces the whole text, as mark-up in the "HTML" mode.
    Result setText(const String& text);

protected:
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode&) override { return kResultOk; }
    const wchar_t* systemClassName() const override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;

private:
    struct Link {
        LONG start;
        LONG end;
        String target;
    };
    class MarkupWriter;

    bool handleNotify(const NMHDR& header, LRESULT* result);
    bool runCommand(uint16_t command);
    void showContextMenu(LPARAM position);
    String textRange(LONG start, LONG end) const;

    void followLink(const String& target);

    String text_;
    std::vector<Link> links_;
    RichTextMode mode_ = RichTextMode::Default;
    bool detectUrls_ = true;
    bool bottomLess_ = false;
};

} // namespace vorn
