// Pure rules of the selection: animation at extreme coordinates, the magnifier's placement on monitors
// anywhere in the virtual screen, the labels' wording, and the region shaping of a capture. Ordinary
// glides are checked on the screen, where the highlight must land exactly on the window.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "GdiplusHandles.h"
#include "capture/CaptureSession.h"
#include "capture/Dib.h"
#include "selection/Animators.h"
#include "selection/CaptureFormLayout.h"

using namespace CaptureFormLayout;

namespace {

const Gdiplus::Rect kNoSelection(0, 0, 0, 0);
const Gdiplus::Rect kFreshTarget(INT_MAX, INT_MAX, 0, 0);

::testing::AssertionResult SameRect(const Gdiplus::Rect& got, const Gdiplus::Rect& want) {
    if (got.Equals(want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.X << ", " << got.Y << ", " << got.Width << ", " << got.Height
                                         << ") instead of (" << want.X << ", " << want.Y << ", " << want.Width << ", "
                                         << want.Height << ")";
}

}  // namespace

TEST(RectangleAnimator, ExtremeCoordinatesLandExactlyWithoutOverflow) {
    const int extremes[] = {INT_MIN, INT_MIN + 1, -2000000000, -120, 0, 120, 2000000000, INT_MAX};
    for (int first : extremes)
        for (int last : extremes) {
            EXPECT_EQ(InterpolateCoordinate(first, last, 1.0), last) << first << " -> " << last;
            EXPECT_EQ(InterpolateCoordinate(first, last, 0.0), first) << first << " -> " << last;
        }
    EXPECT_EQ(InterpolateCoordinate(0, INT_MAX, 0.5), 1073741823);
    EXPECT_EQ(InterpolateCoordinate(0, 0, std::nan("")), 0);
    // The magnifier starts its life aimed at INT_MAX; retargeted from there it must still land on screen.
    RectangleAnimator a(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(INT_MAX, INT_MAX, 0, 0), 16);
    for (int i = 0; i < 4; ++i) a.Next();
    a.Retarget(Gdiplus::Rect(-404, 20, 384, 384), 16);
    while (a.HasNext()) a.Next();
    EXPECT_TRUE(SameRect(a.Current(), Gdiplus::Rect(-404, 20, 384, 384)));
}

// The corners of a monitor that does not start at the overlay's origin (the second monitor of a
// side-by-side layout), and of one that does.
TEST(ZoomerPlacement, TakesTheFirstCornerAroundTheCursorThatStaysOnTheMonitor) {
    // A fifth of the shorter side, down to a multiple of four.
    EXPECT_TRUE(ZoomerSide(Gdiplus::Rect(0, 0, 1366, 768)) == 152 && ZoomerSide(Gdiplus::Rect(0, 0, 10, 10)) == 0);
    for (const Gdiplus::Rect monitor : {Gdiplus::Rect(1280, 0, 1920, 1080), Gdiplus::Rect(0, 0, 1280, 1024)}) {
        const int s = ZoomerSide(monitor), back = -20 - s, right = monitor.Width - 1, bottom = monitor.Height - 1;
        const struct { int x, y, ox, oy; } cases[] = {  // cursor from the monitor's corner, expected offset
            {0, 0, 20, 20}, {right, 0, back, 20}, {right, bottom, back, back}, {0, bottom, 20, back},
            {monitor.Width - 20 - s, 9, 20, 20}, {monitor.Width - 19 - s, 9, back, 20}};  // just fits, just does not
        for (const auto& c : cases) {
            const ZoomerPlacement p = PlaceZoomer(monitor, POINT{monitor.X + c.x, monitor.Y + c.y}, kFreshTarget, kNoSelection);
            EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(c.ox, c.oy, s, s))) << c.x << ", " << c.y << " on " << monitor.X;
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
    // A selection under the kept target moves it to the first corner clear of it; touching is not overlapping.
    ZoomerPlacement p = PlaceZoomer(monitor, pos, aboveLeft, Gdiplus::Rect(pos.x - 300, pos.y - 300, 300, 300));
    EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(20, 20, s, s)));
    const Gdiplus::Rect touching(pos.x + 20 + s, pos.y, 100, 100), belowRight(pos.x + 20 + s - 1, pos.y, 100, 100);
    EXPECT_TRUE(SameRect(PlaceZoomer(monitor, pos, kFreshTarget, touching).target, Gdiplus::Rect(20, 20, s, s)));
    EXPECT_TRUE(SameRect(PlaceZoomer(monitor, pos, kFreshTarget, belowRight).target, Gdiplus::Rect(-20 - s, 20, s, s)));
    // A selection covering every corner: overlap is allowed again, keeping a target or taking the first corner.
    EXPECT_TRUE(PlaceZoomer(monitor, pos, aboveLeft, monitor).keep);
    p = PlaceZoomer(monitor, pos, kFreshTarget, monitor);
    EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(20, 20, s, s)));
    // No corner fits: at the cursor. Near the largest coordinates the start target must not wrap into the monitor.
    p = PlaceZoomer(Gdiplus::Rect(0, 0, 60, 60), POINT{30, 30}, kFreshTarget, kNoSelection);  // side 12
    EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(0, 0, 12, 12)));
    const Gdiplus::Rect edge(INT_MAX - 1000, INT_MAX - 1000, 1000, 1000);
    EXPECT_FALSE(PlaceZoomer(edge, POINT{INT_MAX - 500, INT_MAX - 500}, kFreshTarget, kNoSelection).keep);
}

