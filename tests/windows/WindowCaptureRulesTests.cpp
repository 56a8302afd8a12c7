// The placement, growth, colour and corner rules of window capture, on made-up monitor lists.
#include <gtest/gtest.h>

#include <utility>

#include "GdiplusHandles.h"
#include "capture/ImageHelpers.h"
#include "windows/WindowCapture.h"

namespace {

using Gdiplus::Rect;
using namespace WindowCapture;

MonitorEntry Monitor(Rect bounds, Rect workingArea) { return MonitorEntry{bounds, workingArea, nullptr}; }
MonitorEntry Monitor(Rect bounds) { return Monitor(bounds, bounds); }

// 1280 x 1024 primary with 1920 x 1080 to its right: the second is taller, leaving a gap below the first.
MonitorList Dual() { return {Monitor(Rect(0, 0, 1280, 1024)), Monitor(Rect(1280, 0, 1920, 1080))}; }

void ExpectPlaced(const ThumbnailPlacement& p, LONG x, LONG y, bool fits) {
    EXPECT_TRUE(p.location.x == x && p.location.y == y && p.fits == fits) << p.location.x << "," << p.location.y << " " << p.fits;
}

}  // namespace

TEST(WindowCaptureRules, AThumbnailIsPlacedWhereAMonitorHoldsAllFourCornerPoints) {
    const MonitorList single{Monitor(Rect(0, 0, 1920, 1080))};
    ExpectPlaced(PlaceThumbnail(single, Rect(100, 50, 400, 300)), 100, 50, true);
    ExpectPlaced(PlaceThumbnail(single, Rect(0, 0, 1919, 1079)), 0, 0, true);
    // The corner point at X + Width of a window ending on the last column lies off the monitor.
    ExpectPlaced(PlaceThumbnail(single, Rect(1520, 100, 400, 300)), 0, 0, true);
    ExpectPlaced(PlaceThumbnail(Dual(), Rect(1000, 100, 600, 400)), 1000, 100, true);  // across the seam
    ExpectPlaced(PlaceThumbnail(Dual(), Rect(1200, 700, 400, 340)), 0, 0, true);     // a corner in the gap
    // Taskbar along the top of the first monitor, along the left of the second: working-area origins
    // are tried, but the thumbnail goes to the monitor's origin.
    const MonitorList monitors{Monitor(Rect(0, 0, 1280, 1024), Rect(0, 40, 1280, 984)),
                               Monitor(Rect(1280, 0, 1920, 1080), Rect(1330, 0, 1870, 1080))};
    ExpectPlaced(PlaceThumbnail(monitors, Rect(-50, 10, 600, 990)), 1280, 0, true);
    ExpectPlaced(PlaceThumbnail(monitors, Rect(-50, 10, 600, 980)), 0, 0, true);
    ExpectPlaced(PlaceThumbnail(monitors, Rect(100, 100, 1500, 1050)), 1280, 0, true);
    // Nothing holds it: the window's own origin, not fitting.
    ExpectPlaced(PlaceThumbnail(monitors, Rect(-300, 20, 1900, 1100)), -300, 20, false);
    ExpectPlaced(PlaceThumbnail({}, Rect(10, 20, 30, 40)), 10, 20, false);
}

TEST(WindowCaptureRules, CornerTestAgreesWithAUnitedGdiplusRegion) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    for (const MonitorList& monitors : {Dual(), MonitorList{Monitor(Rect(0, 0, 1920, 1080)), Monitor(Rect(-1280, 0, 1280, 1024))}}) {
        Gdiplus::Region region(monitors.front().bounds);
        region.Union(monitors.back().bounds);
        for (int x : {-1281, -1280, -1, 0, 1, 1279, 1280, 1919, 1920, 3199, 3200})
            for (int y : {-1, 0, 1023, 1024, 1079, 1080})
                for (std::pair<int, int> size : {std::pair<int, int>{1, 1}, {0, 0}, {1, 57}, {641, 1}}) {
                    const Rect r(x, y, size.first, size.second);
                    ASSERT_EQ(CornersOnMonitors(monitors, r), ImageHelpers::RegionContainsRectangle(&region, r.X, r.Y, r.Width, r.Height))
                        << r.X << "," << r.Y << " " << r.Width << "x" << r.Height;
                }
    }
}

TEST(WindowCaptureRules, GrowthExclusionsAndCornersOfSmallImages) {
    auto expect = [](const Rect& r, int x, int y, int w, int h) {
        EXPECT_TRUE(r.X == x && r.Y == y && r.Width == w && r.Height == h) << r.X << "," << r.Y << " " << r.Width << "x" << r.Height;
    };
    // Grown by the borders when maximised, by the growth only from Windows 10 otherwise.
    const POINT at{100, 50};
    const SIZE source{800, 600}, borders{4, 3}, growth{7, 2};
    expect(ThumbnailCaptureRectangle(at, source, true, borders, false, growth), 96, 47, 808, 606);
    expect(ThumbnailCaptureRectangle(at, source, true, borders, true, growth), 96, 47, 808, 606);
    expect(ThumbnailCaptureRectangle(at, source, false, borders, true, growth), 93, 48, 814, 604);
    expect(ThumbnailCaptureRectangle(at, source, false, borders, false, growth), 100, 50, 800, 600);
    // Exclusions match whole descriptions exactly.
    EXPECT_FALSE(ProductPermitted({L"IntelliJ IDEA", L"Citrix ICA Client"}, L"Citrix ICA Client"));
    for (const wchar_t* other : {L"intellij idea", L"IntelliJ IDEA ", L"IntelliJ", L""})
        EXPECT_TRUE(ProductPermitted({L"IntelliJ IDEA"}, other)) << other;
    // Corner pixels of an image smaller than the corners stay inside it.
    const std::vector<int> rows{5, 3, 2, 1, 1};
    EXPECT_EQ(CornerPixels(100, 50, rows).size(), 48u);
    for (const POINT& p : CornerPixels(3, 2, rows)) EXPECT_TRUE(p.x >= 0 && p.x < 3 && p.y >= 0 && p.y < 2);
    EXPECT_TRUE(CornerPixels(0, 0, rows).empty());
}
