// "RichEdit" controls on a real window: styles and modes from the words, the
// mark-up shown with its character and paragraph formats, a link clicked
// with the mouse posting its command, the edit commands and the bottomless
// height.
#include <richedit.h>

#include "ControlTestSupport.h"
#include "VornLib/gui/RichEditControl.h"

namespace vorn {
namespace {

class RichEditControlTest : public ControlTest {};

std::wstring AllText(HWND edit) {
    wchar_t buffer[1024] = {};
    GETTEXTEX request = {sizeof buffer, GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageW(edit, EM_GETTEXTEX, WPARAM(&request), LPARAM(buffer));
    return buffer;
}

// The character format that the whole of [start, end) shares.
CHARFORMAT2W FormatOf(HWND edit, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageW(edit, EM_EXSETSEL, 0, LPARAM(&range));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
    return format;
}

PARAFORMAT2 ParagraphAt(HWND edit, LONG position) {
    CHARRANGE range = {position, position};
    SendMessageW(edit, EM_EXSETSEL, 0, LPARAM(&range));
    PARAFORMAT2 format = {};
    format.cbSize = sizeof format;
    SendMessageW(edit, EM_GETPARAFORMAT, 0, LPARAM(&format));
    return format;
}

constexpr const char* kLicenceWindow =
    R"(<Window Type="MainWindow" Title="Rich text" Width="640" Height="480">
      <RichEdit ID="Licence" TextMode="HTML" ReadOnly="true" Left="10" Top="10" Width="500"
                Height="200"><p align="center"><b>Terms</b></p><p>Read <a href="cmd:ShowLicenceCmd">the whole licence</a> now.</p><ul><li>One</li><li>Two</li></ul></RichEdit>
    </Window>)";

TEST_F(RichEditControlTest, WordsSetStylesAndModes) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Rich text" Width="640" Height="480">
        <RichEdit ID="Plain" TextMode="Plain" ReadOnly="true" HorizontalAlign="Center"
                  Left="10" Top="10" Width="300">Plain text</RichEdit>
        <RichEdit ID="Marked" TextMode="HTML" Left="10" Top="100" Width="300" Height="60"/>
        <RichEdit ID="Forced" TextMode="HTML" AutoDetectURL="true" Left="10" Top="200"
                  Width="300" Height="60"/>
      </Window>)"));
    HWND plain = handleOf(u"Plain");
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(ClassName(plain), u"RichEdit20W");
    EXPECT_TRUE(StyleOf(plain) & ES_MULTILINE);
    EXPECT_TRUE(StyleOf(plain) & ES_READONLY);
    EXPECT_TRUE(StyleOf(plain) & ES_CENTER);
    EXPECT_EQ(L"Plain text", AllText(plain));
    EXPECT_EQ(TM_PLAINTEXT,
              SendMessageW(plain, EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT));
    // Without a height: 14 dialog units of the window's font.
    RECT bounds = {};
    GetWindowRect(plain, &bounds);
    EXPECT_EQ(14 * window()->verticalBase() / 8, bounds.bottom - bounds.top);

    auto* plainControl = control<RichEditControl>(u"Plain");
    EXPECT_TRUE(plainControl->detectsUrls());
    EXPECT_TRUE(SendMessageW(plain, EM_GETAUTOURLDETECT, 0, 0));
    auto* marked = control<RichEditControl>(u"Marked");
    EXPECT_EQ(RichTextMode::Markup, marked->textMode());
    EXPECT_FALSE(marked->detectsUrls());
    EXPECT_FALSE(SendMessageW(marked->handle(), EM_GETAUTOURLDETECT, 0, 0));
    EXPECT_EQ(TM_RICHTEXT,
              SendMessageW(marked->handle(), EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT));
    EXPECT_TRUE(control<RichEditControl>(u"Forced")->detectsUrls()) << "read after the mode";

    RichEditControl bad;
    EXPECT_EQ(5u, readAlone(R"(<RichEdit TextMode="Markdown"/>)", &bad));
    RichEditControl badCase;
    EXPECT_EQ(5u, readAlone(R"(<RichEdit Case="Title"/>)", &badCase));
}

