// RichEditControl: the "RichEdit" element, the system rich edit control
// (riched20.dll from the system folder, class "RichEdit20W"). It reads the
// edit box's common attributes ("ReadOnly", "WantReturn", "Case", "OnReturn",
// "Password", "HorizontalAlign", "TextColor", the text content, a default
// height of 14 dialog units) and its own: "BottomLess" (the control grows
// and shrinks with its text), "TextMode" ("Default" rich text, "Plain" plain
// text, "HTML" the mark-up below) and "AutoDetectURL".
//
// The mark-up is a small XML vocabulary: "p" (a paragraph, "align" left,
// right or center), "b", "a" ("href"), "ul" with "li" (bulleted, indented
// items) and "br". Clicking a link runs its target: "cmd:" + a command name
// posts that command to the main window, a target with "@" starts an e-mail,
// anything else opens with the shell. The context menu offers undo, redo,
// cut, copy, paste and select all as the "RichEdit...Cmd" commands.
#pragma once

#include <vector>

#include "VornLib/gui/Window.h"

namespace vorn {

enum class RichTextMode : uint8_t { Default = 0, Plain = 1, Markup = 2 };

class RichEditControl : public Window {
public:
    RichEditControl();

    RichTextMode textMode() const { return mode_; }
    bool detectsUrls() const { return detectUrls_; }
    // Replaces the whole text with the mark-up `text`. Text that does not
    // parse leaves the control unchanged and gives the parser's result.
    Result setMarkup(const String& text);
    // Replaces the whole text, as mark-up in the "HTML" mode.
    Result setText(const String& text);

    // What a click on a link does with `target`.
    static void FollowLink(const String& target);

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

    String text_;
    String onReturnCommand_;
    std::vector<Link> links_;
    COLORREF textColour_ = 0;
    bool hasTextColour_ = false;
    RichTextMode mode_ = RichTextMode::Default;
    bool detectUrls_ = true;
    bool bottomLess_ = false;
};

} // namespace vorn
