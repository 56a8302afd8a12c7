#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "TestSupport.h"
#include "windows/ScreenGeometry.h"

namespace {

using Gdiplus::Rect;

MonitorList Monitors(std::initializer_list<Rect> bounds) {
    MonitorList list;
    for (const Rect& b : bounds) list.push_back(MonitorEntry{b, b, nullptr});
    return list;
}

void ExpectRect(const Rect& got, const Rect& want) {
    EXPECT_TRUE(got.Equals(want)) << "(" << got.X << ", " << got.Y << ", " << got.Width << ", " << got.Height
                                  << "), expected (" << want.X << ", " << want.Y << ", " << want.Width << ", "
                                  << want.Height << ")";
}

}  // namespace

TEST(ScreenGeometryMath, BoundsAlwaysContainTheOrigin) {
    ExpectRect(ScreenGeometry::BoundsOf({}), Rect(0, 0, 0, 0));
    ExpectRect(ScreenGeometry::BoundsOf(Monitors({Rect(100, 50, 300, 200)})), Rect(0, 0, 400, 250));
    ExpectRect(ScreenGeometry::BoundsOf(Monitors({Rect(-300, -200, 100, 100)})), Rect(-300, -200, 300, 200));
    ExpectRect(ScreenGeometry::BoundsOf(Monitors({Rect(0, 0, 1920, 1080), Rect(-1280, 0, 1280, 1024)})),
               Rect(-1280, 0, 3200, 1080));
}

TEST(ScreenGeometryMath, MonitorAtPointContainedOrNearest) {
    const MonitorList dual = Monitors({Rect(0, 0, 1280, 1024), Rect(1280, 0, 1920, 1080)});
    ExpectRect(ScreenGeometry::MonitorBoundsAt(dual, POINT{1279, 1023}), Rect(0, 0, 1280, 1024));
    // Right and bottom edges belong to the neighbour or to nobody.
    ExpectRect(ScreenGeometry::MonitorBoundsAt(dual, POINT{1280, 0}), Rect(1280, 0, 1920, 1080));
    // In the gap below the shorter monitor: centre (640, 512) is nearer than (2240, 540).
    ExpectRect(ScreenGeometry::MonitorBoundsAt(dual, POINT{1270, 1070}), Rect(0, 0, 1280, 1024));
    ExpectRect(ScreenGeometry::MonitorBoundsAt(dual, POINT{5000, -20}), Rect(1280, 0, 1920, 1080));
    // Equally near: the one listed first.
    const MonitorList pair = Monitors({Rect(0, 0, 100, 100), Rect(100, 0, 100, 100)});
    ExpectRect(ScreenGeometry::MonitorBoundsAt(pair, POINT{100, 150}), Rect(0, 0, 100, 100));
    const MonitorList swapped = Monitors({Rect(100, 0, 100, 100), Rect(0, 0, 100, 100)});
    ExpectRect(ScreenGeometry::MonitorBoundsAt(swapped, POINT{100, 150}), Rect(100, 0, 100, 100));
    ExpectRect(ScreenGeometry::MonitorBoundsAt(MonitorList{}, POINT{0, 0}), Rect(0, 0, 0, 0));
}

TEST(ScreenGeometryMath, OverlapAndCoverage) {
    const Rect r(10, 10, 20, 20);
    EXPECT_TRUE(ScreenGeometry::Overlaps(r, Rect(29, 29, 5, 5)));
    EXPECT_TRUE(ScreenGeometry::Overlaps(r, Rect(-5, -5, 16, 16)));
    EXPECT_FALSE(ScreenGeometry::Overlaps(r, Rect(30, 10, 5, 5)));  // touches the right edge
    EXPECT_FALSE(ScreenGeometry::Overlaps(r, Rect(10, -5, 5, 15)));  // touches the top edge

    const MonitorList left = Monitors({Rect(0, 0, 1920, 1080), Rect(-1280, 0, 1280, 1024)});
    EXPECT_TRUE(ScreenGeometry::CoveredByMonitors(left, Rect(-100, 500, 200, 524)));  // across the seam
    EXPECT_FALSE(ScreenGeometry::CoveredByMonitors(left, Rect(-100, 500, 200, 525)));  // one row in the gap
    EXPECT_FALSE(ScreenGeometry::CoveredByMonitors(left, Rect(1900, 0, 21, 10)));
    EXPECT_FALSE(ScreenGeometry::CoveredByMonitors(MonitorList{}, Rect(0, 0, 1, 1)));
    // Pieces from several monitors that together cover the rectangle.
    const MonitorList quad = Monitors({Rect(0, 0, 50, 50), Rect(50, 0, 50, 50), Rect(0, 50, 50, 50),
                                       Rect(50, 50, 50, 50)});
    EXPECT_TRUE(ScreenGeometry::CoveredByMonitors(quad, Rect(10, 10, 80, 80)));
}

TEST(ScreenGeometrySystem, MonitorsAndBoundsOfTheLayout) {
    std::vector<Rect> want;
    Rect screen;
    const std::string layout = qeltest::Layout();
    if (layout == "dual") {
        want = {Rect(0, 0, 1280, 1024), Rect(1280, 0, 1920, 1080)};
        screen = Rect(0, 0, 3200, 1080);
    } else if (layout == "left") {
        want = {Rect(0, 0, 1920, 1080), Rect(-1280, 0, 1280, 1024)};
        screen = Rect(-1280, 0, 3200, 1080);
    } else {
        want = {Rect(0, 0, 1920, 1080)};
        screen = Rect(0, 0, 1920, 1080);
    }

    // The first fill races with another thread; both must see the same, complete list.
    const MonitorList* fromThread = nullptr;
    std::thread other([&] { fromThread = &ScreenGeometry::ListMonitors(); });
    const MonitorList& monitors = ScreenGeometry::ListMonitors();
    other.join();
    EXPECT_EQ(fromThread, &monitors);
    ASSERT_EQ(monitors.size(), want.size());
    for (const MonitorEntry& m : monitors) {
        EXPECT_TRUE(std::any_of(want.begin(), want.end(), [&](const Rect& w) { return w.Equals(m.bounds); }))
            << m.bounds.X << "," << m.bounds.Y;
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(::GetMonitorInfoW(m.monitor, &info));
        EXPECT_EQ(info.rcMonitor.left, m.bounds.X);
        EXPECT_EQ(info.rcWork.right - info.rcWork.left, m.workingArea.Width);
    }
    ExpectRect(ScreenGeometry::VirtualScreenBounds(), screen);

    for (const Rect& w : want) {
        ExpectRect(ScreenGeometry::MonitorBoundsAt(POINT{w.X, w.Y}), w);
        ExpectRect(ScreenGeometry::MonitorBoundsAt(POINT{w.X + w.Width - 1, w.Y + w.Height - 1}), w);
    }
    if (want.size() == 2) {
        // Just below the shorter monitor, near its outer corner: that monitor's centre is nearest.
        const Rect& shorter = want[0].Height < want[1].Height ? want[0] : want[1];
        const LONG outerX = shorter.X < 0 ? shorter.X : shorter.X + 5;
        ExpectRect(ScreenGeometry::MonitorBoundsAt(POINT{outerX, shorter.Height + 10}), shorter);
    }
    const POINT o = ScreenGeometry::ToOverlayCoordinates(POINT{0, 0});
    EXPECT_EQ(o.x, -screen.X);
    EXPECT_EQ(o.y, -screen.Y);
}
