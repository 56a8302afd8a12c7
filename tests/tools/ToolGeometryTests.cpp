// Placement and shape rules of the area selector, the flashing frame and the colour picker, and the
// drawing of area marks on a memory DC.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "Handles.h"
#include "tools/AreaMarks.h"
#include "tools/ToolGeometry.h"

namespace {

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT& actual, LONG l, LONG t, LONG r, LONG b) {
    if (Same(actual, RECT{l, t, r, b})) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << ", " << actual.top << ", " << actual.right << ", "
                                         << actual.bottom << ") instead of (" << l << ", " << t << ", " << r << ", "
                                         << b << ")";
}

// The three display layouts' virtual screens and monitors.
const RECT kSingle{0, 0, 1920, 1080};
const RECT kLeftLayout{-1280, 0, 1920, 1080};
const std::vector<RECT> kDualMonitors{{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}};

TEST(ShiftRect, IsNormalisedAndBroughtInsideTheScreen) {
    // Wider and taller than the screen: the whole screen, both edges counted.
    EXPECT_TRUE(RectIs(qel::ClampShiftRect(RECT{-5000, -10, 5000, 2000}, kLeftLayout), -1280, 0, 1919, 1079));
    // Reversed and past the left edge of a screen with a negative origin: cut back to that edge.
    EXPECT_TRUE(RectIs(qel::ClampShiftRect(RECT{-1200, 300, -1400, 100}, kLeftLayout), -1280, 100, -1200, 300));
    // Exactly the screen's size fits.
    EXPECT_TRUE(RectIs(qel::ClampShiftRect(RECT{0, 0, 1919, 1079}, kSingle), 0, 0, 1919, 1079));
    EXPECT_TRUE(RectIs(qel::ClampShiftRect(RECT{1800, 1000, 2000, 1100}, kSingle), 1800, 1000, 1919, 1079));
}

TEST(ShiftRect, FollowsTheCursorAndIsPinnedAtEveryEdgeWithItsSize) {
    const RECT shift{100, 200, 301, 351};  // 201 x 151 between its edges
    const RECT offsets = qel::ShiftOffsets(shift);
    const int w = shift.right - shift.left, h = shift.bottom - shift.top;
    // The cursor at the centre gives the rectangle back.
    EXPECT_TRUE(RectIs(qel::PlaceShiftRect(POINT{200, 275}, offsets, w, h, kLeftLayout), 100, 200, 301, 351));
    // Against each edge of the virtual screen, the left monitor's edge included.
    EXPECT_TRUE(RectIs(qel::PlaceShiftRect(POINT{-1270, 500}, offsets, w, h, kLeftLayout), -1280, 425, -1079, 576));
    EXPECT_TRUE(RectIs(qel::PlaceShiftRect(POINT{500, 3}, offsets, w, h, kLeftLayout), 400, 0, 601, 151));
    EXPECT_TRUE(RectIs(qel::PlaceShiftRect(POINT{1919, 500}, offsets, w, h, kLeftLayout), 1718, 425, 1919, 576));
    EXPECT_TRUE(RectIs(qel::PlaceShiftRect(POINT{500, 1079}, offsets, w, h, kLeftLayout), 400, 928, 601, 1079));
    // A corner pins both ways.
    EXPECT_TRUE(RectIs(qel::PlaceShiftRect(POINT{-5000, -5000}, offsets, w, h, kLeftLayout), -1280, 0, -1079, 151));
    // Offsets of a rectangle with negative coordinates truncate toward zero.
    EXPECT_TRUE(RectIs(qel::ShiftOffsets(RECT{-101, -11, -50, 0}), -26, -6, 25, 5));
}

TEST(AreaFrame, StripsCoverTheBorderExactlyOnce) {
    const RECT r{10, 20, 30, 32};
    int count[40][40] = {};
    for (const RECT& s : qel::FrameStrips(r)) {
        for (LONG y = s.top; y < s.bottom; ++y)
            for (LONG x = s.left; x < s.right; ++x) ++count[y][x];
    }
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 20 && y < 32;
            const bool border = inside && (x < 13 || x >= 27 || y < 23 || y >= 29);
            ASSERT_EQ(count[y][x], border ? 1 : 0) << x << "," << y;
        }
    }
    // Too low to have side strips: only the top and bottom ones.
    EXPECT_EQ(qel::FrameStrips(RECT{0, 0, 10, 5}).size(), 2u);
}

