// Placement rules of the capture form: magnifier corners, label thresholds, read-out size, repaint areas.
#include <gtest/gtest.h>

#include <climits>

#include "selection/CaptureFormLayout.h"

using namespace CaptureFormLayout;

namespace {

::testing::AssertionResult SameRect(const Gdiplus::Rect& got, const Gdiplus::Rect& want) {
    if (got.X == want.X && got.Y == want.Y && got.Width == want.Width && got.Height == want.Height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.X << ", " << got.Y << ", " << got.Width << ", " << got.Height
                                         << ") instead of (" << want.X << ", " << want.Y << ", " << want.Width << ", "
                                         << want.Height << ")";
}

const Gdiplus::Rect kNoSelection(0, 0, 0, 0);
const Gdiplus::Rect kFreshTarget(INT_MAX, INT_MAX, 0, 0);

}  // namespace

// Every corner, edge and the middle of a monitor that does not start at the overlay's origin (the
// second monitor of a side-by-side layout), and of one that does.
TEST(ZoomerPlacement, TakesTheFirstCornerAroundTheCursorThatStaysOnTheMonitor) {
    struct Case {
        int x, y;   // cursor, relative to the monitor's corner
        int ox, oy; // expected offset: +20 or -20 - side
        const char* where;
    };
    // A fifth of the shorter side, down to a multiple of four.
    EXPECT_TRUE(ZoomerSide(Gdiplus::Rect(0, 0, 1366, 768)) == 152 && ZoomerSide(Gdiplus::Rect(0, 0, 10, 10)) == 0);
    for (const Gdiplus::Rect monitor : {Gdiplus::Rect(1280, 0, 1920, 1080), Gdiplus::Rect(0, 0, 1280, 1024)}) {
        const int s = ZoomerSide(monitor), back = -20 - s;
        const int right = monitor.Width - 1, bottom = monitor.Height - 1, midX = monitor.Width / 2,
                  midY = monitor.Height / 2;
        const Case cases[] = {
            {midX, midY, 20, 20, "middle"},          {0, 0, 20, 20, "top-left corner"},
            {midX, 0, 20, 20, "top edge"},           {right, 0, back, 20, "top-right corner"},
            {right, midY, back, 20, "right edge"},    {right, bottom, back, back, "bottom-right corner"},
            {midX, bottom, 20, back, "bottom edge"},  {0, bottom, 20, back, "bottom-left corner"},
            {0, midY, 20, 20, "left edge"},
            // The last pixel where the first corner still fits, and the first where it does not.
            {monitor.Width - 20 - s, midY, 20, 20, "right edge, just fits"},
            {monitor.Width - 19 - s, midY, back, 20, "right edge, just too back"},
        };
        for (const Case& c : cases) {
            const POINT pos{monitor.X + c.x, monitor.Y + c.y};
            const ZoomerPlacement p = PlaceZoomer(monitor, pos, kFreshTarget, kNoSelection);
            EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(c.ox, c.oy, s, s))) << c.where << " on monitor at " << monitor.X;
        }
    }
}

TEST(ZoomerPlacement, KeepsATargetThatStillFitsAndAvoidsTheSelection) {
    const Gdiplus::Rect monitor(0, 0, 1920, 1080);
    const int s = ZoomerSide(monitor);
    const POINT pos{800, 500};
    // A target that still fits stays put, even if another corner comes first.
    const Gdiplus::Rect aboveLeft(-20 - s, -20 - s, s, s);
    EXPECT_TRUE(PlaceZoomer(monitor, pos, aboveLeft, kNoSelection).keep);

    // A selection under the kept target moves it to the first corner clear of it.
    const Gdiplus::Rect selection(pos.x - 300, pos.y - 300, 300, 300);
    ZoomerPlacement p = PlaceZoomer(monitor, pos, aboveLeft, selection);
    EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(20, 20, s, s)));

    // Touching the selection along an edge is not overlapping it.
    const Gdiplus::Rect touching(pos.x + 20 + s, pos.y, 100, 100);
    EXPECT_TRUE(SameRect(PlaceZoomer(monitor, pos, kFreshTarget, touching).target, Gdiplus::Rect(20, 20, s, s)));
    const Gdiplus::Rect belowRight(pos.x + 20 + s - 1, pos.y, 100, 100);
    EXPECT_TRUE(SameRect(PlaceZoomer(monitor, pos, kFreshTarget, belowRight).target, Gdiplus::Rect(-20 - s, 20, s, s)));

    // A selection covering every corner: the search allows overlap and starts again, keeping a target on
    // the monitor or else taking the first corner.
    const Gdiplus::Rect everything(0, 0, 1920, 1080);
    EXPECT_TRUE(PlaceZoomer(monitor, pos, aboveLeft, everything).keep);
    p = PlaceZoomer(monitor, pos, kFreshTarget, everything);
    EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(20, 20, s, s)));

    // No corner fits: at the cursor. Near the largest coordinates the back-off start target must not wrap
    // into the monitor.
    p = PlaceZoomer(Gdiplus::Rect(0, 0, 60, 60), POINT{30, 30}, kFreshTarget, kNoSelection);  // side 12
    EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(0, 0, 12, 12)));
    const Gdiplus::Rect edge(INT_MAX - 1000, INT_MAX - 1000, 1000, 1000);
    EXPECT_FALSE(PlaceZoomer(edge, POINT{INT_MAX - 500, INT_MAX - 500}, kFreshTarget, kNoSelection).keep);
}