TEST_F(RichEditControlTest, MarkupShowsParagraphsBoldLinksAndBullets) {
    ASSERT_EQ(0u, show(kLicenceWindow));
    HWND edit = handleOf(u"Licence");
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(L"Terms\rRead the whole licence now.\rOne\rTwo", AllText(edit));
    const CHARFORMAT2W terms = FormatOf(edit, 0, 5);
    EXPECT_TRUE(terms.dwMask & CFM_BOLD);
    EXPECT_TRUE(terms.dwEffects & CFE_BOLD);
    EXPECT_FALSE(terms.dwEffects & CFE_LINK);
    const CHARFORMAT2W read = FormatOf(edit, 6, 10);
    EXPECT_FALSE(read.dwEffects & (CFE_BOLD | CFE_LINK));
    const CHARFORMAT2W link = FormatOf(edit, 11, 28);
    EXPECT_TRUE(link.dwMask & CFM_LINK);
    EXPECT_TRUE(link.dwEffects & CFE_LINK);
    EXPECT_FALSE(link.dwEffects & CFE_BOLD);
    EXPECT_FALSE(FormatOf(edit, 29, 32).dwEffects & CFE_LINK) << "the link ends with its element";

    EXPECT_EQ(PFA_CENTER, ParagraphAt(edit, 2).wAlignment);
    EXPECT_EQ(PFA_LEFT, ParagraphAt(edit, 8).wAlignment);
    EXPECT_NE(PFN_BULLET, ParagraphAt(edit, 8).wNumbering);
    EXPECT_EQ(PFN_BULLET, ParagraphAt(edit, 34).wNumbering);
    EXPECT_EQ(PFN_BULLET, ParagraphAt(edit, 38).wNumbering);

    // Text that is not well-formed changes nothing.
    auto* control = this->control<RichEditControl>(u"Licence");
    EXPECT_NE(0u, control->setMarkup(u"<b>unclosed"));
    EXPECT_EQ(L"Terms\rRead the whole licence now.\rOne\rTwo", AllText(edit));
    EXPECT_EQ(0u, control->setMarkup(u"a<br/>b &amp; c"));
    EXPECT_EQ(L"a\rb & c", AllText(edit));
}

TEST_F(RichEditControlTest, ClickingACommandLinkPostsTheCommandToTheMainWindow) {
    ASSERT_EQ(0u, show(kLicenceWindow));
    HWND edit = handleOf(u"Licence");
    POINTL position = {};
    SendMessageW(edit, EM_POSFROMCHAR, WPARAM(&position), 16); // inside "whole licence"
    POINT point = {position.x + 2, position.y + 4};
    ClientToScreen(edit, &point);
    window()->commands.clear();
    ClickAt(point);
    PumpMessages(200);
    ASSERT_EQ(1u, window()->commands.size());
    EXPECT_EQ(WPARAM(WindowNameId(u"ShowLicenceCmd")), window()->commands[0].w)
        << "the command's identifier, sent like a menu item's";
}

TEST_F(RichEditControlTest, EditCommandsAndReturnCommand) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Rich text" Width="640" Height="480">
        <RichEdit ID="Notes" OnReturn="SearchCmd" Left="10" Top="10" Width="300"
                  Height="100">Some notes</RichEdit>
      </Window>)"));
    HWND edit = handleOf(u"Notes");
    SendMessageW(edit, WM_COMMAND, WindowNameId(u"RichEditSelectAllCmd"), 0);
    wchar_t selected[64] = {};
    SendMessageW(edit, EM_GETSELTEXT, 0, LPARAM(selected));
    EXPECT_EQ(std::wstring(L"Some notes"), selected);
    SendMessageW(edit, WM_COMMAND, WindowNameId(u"RichEditCutCmd"), 0);
    EXPECT_EQ(L"", AllText(edit));
    SendMessageW(edit, WM_COMMAND, WindowNameId(u"RichEditUndoCmd"), 0);
    EXPECT_EQ(L"Some notes", AllText(edit));

    window()->commands.clear();
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages(100);
    ASSERT_EQ(1u, window()->commands.size());
    EXPECT_EQ(WPARAM(WindowNameId(u"SearchCmd")), window()->commands[0].w);
    EXPECT_EQ(L"Some notes", AllText(edit)) << "the key went no further";
}

TEST_F(RichEditControlTest, ABottomlessBoxFollowsItsText) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Rich text" Width="640" Height="480">
        <RichEdit ID="Grows" BottomLess="true" Left="10" Top="10" Width="300">One line</RichEdit>
      </Window>)"));
    auto* grows = control<RichEditControl>(u"Grows");
    EXPECT_FALSE(StyleOf(grows->handle()) & WS_VSCROLL);
    RECT before = {};
    GetWindowRect(grows->handle(), &before);
    EXPECT_EQ(0u, grows->setText(u"1\r2\r3\r4\r5\r6\r7\r8"));
    PumpMessages(100);
    RECT after = {};
    GetWindowRect(grows->handle(), &after);
    EXPECT_GT(after.bottom - after.top, 3 * (before.bottom - before.top));
}

} // namespace
} // namespace vorn