TEST(AreaLabel, CountsBothEdgesAndGoesBelowNearTheTop) {
    EXPECT_EQ(qel::AreaLabelText(RECT{10, 10, 20, 30}), L"Left : 10 Top : 10 Width : 11 Height : 21");
    const SIZE text{200, 13};
    // No room above within the monitor: 5 pixels below.
    const POINT below = qel::AreaLabelOrigin(RECT{10, 10, 20, 30}, text, kSingle);
    EXPECT_EQ(below.x, 20);
    EXPECT_EQ(below.y, 35);
    // Room above: 5 pixels above the text's top.
    const POINT above = qel::AreaLabelOrigin(RECT{100, 18, 300, 400}, text, kSingle);
    EXPECT_EQ(above.y, 0);
    // The monitor's own top counts, not the screen's origin.
    EXPECT_EQ(qel::AreaLabelOrigin(RECT{100, -990, 300, -900}, text, RECT{0, -1000, 1000, 0}).y, -895);
    EXPECT_TRUE(RectIs(qel::AreaLabelBox(POINT{20, 35}, text), 16, 31, 224, 52));
}

TEST(AreaLabel, OnePartPerMonitorWithItsOwnCoordinates) {
    const auto parts = qel::SplitByMonitors(RECT{1000, 100, 1500, 400}, kDualMonitors);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_TRUE(RectIs(parts[0].part, 1000, 100, 1279, 400));
    EXPECT_TRUE(RectIs(parts[1].part, 1280, 100, 1500, 400));
    EXPECT_TRUE(Same(parts[1].monitor, kDualMonitors[1]));
    // Widths add up to the whole area's.
    EXPECT_EQ(qel::AreaLabelText(parts[0].part), L"Left : 1000 Top : 100 Width : 280 Height : 301");
    EXPECT_EQ(qel::AreaLabelText(parts[1].part), L"Left : 1280 Top : 100 Width : 221 Height : 301");
    // Below the shorter monitor only the taller one has a part.
    EXPECT_EQ(qel::SplitByMonitors(RECT{1000, 1030, 1500, 1060}, kDualMonitors).size(), 1u);
    EXPECT_TRUE(qel::SplitByMonitors(RECT{5, 5, 5, 50}, kDualMonitors).empty());
}

// Pixels of a frame shape, as the system's region of it sees them.
bool InShape(const qel::FrameShape& s, int x, int y) {
    qel::UniqueHrgn region(::CreateRectRgnIndirect(&s.outer));
    for (const RECT& h : s.holes) {
        qel::UniqueHrgn cut(::CreateRectRgnIndirect(&h));
        ::CombineRgn(region.get(), region.get(), cut.get(), RGN_DIFF);
    }
    return ::PtInRegion(region.get(), x, y) != FALSE;
}

int RunLength(const qel::FrameShape& s, int x, int y, int dx, int dy) {
    int n = 0;
    while (InShape(s, x, y)) {
        ++n;
        x += dx;
        y += dy;
    }
    return n;
}

