// Placement and shape rules of the area selector, the flashing frame and the colour picker that the
// screen tests do not reach, and the eyedropper cursor.
#include <algorithm>
#include <vector>

#include "ToolTestSupport.h"
#include "tools/AreaMarks.h"

namespace {

TEST(AreaRules, ShiftRectLabelAndMonitorParts) {
    const RECT single{0, 0, 1920, 1080}, leftLayout{-1280, 0, 1920, 1080};
    // Larger than the screen: the whole screen, both edges counted. Reversed and past an edge: normalised
    // and cut back to it.
    EXPECT_EQ(CRect(qel::ClampShiftRect(RECT{-5000, -10, 5000, 2000}, leftLayout)), CRect(-1280, 0, 1919, 1079));
    EXPECT_EQ(CRect(qel::ClampShiftRect(RECT{-1200, 300, -1400, 100}, leftLayout)), CRect(-1280, 100, -1200, 300));
    EXPECT_EQ(CRect(qel::ClampShiftRect(RECT{1800, 1000, 2000, 1100}, single)), CRect(1800, 1000, 1919, 1079));
    EXPECT_EQ(qel::AreaLabelText(RECT{10, 10, 20, 30}), L"Left : 10 Top : 10 Width : 11 Height : 21");
    // The label goes 5 pixels above the area where its monitor has room, 5 below otherwise.
    const SIZE text{200, 13};
    EXPECT_EQ(qel::AreaLabelOrigin(RECT{100, 18, 300, 400}, text, single).y, 0);
    EXPECT_EQ(qel::AreaLabelOrigin(RECT{10, 10, 20, 30}, text, single).y, 35);
    EXPECT_EQ(qel::AreaLabelOrigin(RECT{100, -990, 300, -900}, text, RECT{0, -1000, 1000, 0}).y, -895);
    // Below the shorter of two monitors only the taller one has a part.
    const std::vector<RECT> dual{{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}};
    EXPECT_EQ(qel::SplitByMonitors(RECT{1000, 1030, 1500, 1060}, dual).size(), 1u);
}

// Pixels of the shape in a row or column from (x, y) on.
int RunLength(const qel::FrameShape& s, int x, int y, int dx, int dy) {
    int n = 0;
    for (; tooltest::InShape(s, x, y); x += dx, y += dy) ++n;
    return n;
}

TEST(FlashFrame, ThinFrameAndBracketsHaveTheirWidthsAndArms) {
    const qel::FrameShape thin = qel::FlashFrameShape(100, 60, true);
    EXPECT_EQ(CRect(thin.outer), CRect(0, 0, 108, 68));
    EXPECT_EQ(RunLength(thin, 0, 30, 1, 0), 4);     // left side
    EXPECT_EQ(RunLength(thin, 50, 0, 0, 1), 4);     // top side
    EXPECT_EQ(RunLength(thin, 107, 30, -1, 0), 3);  // right side
    EXPECT_EQ(RunLength(thin, 50, 67, 0, -1), 3);   // bottom side

    const qel::FrameShape thick = qel::FlashFrameShape(100, 60, false);
    EXPECT_EQ(CRect(thick.outer), CRect(0, 0, 116, 76));
    EXPECT_EQ(RunLength(thick, 0, 0, 1, 0), 24);      // top-left arm, along the top
    EXPECT_EQ(RunLength(thick, 0, 0, 0, 1), 24);      // and down the left
    EXPECT_EQ(RunLength(thick, 115, 75, -1, 0), 27);  // bottom-right arm, along the bottom
    EXPECT_EQ(RunLength(thick, 115, 75, 0, -1), 27);  // and up the right
    EXPECT_EQ(RunLength(thick, 0, 50, 1, 0), 8);      // bracket widths: 8 on the left
    EXPECT_EQ(RunLength(thick, 115, 60, -1, 0), 7);   // 7 on the right
    EXPECT_FALSE(tooltest::InShape(thick, 50, 0));    // gap between the top arms
    EXPECT_FALSE(tooltest::InShape(thick, 0, 40));    // gap between the left arms
    // Too small to part the brackets: a closed frame.
    const qel::FrameShape small = qel::FlashFrameShape(30, 20, false);
    EXPECT_TRUE(tooltest::InShape(small, 20, 0) && tooltest::InShape(small, 0, 18));
}

TEST(PickColor, ReadsPixelsOfBottomUpAndTopDownDibsAndNamesThem) {
    // 3 x 2 at 24 bits: rows padded from 9 to 12 bytes. Bottom-up, the top row (y 0) is stored second.
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 24, 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    *h = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const BYTE bgr[] = {1, 2, 3};
    std::copy(bgr, bgr + 3, block.data() + sizeof(BITMAPINFOHEADER) + 12 + 6);  // pixel (2, 0)
    COLORREF c = 0;
    EXPECT_TRUE(qel::DibPixelColor(h, 2, 0, &c) && c == RGB(3, 2, 1));
    h->biHeight = -2;  // top-down: the same bytes are now row 1
    EXPECT_TRUE(qel::DibPixelColor(h, 2, 1, &c) && c == RGB(3, 2, 1));
    c = 42;
    EXPECT_FALSE(qel::DibPixelColor(h, 3, 0, &c) || qel::DibPixelColor(h, 0, -1, &c));
    EXPECT_EQ(c, 42u);
    EXPECT_EQ(qel::PickLabelText(0x000000FF), L"R:255 G:0 B:0");
    EXPECT_EQ(qel::PickLabelText(0x00804020), L"R:32 G:64 B:128");
}

TEST(Eyedropper, IsA32By32CursorWithItsHotSpotOnTheOpaqueTip) {
    // Loaded from this executable: the resource script is linked into it as into the library.
    qel::IconInfo info(::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1000)));
    ASSERT_TRUE(info.ok);
    EXPECT_TRUE(info.info.xHotspot == 8 && info.info.yHotspot == 23 && !info.info.fIcon);
    BITMAP mask{};
    ASSERT_NE(::GetObjectW(info.mask.get(), sizeof(mask), &mask), 0);
    // A monochrome cursor keeps its AND and XOR masks in one bitmap of twice the height.
    EXPECT_EQ(CSize(mask.bmWidth, mask.bmHeight), CSize(32, info.color ? 32 : 64));
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::SelectScope select(dc.get(), info.mask.get());
    EXPECT_EQ(::GetPixel(dc.get(), 8, 23) & 0xFFFFFF, 0u);        // AND bit clear: opaque
    EXPECT_EQ(::GetPixel(dc.get(), 0, 0) & 0xFFFFFF, 0xFFFFFFu);  // the corner is transparent
}

}  // namespace