TEST(Labels, WordedForTheModeAndTheWindow) {
    EXPECT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, 3000, 3000), 0.0f, 0.0f), 0.0f);  // unmeasured text: no division
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

namespace {

// Pixel bytes (blue, green, red, alpha) of a bottom-up 32-bit DIB at image coordinates.
BYTE* PixelAt(BITMAPINFOHEADER* dib, int x, int y) {
    return reinterpret_cast<BYTE*>(dib) + dib->biSize + (static_cast<size_t>(dib->biHeight - 1 - y) * dib->biWidth + x) * 4;
}

// An opaque image whose colour tells every pixel's position, so a flipped or shifted copy shows.
UniqueDib PositionImage(int width, int height) {
    UniqueDib dib(QelImageTransform::CDIB32::CreateBlank32BitsDIB(width, height));
    for (int y = 0; dib && y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = PixelAt(dib.get(), x, y);
            p[0] = BYTE(x), p[1] = BYTE(y), p[2] = BYTE(x / 2 + y), p[3] = 255;
        }
    return dib;
}

bool SameColour(BITMAPINFOHEADER* a, BITMAPINFOHEADER* b, int x, int y, int tolerance = 0) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(PixelAt(a, x, y)[c] - PixelAt(b, x, y)[c]) > tolerance) return false;
    return true;
}

}  // namespace

TEST(Shapes, EllipseAndRoundedRectangleShapesClearTheCornersAndKeepTheInsideUpright) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    // Well inside the ellipse: opaque with the source's colour; well outside: transparent. Rim pixels keep
    // the source's colour at whatever coverage the renderer gives them.
    UniqueDib source = PositionImage(200, 100);
    UniqueDib shaped(ShapeDib(source.get(), 2));
    ASSERT_TRUE(source && shaped && shaped->biWidth == 200 && shaped->biHeight == 100 && shaped->biBitCount == 32);
    int wrong = 0, covered = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const double u = (x + 0.5 - 100) / 100, v = (y + 0.5 - 50) / 50, e = u * u + v * v;
            const BYTE alpha = PixelAt(shaped.get(), x, y)[3];
            covered += alpha > 0;
            if (e < 0.9) wrong += alpha != 255 || !SameColour(shaped.get(), source.get(), x, y);
            else if (e > 1.1) wrong += alpha != 0;
            else wrong += alpha > 0 && !SameColour(shaped.get(), source.get(), x, y, 2);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_NEAR(covered, 15708, 400);  // close to the ellipse's area, pi * 100 * 50

    // The rounded rectangle: corners of a circle of radius 10 (an eighth of the shorter side), with a pixel
    // and a half of slack for the rim; the straight edges are not rounded.
    source = PositionImage(160, 80);
    shaped.reset(ShapeDib(source.get(), 3));
    ASSERT_TRUE(shaped && shaped->biWidth == 160 && shaped->biHeight == 80);
    EXPECT_TRUE(PixelAt(shaped.get(), 3, 40)[3] == 255 && SameColour(shaped.get(), source.get(), 80, 5));
    wrong = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            for (int mirror = 0; mirror < 4; ++mirror) {
                const double d = std::hypot(x + 0.5 - 10, y + 0.5 - 10);
                const BYTE alpha = PixelAt(shaped.get(), mirror & 1 ? 159 - x : x, mirror & 2 ? 79 - y : y)[3];
                wrong += (d > 11.5 && alpha != 0) || (d < 8.5 && alpha != 255);
            }
    EXPECT_EQ(wrong, 0);

    // Only ellipses and rounded rectangles of our own 32-bit images are shaped; one pixel is still an image.
    for (int shape : {0, 1, 4, 5, 6}) EXPECT_EQ(ShapeDib(source.get(), shape), nullptr) << shape;
    EXPECT_EQ(ShapeDib(nullptr, 2), nullptr);
    UniqueDib eightBit(QelImageTransform::CBitmapCreator::CreateDibImage(40, 30, 8, 0));
    EXPECT_EQ(ShapeDib(eightBit.get(), 2), nullptr);
    UniqueDib tiny = PositionImage(1, 1), shapedTiny(ShapeDib(tiny.get(), 3));
    EXPECT_TRUE(shapedTiny && shapedTiny->biWidth == 1 && shapedTiny->biHeight == 1);
}