TEST(FlashFrame, ThinFrameAndBracketsHaveTheirWidthsAndArms) {
    const qel::FrameShape thin = qel::FlashFrameShape(100, 60, true);
    EXPECT_TRUE(Same(thin.outer, RECT{0, 0, 108, 68}));
    EXPECT_EQ(RunLength(thin, 0, 30, 1, 0), 4);     // left side
    EXPECT_EQ(RunLength(thin, 50, 0, 0, 1), 4);     // top side
    EXPECT_EQ(RunLength(thin, 107, 30, -1, 0), 3);  // right side
    EXPECT_EQ(RunLength(thin, 50, 67, 0, -1), 3);   // bottom side

    const qel::FrameShape thick = qel::FlashFrameShape(100, 60, false);
    EXPECT_TRUE(Same(thick.outer, RECT{0, 0, 116, 76}));
    EXPECT_EQ(RunLength(thick, 0, 0, 1, 0), 24);      // top-left arm, along the top
    EXPECT_EQ(RunLength(thick, 0, 0, 0, 1), 24);      // and down the left
    EXPECT_EQ(RunLength(thick, 115, 75, -1, 0), 27);  // bottom-right arm, along the bottom
    EXPECT_EQ(RunLength(thick, 115, 75, 0, -1), 27);  // and up the right
    EXPECT_EQ(RunLength(thick, 0, 50, 1, 0), 8);      // bracket widths: 8 on the left
    EXPECT_EQ(RunLength(thick, 115, 60, -1, 0), 7);   // 7 on the right
    EXPECT_FALSE(InShape(thick, 50, 0));               // gap between the top arms
    EXPECT_FALSE(InShape(thick, 0, 40));               // gap between the left arms

    // Too small to part the brackets: a closed frame.
    const qel::FrameShape small = qel::FlashFrameShape(30, 20, false);
    EXPECT_TRUE(InShape(small, 20, 0));
    EXPECT_TRUE(InShape(small, 0, 18));
}

TEST(FlashFrame, MovedRectangleStaysOnTheVirtualScreenWithItsSize) {
    const RECT r{100, 100, 200, 160};
    EXPECT_TRUE(RectIs(qel::MoveInsideScreen(r, 30, -20, kSingle), 130, 80, 230, 140));
    EXPECT_TRUE(RectIs(qel::MoveInsideScreen(r, -500, -500, kSingle), 0, 0, 100, 60));
    EXPECT_TRUE(RectIs(qel::MoveInsideScreen(r, -5000, 0, kLeftLayout), -1280, 100, -1180, 160));
    EXPECT_TRUE(RectIs(qel::MoveInsideScreen(r, 5000, 5000, kLeftLayout), 1819, 1019, 1919, 1079));
}

TEST(PickLabel, MovesLeftNearTheRightEdgeAndUpNearTheBottom) {
    const int bw = 120;
    auto at = [&](LONG x, LONG y, const RECT& bounds) { return qel::PickLabelPosition(POINT{x, y}, bw, bounds); };
    POINT p = at(500, 500, kSingle);
    EXPECT_EQ(p.x, 530);
    EXPECT_EQ(p.y, 530);
    p = at(1800, 500, kSingle);  // near the right edge: to the left
    EXPECT_EQ(p.x, 1800 - bw - 30);
    EXPECT_EQ(p.y, 530);
    p = at(500, 1050, kSingle);  // near the bottom: above
    EXPECT_EQ(p.x, 530);
    EXPECT_EQ(p.y, 1050 - 54);
    p = at(1900, 1070, kSingle);  // bottom-right corner: both
    EXPECT_EQ(p.x, 1900 - bw - 30);
    EXPECT_EQ(p.y, 1070 - 54);
    // Bounds of a monitor not at the origin (the left monitor, in client coordinates of the picker).
    p = at(1250, 1000, RECT{0, 0, 1280, 1024});
    EXPECT_EQ(p.x, 1250 - bw - 30);
    EXPECT_EQ(p.y, 1000 - 54);
    EXPECT_EQ(qel::PickLabelText(0x000000FF), L"R:255 G:0 B:0");
    EXPECT_EQ(qel::PickLabelText(0x00804020), L"R:32 G:64 B:128");
}

TEST(PickColor, ReadsPixelsOfBottomUpAndTopDownDibs) {
    // 3 x 2 at 24 bits: rows padded from 9 to 12 bytes.
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 24, 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = 3;
    h->biHeight = 2;
    h->biPlanes = 1;
    h->biBitCount = 24;
    BYTE* bits = block.data() + sizeof(BITMAPINFOHEADER);
    // Bottom-up: the top row (y 0) is stored second; pixel (2, 0) gets blue 1, green 2, red 3.
    bits[12 + 6] = 1;
    bits[12 + 7] = 2;
    bits[12 + 8] = 3;
    COLORREF c = 0;
    ASSERT_TRUE(qel::DibPixelColor(h, 2, 0, &c));
    EXPECT_EQ(c, RGB(3, 2, 1));
    h->biHeight = -2;  // top-down: the same bytes are now row 1
    ASSERT_TRUE(qel::DibPixelColor(h, 2, 1, &c));
    EXPECT_EQ(c, RGB(3, 2, 1));
    c = 42;
    EXPECT_FALSE(qel::DibPixelColor(h, 3, 0, &c));
    EXPECT_FALSE(qel::DibPixelColor(h, 0, -1, &c));
    EXPECT_EQ(c, 42u);
}

