// Pure rules of the shape windows: where a fixed-size rectangle lies, what a tick repaints, and how a long
// outline is filled and stroked straight into pixels.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "selection/OutlineRaster.h"
#include "selection/OverlayLayout.h"

using namespace OverlayLayout;

namespace {

bool Is(const Gdiplus::Rect& r, int x, int y, int w, int h) { return r.X == x && r.Y == y && r.Width == w && r.Height == h; }

// A w x h picture of one colour, and the number of its pixels that are no longer that colour.
struct Canvas {
    Canvas(int w, int h, uint32_t color) : pixels(size_t(w) * h, color), width(w), height(h) {}
    OutlineRaster::Target Target() { return {pixels.data(), width, RECT{0, 0, width, height}}; }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    std::vector<uint32_t> pixels;
    int width, height;
};

}  // namespace

// The four corners and the centre at positive coordinates are placed by the shape window tests under real keys.
TEST(FixedRectangle, LiesOnTheCursorByItsAnchor) {
    const Gdiplus::Rect old(7, 8, 101, 61);
    EXPECT_TRUE(Is(PlaceAtAnchor(POINT{-5, -5}, 4, 101, 61, old), -55, -35, 101, 61));  // odd halves truncate toward zero
    EXPECT_TRUE(Is(PlaceAtAnchor(POINT{500, 300}, 9, 40, 30, old), 7, 8, 40, 30));  // unknown anchor: the corner stays
    // Old and new rectangle, with room for labels 20 x 12 above and to the left.
    EXPECT_TRUE(Is(LabelledRepaintBox(Gdiplus::Rect(100, 100, 50, 40), Gdiplus::Rect(110, 90, 50, 40), 20, 12),
                   100 - 37, 90 - 24, 160 + 2 - 63, 140 + 2 - 66));
    const POINT points[] = {{30, 40}, {10, 90}, {70, 60}};
    EXPECT_TRUE(Is(PointBounds(points, 3), 10, 40, 60, 50));
    EXPECT_TRUE(Is(PointBounds(points, 0), 0, 0, 0, 0));
}

TEST(ChangedOutline, BandsCoverEveryPixelOfTheSliverAndLittleMore) {
    // A thin sliver across a large area, as the closing edge of a long trail sweeps it.
    const POINT sliver[] = {{10, 10}, {900, 600}, {906, 596}};
    const std::vector<Gdiplus::Rect> cover = BandCover(sliver, 3, 16, 3);
    long long area = 0;
    for (const Gdiplus::Rect& r : cover) area += 1LL * r.Width * r.Height;
    EXPECT_LT(area, 900LL * 600 / 10);
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        // Points on the sliver's edges and inside it.
        const double s = std::uniform_real_distribution<double>(0, 1)(random), t = std::uniform_real_distribution<double>(0, 1 - s)(random);
        const double x = 10 + s * 890 + t * 896, y = 10 + s * 590 + t * 586;
        bool covered = false;
        for (const Gdiplus::Rect& r : cover) covered = covered || (x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height);
        ASSERT_TRUE(covered) << x << ", " << y;
    }
}

TEST(OutlineRaster, FillsEvenOddWithinTheClipAndStrokesEachPixelOnce) {
    const uint32_t white = 0xFFFFFFFF, fill = 0x80000000, half = OutlineRaster::BlendOver(white, fill);
    EXPECT_EQ(half, 0xFF7F7F7Fu);
    // A square from (2, 2) to (6, 6): the pixels 2..5 on both axes, the left and top edges included.
    Canvas square(10, 10, white);
    const POINT corners[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
    const RECT all{0, 0, 10, 10};
    OutlineRaster::FillPolygon(square.Target(), &all, 1, corners, 4, fill);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(square.At(x, y), x >= 2 && x < 6 && y >= 2 && y < 6 ? half : white) << x << ", " << y;
    // A five-pointed star: the even-odd rule leaves the pentagon in the middle empty. On row 22 its edges
    // cross at 10.67, 13.05, 26.95 and 29.33.
    const POINT star[] = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
    Canvas left(40, 40, white), whole(40, 40, white);
    const RECT leftHalf{0, 0, 20, 40}, wholeArea{0, 0, 40, 40};
    OutlineRaster::FillPolygon(left.Target(), &leftHalf, 1, star, 5, fill);
    OutlineRaster::FillPolygon(whole.Target(), &wholeArea, 1, star, 5, fill);
    EXPECT_TRUE(left.At(10, 22) == white && left.At(11, 22) == half && left.At(13, 22) == half && left.At(14, 22) == white);
    EXPECT_TRUE(left.At(28, 22) == white && whole.At(27, 22) == half && whole.At(29, 22) == half && whole.At(20, 22) == white &&
                whole.At(30, 22) == white);

    // An L of two strokes: the corner is blended once; two pixels wide doubles the horizontal leg downward.
    Canvas stroke(20, 20, white);
    const POINT ell[] = {{2, 2}, {2, 10}, {12, 10}};
    const RECT clip{0, 0, 20, 11};
    OutlineRaster::StrokePolyline(stroke.Target(), &clip, 1, ell, 3, false, 2, fill);
    EXPECT_TRUE(stroke.At(2, 10) == half && stroke.At(3, 5) == half && stroke.At(12, 10) == half);
    EXPECT_TRUE(stroke.At(8, 11) == white && stroke.At(4, 5) == white);  // below the clip, beside the line
    // Closed: the third edge back to the first point appears.
    Canvas closed(20, 20, white);
    OutlineRaster::StrokePolyline(closed.Target(), &all, 1, ell, 3, true, 1, fill);
    EXPECT_EQ(closed.At(7, 6), half);
}
