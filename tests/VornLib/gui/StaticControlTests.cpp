// Static texts and pictures created from descriptions on the screen.
#include "ControlTestSupport.h"
#include "VornLib/gui/PictureControl.h"
#include "VornLib/gui/StaticControl.h"

namespace vorn {
namespace {

TEST(StaticControl, StyleWordsBecomeStaticStyleBits) {
    Host host(R"(<Static ID="Plain" Top="5" Left="5" Width="200">Plain text</Static>
                 <Static ID="Centred" Top="30" Left="5" Width="200" HorizontalAlign="Center"
                         VerticalAlign="Center" WordEllipsis="true">Centred</Static>
                 <Static ID="Right" Top="55" Left="5" Width="200" HorizontalAlign="Right"
                         PathEllipsis="true">C:\Some\Path</Static>
                 <Static ID="Sunken" Top="80" Left="5" Width="200" Border="Sunken">s</Static>
                 <Static ID="Client" Top="105" Left="5" Width="200" Border="ClientEdge">c</Static>
                 <Static ID="Tall" Top="130" Left="5" Width="200" Height="40">t</Static>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    HWND plain = host.handle(u"Plain");
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(ClassName(plain), u"Static");
    EXPECT_EQ(L"Plain text", TextOf(plain));
    const uint32_t style = StyleOf(plain);
    EXPECT_EQ(uint32_t(SS_NOPREFIX | SS_NOTIFY), style & (SS_NOPREFIX | SS_NOTIFY));
    EXPECT_EQ(0u, style & WS_CLIPSIBLINGS);
    EXPECT_EQ(uint32_t(SS_LEFT), style & SS_TYPEMASK);
    // Ten dialog units unless the description gives a height.
    EXPECT_EQ(VerticalUnits(*host.control(u"Plain"), 10), SizeOf(plain).cy);
    EXPECT_EQ(40, SizeOf(host.handle(u"Tall")).cy);

    const uint32_t centred = StyleOf(host.handle(u"Centred"));
    EXPECT_EQ(uint32_t(SS_CENTER), centred & SS_TYPEMASK);
    EXPECT_TRUE(centred & SS_CENTERIMAGE);
    EXPECT_EQ(uint32_t(SS_WORDELLIPSIS), centred & SS_ELLIPSISMASK);
    const uint32_t right = StyleOf(host.handle(u"Right"));
    EXPECT_EQ(uint32_t(SS_RIGHT), right & SS_TYPEMASK);
    EXPECT_EQ(uint32_t(SS_PATHELLIPSIS), right & SS_ELLIPSISMASK);
    EXPECT_TRUE(StyleOf(host.handle(u"Sunken")) & SS_SUNKEN);
    EXPECT_TRUE(ExtendedStyleOf(host.handle(u"Client")) & WS_EX_CLIENTEDGE);
}

TEST(StaticControl, BorderWordsAndTheirFailure) {
    const struct {
        const char* word;
        uint32_t type;
    } frames[] = {
        {"Etched", SS_ETCHEDFRAME},
        {"EtchedHorizontal", SS_ETCHEDHORZ},
        {"EtchedVertical", SS_ETCHEDVERT},
    };
    for (const auto& frame : frames) {
        Host host(
            std::string("<Static ID=\"Line\" Left=\"10\" Top=\"10\" Width=\"100\" Border=\"") +
            frame.word + "\"/>");
        ASSERT_EQ(0u, host.created) << frame.word;
        EXPECT_EQ(frame.type, StyleOf(host.handle(u"Line")) & SS_TYPEMASK) << frame.word;
    }
    // An unknown word fails the element with 5, and its parent with 39.
    EXPECT_EQ(5u, ReadAlone<StaticControl>(R"(<Static Border="Dotted">x</Static>)"));
    EXPECT_EQ(5u, ReadAlone<StaticControl>(R"(<Static HorizontalAlign="Middle"/>)"));
    Host failing(R"(<Static ID="A"/><Static ID="B" Border="Dotted"/>)");
    EXPECT_EQ(39u, failing.read);
}

// The colours a window draws into its client area, read from a bitmap.
class ClientPicture {
public:
    explicit ClientPicture(HWND window) {
        RECT client = {};
        GetClientRect(window, &client);
        HDC screen = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(memory_, bitmap_);
        SendMessageW(window, WM_PRINTCLIENT, WPARAM(memory_), PRF_CLIENT);
    }
    ~ClientPicture() {
        SelectObject(memory_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
    }
    COLORREF at(int x, int y) const { return GetPixel(memory_, x, y); }

private:
    HDC memory_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

TEST(StaticControl, EtchedHorizontalDrawsAnEtchedLine) {
    Host host(R"(<Static ID="Line" Left="20" Top="20" Width="300" Height="6"
                         Border="EtchedHorizontal"/>
                 <Static ID="Upright" Left="340" Top="20" Width="6" Height="100"
                         Border="EtchedVertical"/>)",
              R"(BackgroundColor="#FFF0C0")");
    ASSERT_EQ(0u, host.created);
    HWND line = host.handle(u"Line");
    // No frame of the platform's around the line: the etching is the line.
    EXPECT_EQ(0u, ExtendedStyleOf(line) & WS_EX_STATICEDGE);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF background = RGB(0xFF, 0xF0, 0xC0);
    // A shadow row over a highlight row along the whole width, on the parent's colour.
    ClientPicture drawn(line);
    for (int x : {0, 150, 299}) {
        EXPECT_EQ(shadow, drawn.at(x, 0)) << x;
        EXPECT_EQ(highlight, drawn.at(x, 1)) << x;
        EXPECT_EQ(background, drawn.at(x, 2)) << x;
        EXPECT_EQ(background, drawn.at(x, 5)) << x;
    }
    ClientPicture upright(host.handle(u"Upright"));
    EXPECT_EQ(shadow, upright.at(0, 50));
    EXPECT_EQ(highlight, upright.at(1, 50));
    EXPECT_EQ(background, upright.at(4, 50));
    // And so it is on the screen.
    RedrawWindow(host.window.handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(200);
    EXPECT_EQ(shadow, ScreenPixel(line, 150, 0));
    EXPECT_EQ(highlight, ScreenPixel(line, 150, 1));
}

TEST(StaticControl, TextColourAnswersTheColourRequestOnTheParentsBackground) {
    Host host(R"(<Static ID="Red" Left="10" Top="10" Width="200" TextColor="#C00000">red</Static>
                 <Static ID="Plain" Left="10" Top="40" Width="200">plain</Static>)",
              R"(BackgroundColor="#204060")");
    ASSERT_EQ(0u, host.created);
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush = SendMessageW(host.window.handle(), WM_CTLCOLORSTATIC, WPARAM(dc),
                                       LPARAM(host.handle(u"Red")));
    EXPECT_EQ(RGB(0xC0, 0, 0), GetTextColor(dc));
    EXPECT_EQ(RGB(0x20, 0x40, 0x60), GetBkColor(dc));
    LOGBRUSH described = {};
    ASSERT_NE(0, GetObjectW(HGDIOBJ(brush), sizeof described, &described));
    EXPECT_EQ(RGB(0x20, 0x40, 0x60), described.lbColor);
    // A static without a colour leaves the request to its parent: the platform's answer.
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(host.window.handle(), WM_CTLCOLORSTATIC, WPARAM(dc),
                 LPARAM(host.handle(u"Plain")));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), GetTextColor(dc));
    DeleteDC(dc);
}

TEST(StaticControl, TextContentIsLocalized) {
    Host host(R"(<Static ID="Escaped" Left="10" Top="10" Width="300">##1 choice</Static>
                 <Static ID="Missing" Left="10" Top="40" Width="300">#NoSuchKey</Static>)");
    ASSERT_EQ(0u, host.created);
    EXPECT_EQ(L"#1 choice", TextOf(host.handle(u"Escaped")));
    EXPECT_EQ(L"<Localized Text: NoSuchKey>", TextOf(host.handle(u"Missing")));
}

TEST(PictureControl, TakesThePicturesSizeAndDrawsItsAlphaOverTheParent) {
    Host host(R"(<Picture ID="Badge" Name="Data/Pictures/Badge.png" Left="10" Top="10"/>
                 <Picture ID="Photo" Name="Data/Pictures/Photo.png" Left="60" Top="10"/>)",
              R"(BackgroundColor="#00FF00")");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    HWND badge = host.handle(u"Badge");
    EXPECT_EQ(ClassName(badge), u"Static");
    EXPECT_EQ(32, SizeOf(badge).cx);
    EXPECT_EQ(32, SizeOf(badge).cy);
    EXPECT_EQ(40, SizeOf(host.handle(u"Photo")).cx);
    EXPECT_EQ(24, SizeOf(host.handle(u"Photo")).cy);
    EXPECT_TRUE(host.control<PictureControl>(u"Badge")->picture().hasAlpha);
    EXPECT_FALSE(host.control<PictureControl>(u"Photo")->picture().hasAlpha);
    // The parent paints beneath the see-through pixels.
    EXPECT_EQ(0u, StyleOf(host.window.handle()) & WS_CLIPCHILDREN);

    RedrawWindow(host.window.handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(100);
    EXPECT_EQ(RGB(0, 255, 0), ScreenPixel(badge, 0, 0)); // transparent corner
    const COLORREF centre = ScreenPixel(badge, 10, 16);  // opaque blue disc
    EXPECT_NEAR(30, GetRValue(centre), 6);
    EXPECT_NEAR(110, GetGValue(centre), 6);
    EXPECT_NEAR(220, GetBValue(centre), 6);
    // Drawing again does not blend twice over the old drawing.
    InvalidateRect(badge, nullptr, TRUE);
    UpdateWindow(badge);
    PumpMessages(50);
    EXPECT_EQ(RGB(0, 255, 0), ScreenPixel(badge, 0, 0));
    const COLORREF edge = ScreenPixel(badge, 16, 2);
    InvalidateRect(badge, nullptr, TRUE);
    UpdateWindow(badge);
    EXPECT_EQ(edge, ScreenPixel(badge, 16, 2));
}

TEST(PictureControl, AnotherPictureLaysTheWindowOutAgain) {
    Host host(R"(<Picture ID="Badge" Name="Data/Pictures/Badge.png" Left="10" Top="10"/>)");
    ASSERT_EQ(0u, host.created);
    PictureControl* picture = host.control<PictureControl>(u"Badge");
    ASSERT_EQ(0u, picture->setPicture(u"Data/Pictures/Photo.png"));
    EXPECT_EQ(40, SizeOf(host.handle(u"Badge")).cx);
    EXPECT_EQ(24, SizeOf(host.handle(u"Badge")).cy);
    // A failure keeps the picture shown.
    EXPECT_EQ(29u, picture->setPicture(u"Data/Pictures/None.png"));
    EXPECT_EQ(40, picture->picture().width);
}

TEST(PictureControl, NameAndFormatFailures) {
    EXPECT_EQ(31u, ReadAlone<PictureControl>(R"(<Picture/>)"));
    EXPECT_EQ(31u, ReadAlone<PictureControl>(R"(<Picture Name=""/>)"));
    EXPECT_EQ(29u, ReadAlone<PictureControl>(R"(<Picture Name="Data/Pictures/None.png"/>)"));
    // Grey pixels are none of the bitmap formats.
    EXPECT_EQ(3u, ReadAlone<PictureControl>(R"(<Picture Name="Data/Pictures/Grey.png"/>)"));
    // Only a picture with alpha takes the clipping away before creation.
    Description opaque(R"(<Window ClipChildren="true">
                            <Picture Name="Data/Pictures/Photo.png"/></Window>)");
    Window parent;
    ASSERT_EQ(0u, parent.readDescription(opaque.root()));
    EXPECT_TRUE(parent.style() & WS_CLIPCHILDREN);
    Description alpha(R"(<Window ClipChildren="true">
                           <Picture Name="Data/Pictures/Badge.png"/></Window>)");
    Window other;
    ASSERT_EQ(0u, other.readDescription(alpha.root()));
    EXPECT_FALSE(other.style() & WS_CLIPCHILDREN);
}

} // namespace
} // namespace vorn
