// Monitor geometry, on made-up lists and on the layout's own monitors, and screen copies of
// real pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <tuple>

#include "ScreenTestWindows.h"
#include "capture/Capture.h"
#include "windows/ScreenCopy.h"

namespace {

using Gdiplus::Rect;
using ScreenGeometry::MonitorBoundsAt;
using namespace screentest;

std::tuple<int, int, int, int> T(const Rect& r) { return {r.X, r.Y, r.Width, r.Height}; }

}  // namespace

TEST(ScreenGeometryMath, APointOnNoMonitorGetsTheMonitorWithTheNearestCentre) {
    const Rect a(0, 0, 1280, 1024), b(1280, 0, 1920, 1080);
    const MonitorList dual{{a, a}, {b, b}};
    EXPECT_EQ(T(MonitorBoundsAt(dual, POINT{1280, 0})), T(b));  // a's right edge is not a's
    // In the gap below the shorter monitor: centre (640, 512) is nearer than (2240, 540).
    EXPECT_EQ(T(MonitorBoundsAt(dual, POINT{1270, 1070})), T(a));
    EXPECT_EQ(T(MonitorBoundsAt(MonitorList{}, POINT{0, 0})), T(Rect()));
}

TEST(ScreenGeometrySystem, MonitorsAndBoundsOfTheLayout) {
    std::vector<Rect> want{Rect(0, 0, 1920, 1080)};
    if (qeltest::Layout() == "dual") want = {Rect(0, 0, 1280, 1024), Rect(1280, 0, 1920, 1080)};
    if (qeltest::Layout() == "left") want.push_back(Rect(-1280, 0, 1280, 1024));
    // Two threads race for the first fill; both must get the one complete list.
    const MonitorList* fromThread = nullptr;
    std::thread other([&] { fromThread = &ScreenGeometry::ListMonitors(); });
    const MonitorList& monitors = ScreenGeometry::ListMonitors();
    other.join();
    EXPECT_EQ(fromThread, &monitors);
    ASSERT_EQ(monitors.size(), want.size());
    EXPECT_EQ(T(ScreenGeometry::VirtualScreenBounds()), T(want.size() == 1 ? want[0] : Rect(std::min(want[0].X, want[1].X), 0, 3200, 1080)));
    for (const MonitorEntry& m : monitors) {
        EXPECT_TRUE(std::any_of(want.begin(), want.end(), [&](const Rect& w) { return w.Equals(m.bounds); }));
        EXPECT_EQ(T(MonitorBoundsAt(POINT{m.bounds.X + m.bounds.Width - 1, m.bounds.Y})), T(m.bounds));
    }
}

namespace {

// r copied into capture, compared with the pattern.
void ExpectCopy(Capture& capture, const Rect& r, Gdiplus::PixelFormat format) {
    ASSERT_EQ(ScreenGeometry::CaptureRectangle(&capture, r), &capture);
    EXPECT_TRUE(capture.GetLocation().x == r.X && capture.GetLocation().y == r.Y);
    auto* image = static_cast<Gdiplus::Bitmap*>(capture.GetImage());
    ASSERT_EQ(qeltest::SizeOf(image), qeltest::Size(r.Width, r.Height));
    EXPECT_EQ(image->GetPixelFormat(), format);
    qel::BitmapBitsLock bits(image, Rect(0, 0, r.Width, r.Height), Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    ASSERT_TRUE(bits.ok());
    auto got = [&](int x, int y) { return reinterpret_cast<const Gdiplus::ARGB*>(bits.scan0() + y * bits.data().Stride)[x]; };
    std::string first;
    EXPECT_EQ(CountDifferences(r.X, r.Y, r.Width, r.Height, got, ExpectedScreenPixel, &first), 0) << first;
}

}  // namespace

TEST(ScreenCopy, MonitorsAreExactAndOpaqueAndPartsOnNoMonitorTransparent) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    PatternScreens screens;
    Capture capture;
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) ExpectCopy(capture, m.bounds, PixelFormat32bppRGB);
    const Rect screen = ScreenGeometry::VirtualScreenBounds();
    ExpectCopy(capture, Rect(screen.X + screen.Width / 2 - 150, 300, 300, 200), PixelFormat32bppRGB);  // across a seam
    ExpectCopy(capture, Rect(screen.X + screen.Width - 60, screen.Height - 40, 100, 90), PixelFormat32bppARGB);
    const Rect &a = ScreenGeometry::ListMonitors().front().bounds, &b = ScreenGeometry::ListMonitors().back().bounds;
    if (a.Height != b.Height)  // across the gap below the shorter monitor, and the seam beside it
        ExpectCopy(capture, Rect(std::max(a.X, b.X) - 250, std::min(a.Height, b.Height) - 120, 500, 170), PixelFormat32bppARGB);

    // An empty rectangle gives no image; the capture loses its old one.
    EXPECT_EQ(ScreenGeometry::CopyScreenRectangle(nullptr, Rect(10, 10, 5, -1)), nullptr);
    EXPECT_TRUE(ScreenGeometry::CaptureRectangle(&capture, Rect(3, 4, 10, 0)) == nullptr && capture.GetImage() == nullptr);
}