// A memory DC holding a patterned bitmap.
struct Canvas {
    static constexpr int W = 400, H = 200;
    qel::UniqueHdc dc{::CreateCompatibleDC(nullptr)};
    qel::UniqueHbitmap bits;
    DWORD* pixels = nullptr;
    HGDIOBJ old = nullptr;
    Canvas() {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        bits.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
        pixels = static_cast<DWORD*>(p);
        for (int i = 0; i < W * H; ++i) pixels[i] = 0x00102030u + static_cast<DWORD>(i * 2654435761u % 0xFFFFFF);
        old = ::SelectObject(dc.get(), bits.get());
    }
    ~Canvas() { ::SelectObject(dc.get(), old); }
    std::vector<DWORD> Copy() {
        ::GdiFlush();
        return std::vector<DWORD>(pixels, pixels + W * H);
    }
};

TEST(AreaMarks, DrawingAndRemovingRestoresEveryPixel) {
    Canvas canvas;
    const std::vector<DWORD> before = canvas.Copy();
    // Two monitors side by side; the DC shows the screen from (1100, 0) on.
    const std::vector<RECT> monitors{{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}};
    const POINT origin{1100, 0};
    auto marks = qel::LayOutAreaMarks(canvas.dc.get(), RECT{1150, 60, 1400, 150}, monitors, origin);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_TRUE(RectIs(marks[0].frame, 50, 60, 179, 150));
    EXPECT_TRUE(RectIs(marks[1].frame, 180, 60, 300, 150));
    EXPECT_EQ(marks[1].text, L"Left : 1280 Top : 60 Width : 121 Height : 91");
    for (auto& m : marks) {
        qel::XorAreaFrame(canvas.dc.get(), m.frame);
        qel::SaveUnderLabel(canvas.dc.get(), m);
        qel::DrawAreaLabel(canvas.dc.get(), m);
    }
    const std::vector<DWORD> drawn = canvas.Copy();
    // The label box is white inside its rounded edge, with black text.
    const RECT& box = marks[0].labelBox;
    EXPECT_EQ(drawn[(box.top + 2) * Canvas::W + box.left + 20] & 0xFFFFFF, 0xFFFFFFu);
    int changed = 0;
    for (size_t i = 0; i < drawn.size(); ++i) changed += drawn[i] != before[i];
    EXPECT_GT(changed, 1000);
    for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
        qel::RestoreUnderLabel(canvas.dc.get(), *it);
        qel::XorAreaFrame(canvas.dc.get(), it->frame);
    }
    EXPECT_TRUE(canvas.Copy() == before);
}

}  // namespace

namespace {

TEST(Eyedropper, IsA32By32CursorWithItsHotSpotOnTheTip) {
    // Loaded from this executable: the resource script is linked into it as into the library.
    HCURSOR cursor = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1000));
    ASSERT_NE(cursor, nullptr);
    qel::IconInfo info(cursor);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.info.xHotspot, 8u);
    EXPECT_EQ(info.info.yHotspot, 23u);
    EXPECT_FALSE(info.info.fIcon);
    BITMAP mask{};
    ASSERT_NE(::GetObjectW(info.mask.get(), sizeof(mask), &mask), 0);
    EXPECT_EQ(mask.bmWidth, 32);
    // A monochrome cursor keeps its AND and XOR masks in one bitmap of twice the height.
    EXPECT_EQ(mask.bmHeight, info.color ? 32 : 64);
    // The tip is opaque: its AND-mask bit is clear.
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::SelectScope select(dc.get(), info.mask.get());
    EXPECT_EQ(::GetPixel(dc.get(), 8, 23) & 0xFFFFFF, 0u);
    EXPECT_EQ(::GetPixel(dc.get(), 0, 0) & 0xFFFFFF, 0xFFFFFFu);  // the corner is transparent
}

}  // namespace
