// Sliders and progress bars created from descriptions.
#include "ControlTestSupport.h"
#include "VornLib/gui/ProgressBarControl.h"
#include "VornLib/gui/SliderControl.h"

namespace vorn {
namespace {

LRESULT Query(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendMessageW(window, message, w, l);
}

TEST(SliderControl, AttributesBecomeTrackbarStylesAndSettings) {
    Host host(R"(<Slider ID="Plain" Left="10" Top="10" Width="200" Height="30"/>
                 <Slider ID="Ranged" Left="10" Top="50" Width="200" Height="30" Min="-50"
                         Max="250" LineSize="5" PageSize="25" DefaultValue="40"
                         SelectionRange="true" Ticks="Both"/>
                 <Slider ID="Stepped" Left="10" Top="90" Width="200" Height="30" Ticks="10"/>
                 <Slider ID="Upright" Left="250" Top="10" Width="30" Height="150"
                         Orientation="Vertical" Arrow="Top" Ticks="Bottom"/>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    HWND plain = host.handle(u"Plain");
    EXPECT_EQ(ClassName(plain), u"msctls_trackbar32");
    // 0 to 100 without "Min" and "Max"; the thumb is there.
    EXPECT_EQ(0, Query(plain, TBM_GETRANGEMIN));
    EXPECT_EQ(100, Query(plain, TBM_GETRANGEMAX));
    EXPECT_EQ(0u, StyleOf(plain) & (TBS_NOTHUMB | TBS_VERT | TBS_AUTOTICKS));

    HWND ranged = host.handle(u"Ranged");
    EXPECT_EQ(-50, int32_t(Query(ranged, TBM_GETRANGEMIN)));
    EXPECT_EQ(250, Query(ranged, TBM_GETRANGEMAX));
    EXPECT_EQ(5, Query(ranged, TBM_GETLINESIZE));
    EXPECT_EQ(25, Query(ranged, TBM_GETPAGESIZE));
    EXPECT_EQ(40, Query(ranged, TBM_GETPOS));
    EXPECT_TRUE(StyleOf(ranged) & TBS_ENABLESELRANGE);
    EXPECT_TRUE(StyleOf(ranged) & TBS_BOTH);

    // A step instead of a word: ticks on top at every 10.
    HWND stepped = host.handle(u"Stepped");
    const uint32_t steppedStyle = StyleOf(stepped);
    EXPECT_EQ(uint32_t(TBS_AUTOTICKS | TBS_TOP), steppedStyle & (TBS_AUTOTICKS | TBS_TOP));
    EXPECT_EQ(0u, steppedStyle & (TBS_BOTH | TBS_NOTICKS));
    EXPECT_EQ(11, Query(stepped, TBM_GETNUMTICS));

    const uint32_t upright = StyleOf(host.handle(u"Upright"));
    EXPECT_TRUE(upright & TBS_VERT);
    EXPECT_EQ(0u, upright & (TBS_TOP | TBS_BOTH)); // "Bottom" clears what "Arrow" set

    SliderControl* slider = host.control<SliderControl>(u"Ranged");
    slider->setValue(200);
    EXPECT_EQ(200, slider->value());
    slider->returnToDefault();
    EXPECT_EQ(40, slider->value());
    slider->setRange(0, 10);
    EXPECT_EQ(10, Query(ranged, TBM_GETRANGEMAX));
}

TEST(SliderControl, UnknownWordsFail) {
    EXPECT_EQ(5u, ReadAlone<SliderControl>(R"(<Slider Ticks="Left"/>)"));
    EXPECT_EQ(5u, ReadAlone<SliderControl>(R"(<Slider Ticks="-4"/>)"));
    EXPECT_EQ(5u, ReadAlone<SliderControl>(R"(<Slider Orientation="Diagonal"/>)"));
    EXPECT_EQ(5u, ReadAlone<SliderControl>(R"(<Slider Arrow="Left"/>)"));
    EXPECT_EQ(0u, ReadAlone<SliderControl>(R"(<Slider Ticks="Top" Arrow="Bottom"/>)"));
}

TEST(ProgressBarControl, PositionOfProgressInSteps) {
    const struct {
        double completed, total, unit, value;
        int32_t position;
    } cases[] = {
        {3, 8, 1, 0.5, 7168}, // round(16384 x 3.5 / 8)
        {3, 8, 1, -2, 6144},  // a negative value counts for nothing
        {0, 0, 1, 0.5, 0},    // no total
        {1, 4, 2, 1, 6144},   // steps 2 long: (2 + 1) / 8
        {1, 3, 1, 0, 5461},   // 5461.33 rounds down
        {2, 3, 1, 0, 10923},  // 10922.67 rounds up
        {8, 8, 1, 0, 16384},  // complete
        {9, 8, 1, 0, 16384},  // never past the end
        {1, 8, 0, 0, 0},      // a unit of 0 has no extent
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.position, ProgressBarControl::PositionOf(c.completed, c.total, c.unit, c.value))
            << c.completed << "/" << c.total << " unit " << c.unit << " value " << c.value;
}

TEST(ProgressBarControl, SmoothBarOnTheFixedRangeVerticalWhenNarrow) {
    Host host(R"(<ProgressBar ID="Wide" Left="10" Top="10" Width="300"/>
                 <ProgressBar ID="Narrow" Left="350" Top="10" Width="16" Height="120"/>)");
    ASSERT_EQ(0u, host.created);
    HWND wide = host.handle(u"Wide");
    EXPECT_EQ(ClassName(wide), u"msctls_progress32");
    EXPECT_TRUE(StyleOf(wide) & PBS_SMOOTH);
    EXPECT_FALSE(StyleOf(wide) & PBS_VERTICAL);
    EXPECT_TRUE(StyleOf(host.handle(u"Narrow")) & PBS_VERTICAL);
    EXPECT_EQ(VerticalUnits(*host.control(u"Wide"), 10), SizeOf(wide).cy);
    PBRANGE range = {};
    SendMessageW(wide, PBM_GETRANGE, FALSE, LPARAM(&range));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(16384, range.iHigh);

    ProgressBarControl* bar = host.control<ProgressBarControl>(u"Wide");
    bar->setProgress(3, 8, 1, 0.5);
    EXPECT_EQ(7168, Query(wide, PBM_GETPOS));
    bar->setProgress(5, 0);
    EXPECT_EQ(0, Query(wide, PBM_GETPOS));
}

} // namespace
} // namespace vorn
