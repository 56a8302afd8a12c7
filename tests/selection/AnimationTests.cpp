// Easing curves and rectangle animators (pure arithmetic), and the region shaping of the selection.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/CaptureSession.h"
#include "capture/Dib.h"
#include "selection/Animators.h"

namespace {

constexpr EasingType kTypes[] = {EasingType::Step,  EasingType::Linear,  EasingType::Sine,   EasingType::Quadratic,
                                 EasingType::Cubic, EasingType::Quartic, EasingType::Quintic};
constexpr EasingMode kModes[] = {EasingMode::EaseIn, EasingMode::EaseOut, EasingMode::EaseInOut};

::testing::AssertionResult SameRect(const Gdiplus::Rect& got, const Gdiplus::Rect& want) {
    if (got.Equals(want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.X << ", " << got.Y << ", " << got.Width << ", " << got.Height
                                         << ") instead of (" << want.X << ", " << want.Y << ", " << want.Width << ", "
                                         << want.Height << ")";
}

}  // namespace

TEST(Easing, EveryCurveAtAQuarterRunsFromZeroToOneWithoutGoingBack) {
    // Values at t = 0.25, worked out by hand from the curve definitions: in, out, in-out.
    const double quarter[][3] = {{0.0, 0.0, 0.0},
                                 {0.25, 0.25, 0.25},
                                 {1.0 - 0.92387953251128674, 0.38268343236508978, (1.0 - 0.70710678118654752) / 2},
                                 {0.0625, 0.4375, 0.125},
                                 {0.015625, 0.578125, 0.0625},
                                 {0.00390625, 0.68359375, 0.03125},
                                 {0.0009765625, 0.7626953125, 0.015625}};
    for (int t = 0; t < 7; ++t)
        for (int m = 0; m < 3; ++m) {
            SCOPED_TRACE(testing::Message() << t << "/" << m);
            EXPECT_NEAR(Easing::Ease(0.25, kTypes[t], kModes[m]), quarter[t][m], 1e-12);
            EXPECT_NEAR(Easing::Ease(0.0, kTypes[t], kModes[m]), 0.0, 1e-15);
            EXPECT_NEAR(Easing::Ease(1.0, kTypes[t], kModes[m]), 1.0, 1e-15);
            double previous = 0.0;
            for (int i = 0; i <= 64; ++i) {
                const double f = Easing::Ease(i / 64.0, kTypes[t], kModes[m]);
                EXPECT_TRUE(f >= previous - 1e-15 && f <= 1.0 + 1e-15) << i;
                previous = f;
            }
        }
    // Step jumps at one half; unknown types give 0, unknown modes ease in.
    EXPECT_TRUE(Easing::Ease(0.4999999, EasingType::Step, EasingMode::EaseOut) == 0.0 &&
                Easing::Ease(0.5, EasingType::Step, EasingMode::EaseOut) == 1.0);
    for (int raw : {-1, 7, 1000}) EXPECT_EQ(Easing::Ease(0.7, static_cast<EasingType>(raw), EasingMode::EaseInOut), 0.0);
    EXPECT_EQ(Easing::Ease(0.25, EasingType::Cubic, static_cast<EasingMode>(42)), 0.015625);
}

TEST(RectangleAnimator, LegsFollowTheirCurveTruncatingAndRetargetRunsFromWhereItStands) {
    // Two frames: f(0.5) = 1 - 0.5^5 = 0.96875; 96.875 and -96.875 toward zero.
    RectangleAnimator two(Gdiplus::Rect(0, 0, 100, 10), Gdiplus::Rect(100, -100, 0, 10), 2);
    EXPECT_TRUE(SameRect(two.Next(), Gdiplus::Rect(96, -96, 4, 10)));
    EXPECT_TRUE(SameRect(two.Next(), Gdiplus::Rect(100, -100, 0, 10)));
    EXPECT_FALSE(two.HasNext() || two.NextFrame());
    EXPECT_TRUE(SameRect(two.Next(), Gdiplus::Rect(100, -100, 0, 10)));  // and then stays

    RectangleAnimator a(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(1000, 500, 200, 100), 11);
    a.QueueLeg(Gdiplus::Rect(7, 7, 7, 7), 4, EasingType::Linear, EasingMode::EaseIn);
    for (int i = 0; i < 3; ++i) a.Next();
    const Gdiplus::Rect here = a.Current(), target(-50, -60, 10, 20);
    ASSERT_TRUE(here.X > 0 && here.X < 1000);
    a.Retarget(target, 5);  // drops the queued leg
    EXPECT_TRUE(SameRect(a.First(), here) && SameRect(a.FinalTarget(), target));
    int frames = 0;
    for (; a.HasNext(); ++frames) a.Next();
    EXPECT_EQ(frames, 5);
    EXPECT_TRUE(SameRect(a.Current(), target));

    // Queued legs run in order with their own curve; taking a leg spends a frame on its start.
    RectangleAnimator q(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(0, 0, 0, 0), 0);
    q.QueueLeg(Gdiplus::Rect(-10, 10, 7, -7), 3, EasingType::Linear, EasingMode::EaseIn);
    q.QueueLeg(Gdiplus::Rect(20, 20, 20, 20), 1, EasingType::Step, EasingMode::EaseOut);
    const Gdiplus::Rect expected[] = {{0, 0, 0, 0}, {-3, 3, 2, -2}, {-6, 6, 4, -4}, {-10, 10, 7, -7}, {-10, 10, 7, -7}, {20, 20, 20, 20}};
    for (const Gdiplus::Rect& e : expected) EXPECT_TRUE(SameRect(q.Next(), e));
    EXPECT_FALSE(q.HasNext());
}

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

namespace {

class Shapes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }
};

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
            p[0] = static_cast<BYTE>(x);
            p[1] = static_cast<BYTE>(y);
            p[2] = static_cast<BYTE>(x / 2 + y);
            p[3] = 255;
        }
    return dib;
}

bool SameColour(BITMAPINFOHEADER* a, BITMAPINFOHEADER* b, int x, int y, int tolerance = 0) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(PixelAt(a, x, y)[c] - PixelAt(b, x, y)[c]) > tolerance) return false;
    return true;
}

}  // namespace

TEST_F(Shapes, EllipseAndRoundedRectangleShapesClearTheCornersAndKeepTheInsideUpright) {
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