TEST(Labels, ShownOnlyWhenTheSelectionIsWiderThanTheTextPlusSixAndReadOutsSizedAndWorded) {
    const Gdiplus::Size text(20, 12);
    EXPECT_FALSE(WidthLabel(Gdiplus::Rect(100, 200, 26, 50), text).shown);
    const DimensionLabel w = WidthLabel(Gdiplus::Rect(100, 200, 27, 50), text);
    // a = 11, x0 = 100 + 13 - 11 = 102: the line runs from the left edge to the box and on to the right edge.
    EXPECT_TRUE(w.shown && SameRect(w.box, Gdiplus::Rect(105, 185, 17, 12)));
    EXPECT_TRUE(w.line[0].from.X == 100 && w.line[0].to.X == 102 && w.line[1].to.X == 127 && w.line[0].from.Y == 192);
    EXPECT_FALSE(HeightLabel(Gdiplus::Rect(100, 200, 50, 18), text).shown);
    const DimensionLabel h = HeightLabel(Gdiplus::Rect(100, 200, 50, 19), text);
    // b = 7, y0 = 200 + 9 - 7 = 202, x1 = 100 - 20 + 1 = 81.
    EXPECT_TRUE(h.shown && SameRect(h.box, Gdiplus::Rect(81, 204, 17, 11)));
    EXPECT_TRUE(h.line[0].to.Y == 202 && h.line[1].to.Y == 219 && h.ticks[0].from.X == 89 && h.ticks[0].to.X == 95);

    // 12 x min(h / 2mh, w / 2mw) between 4 and 20 points, with mw = 60, mh = 15.
    EXPECT_FLOAT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, 40, 1000), 60.0f, 15.0f), 4.0f);
    EXPECT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, 39, 1000), 60.0f, 15.0f), 0.0f);
    EXPECT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, 1000, 9), 60.0f, 15.0f), 0.0f);
    EXPECT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, 3000, 3000), 60.0f, 15.0f), 20.0f);
    EXPECT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, 3000, 3000), 0.0f, 0.0f), 0.0f);
    // While the highlight glides, the text is placed on the glide rectangle but sized by the target.
    const Gdiplus::PointF at = ReadoutOrigin(Gdiplus::Rect(10, 20, 5, 5), Gdiplus::Rect(300, 300, 101, 51), 40.6f, 21.9f);
    EXPECT_TRUE(at.X == 10 + 50 - 20 && at.Y == 20 + 25 - 10);

    // Regions count both edges, windows (mode 4 only) show their size.
    const Gdiplus::Rect c(5, 6, 199, 99);
    EXPECT_TRUE(WidthLabelText(c, 1) == L"200" && HeightLabelText(c, 1) == L"100" && ReadoutText(c, 11) == L"200 x 100");
    EXPECT_TRUE(WidthLabelText(c, 4) == L"199" && HeightLabelText(c, 4) == L"99" && WidthLabelText(c, 5) == L"200");
    EXPECT_EQ(CoordinateText(POINT{-3, 1079}), L"-3 x 1079");
    const HWND wnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1A2B0));
    EXPECT_EQ(WindowLabelText(wnd, L"Notes", L"C:\\x\\y.exe"), L"#1A2B0 - Notes");
    EXPECT_EQ(WindowLabelText(wnd, L"", L"C:\\Program Files\\app.v2.exe"), L"#1A2B0 - app.v2");
    EXPECT_EQ(WindowLabelText(wnd, L"", L"tool"), L"#1A2B0 - tool");
}

TEST(TickRepaint, StripsOnlyAlongChangedAxesABoxAroundTheDragAndMagnifierBarsAroundTheCursorPixel) {
    Gdiplus::Rect strips[4];
    EXPECT_EQ(CrossHairStrips(POINT{10, 10}, POINT{10, 10}, 1920, 1080, strips), 0);
    ASSERT_EQ(CrossHairStrips(POINT{10, 10}, POINT{10, 30}, 1920, 1080, strips), 2);
    EXPECT_TRUE(SameRect(strips[0], Gdiplus::Rect(0, 8, 1922, 45)) && SameRect(strips[1], Gdiplus::Rect(0, 28, 1922, 45)));
    ASSERT_EQ(CrossHairStrips(POINT{10, 10}, POINT{40, 30}, 1920, 1080, strips), 4);
    EXPECT_TRUE(SameRect(strips[2], Gdiplus::Rect(8, 0, 75, 1082)) && SameRect(strips[3], Gdiplus::Rect(38, 0, 75, 1082)));
    // From the leftmost/topmost of the three points less the labels, to the back corner plus 2.
    const Gdiplus::Rect box = DragRepaintBox(POINT{100, 200}, POINT{150, 180}, POINT{90, 260}, 18, 12);
    EXPECT_TRUE(SameRect(box, Gdiplus::Rect(90 - 18 - 15, 180 - 10 - 12, 152 - 57, 262 - 158)));
    EXPECT_TRUE(SameRect(NormalisedRectangle(POINT{50, 10}, POINT{20, 40}), Gdiplus::Rect(20, 10, 30, 30)));

    // A 100-pixel magnifier of 25 source pixels: 4 pixels each. The cursor's pixel is magnified to
    // [348, 352) x [248, 252); the bars stop a pixel short of it.
    const ZoomerBars z = ZoomerCrossHair(Gdiplus::Rect(300, 200, 100, 100), 25);
    EXPECT_EQ(z.pixel, 4);
    EXPECT_TRUE(z.bars[0].from.Y == 204 && z.bars[0].to.Y == 244 && z.bars[1].from.Y == 256 && z.bars[1].to.Y == 296);
    EXPECT_TRUE(z.bars[2].to.X == 344 && z.bars[3].from.X == 356 && z.bars[0].from.X == 350);
    EXPECT_TRUE(SameRect(z.outlines[0], Gdiplus::Rect(348, 204, 3, 39)) && SameRect(z.outlines[3], Gdiplus::Rect(356, 248, 39, 3)));
}
