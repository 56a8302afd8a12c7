#include <gtest/gtest.h>

#include "ScreenTestWindows.h"
#include "capture/Capture.h"
#include "windows/ScreenCopy.h"

namespace {

using Gdiplus::Rect;
using namespace screentest;

class ScreenCopy : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }

    // r copied into capture (a new one when null), compared with the pattern and the cursor drawn at cursorAt.
    void ExpectCopy(ICapture* capture, const Rect& r, Gdiplus::PixelFormat format, const POINT* cursorAt = nullptr) {
        std::unique_ptr<ICapture> created;
        ICapture* result = ScreenGeometry::CaptureRectangle(capture, r);
        if (!capture) created.reset(result);
        ASSERT_NE(result, nullptr);
        if (capture) {
            EXPECT_EQ(result, capture);
        }
        EXPECT_EQ(result->GetLocation().x, r.X);
        EXPECT_EQ(result->GetLocation().y, r.Y);
        auto* image = static_cast<Gdiplus::Bitmap*>(result->GetImage());
        ASSERT_EQ(image->GetWidth(), static_cast<UINT>(r.Width));
        ASSERT_EQ(image->GetHeight(), static_cast<UINT>(r.Height));
        EXPECT_EQ(image->GetPixelFormat(), format);
        std::string first;
        const int wrong = CountMismatches(image, r, [&](int sx, int sy) {
            if (cursorAt && UnderTestCursor(*cursorAt, sx, sy)) return kCursorColor;
            return ExpectedScreenPixel(sx, sy);
        }, &first);
        EXPECT_EQ(wrong, 0) << first;
    }
};

}  // namespace

TEST_F(ScreenCopy, EachMonitorComesBackExactAndOpaque) {
    PatternScreens screens;
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) ExpectCopy(nullptr, m.bounds, PixelFormat24bppRGB);
    // A rectangle across the seam of two monitors that lies wholly on them.
    const Rect screen = ScreenGeometry::VirtualScreenBounds();
    ExpectCopy(nullptr, Rect(screen.X + screen.Width / 2 - 150, 300, 300, 200), PixelFormat24bppRGB);
}

TEST_F(ScreenCopy, PartsOnNoMonitorAreTransparent) {
    PatternScreens screens;
    const Rect screen = ScreenGeometry::VirtualScreenBounds();
    // Over the bottom-right corner of the whole screen.
    ExpectCopy(nullptr, Rect(screen.X + screen.Width - 60, screen.Height - 40, 100, 90), PixelFormat32bppARGB);
    // Across the gap below the shorter of two monitors, and the seam beside it.
    const MonitorList& monitors = ScreenGeometry::ListMonitors();
    if (monitors.size() == 2) {
        const Rect& a = monitors.front().bounds;
        const Rect& b = monitors.back().bounds;
        const Rect& shorter = a.Height < b.Height ? a : b;
        const int seam = std::max(a.X, b.X);
        ExpectCopy(nullptr, Rect(seam - 250, shorter.Height - 120, 500, 170), PixelFormat32bppARGB);
    }
}

TEST_F(ScreenCopy, CursorIsDrawnAtItsLocationOnlyWhenVisible) {
    PatternScreens screens;
    qel::UniqueHicon cursor = MakeTestCursor();
    ASSERT_TRUE(cursor);
    const Rect monitor = ScreenGeometry::ListMonitors().back().bounds;
    Capture capture;
    capture.SetCursor(cursor.get());
    const POINT at{monitor.X + 300, monitor.Y + 200};
    capture.SetCursorLocation(at);
    ExpectCopy(&capture, monitor, PixelFormat24bppRGB);
    capture.SetCursorVisible(true);
    ExpectCopy(&capture, monitor, PixelFormat24bppRGB, &at);
    // Partly outside the rectangle: drawn, clipped. Beside it, touching the edge: not drawn.
    const Rect part(at.x + 8, at.y - 10, 200, 100);
    ExpectCopy(&capture, part, PixelFormat24bppRGB, &at);
    ExpectCopy(&capture, Rect(at.x + 32, at.y, 100, 100), PixelFormat24bppRGB);
}

TEST_F(ScreenCopy, EmptyRectangleGivesNoImage) {
    EXPECT_EQ(ScreenGeometry::CopyScreenRectangle(nullptr, Rect(10, 10, 0, 5)), nullptr);
    EXPECT_EQ(ScreenGeometry::CopyScreenRectangle(nullptr, Rect(10, 10, 5, -1)), nullptr);
    EXPECT_EQ(ScreenGeometry::CaptureRectangle(nullptr, Rect(0, 0, 0, 0)), nullptr);
    // A capture handed in loses its old image and takes the location, but is not returned.
    Capture capture;
    capture.SetImage(new Gdiplus::Bitmap(4, 4, PixelFormat24bppRGB));
    EXPECT_EQ(ScreenGeometry::CaptureRectangle(&capture, Rect(3, 4, 10, 0)), nullptr);
    EXPECT_EQ(capture.GetImage(), nullptr);
    EXPECT_EQ(capture.GetLocation().x, 3);
}
