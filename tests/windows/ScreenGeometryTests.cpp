#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <tuple>

#include "TestSupport.h"
#include "windows/ScreenGeometry.h"

namespace {

using Gdiplus::Rect;
using ScreenGeometry::MonitorBoundsAt;

MonitorList Monitors(std::initializer_list<Rect> bounds) {
    MonitorList list;
    for (const Rect& b : bounds) list.push_back(MonitorEntry{b, b, nullptr});
    return list;
}

std::tuple<int, int, int, int> T(const Rect& r) { return {r.X, r.Y, r.Width, r.Height}; }

}  // namespace

TEST(ScreenGeometryMath, BoundsAlwaysContainTheOrigin) {
    EXPECT_EQ(T(ScreenGeometry::BoundsOf({})), T(Rect(0, 0, 0, 0)));
    EXPECT_EQ(T(ScreenGeometry::BoundsOf(Monitors({Rect(100, 50, 300, 200)}))), T(Rect(0, 0, 400, 250)));
    EXPECT_EQ(T(ScreenGeometry::BoundsOf(Monitors({Rect(-300, -200, 100, 100)}))), T(Rect(-300, -200, 300, 200)));
}

TEST(ScreenGeometryMath, MonitorAtPointContainedOrNearest) {
    const Rect a(0, 0, 1280, 1024), b(1280, 0, 1920, 1080);
    const MonitorList dual = Monitors({a, b});
    EXPECT_EQ(T(MonitorBoundsAt(dual, POINT{1279, 1023})), T(a));
    EXPECT_EQ(T(MonitorBoundsAt(dual, POINT{1280, 0})), T(b));  // a's right edge is not a's
    // In the gap below the shorter monitor: centre (640, 512) is nearer than (2240, 540).
    EXPECT_EQ(T(MonitorBoundsAt(dual, POINT{1270, 1070})), T(a));
    EXPECT_EQ(T(MonitorBoundsAt(dual, POINT{5000, -20})), T(b));
    // Equally near: the one listed first.
    const Rect l(0, 0, 100, 100), r(100, 0, 100, 100);
    EXPECT_EQ(T(MonitorBoundsAt(Monitors({l, r}), POINT{100, 150})), T(l));
    EXPECT_EQ(T(MonitorBoundsAt(Monitors({r, l}), POINT{100, 150})), T(r));
    EXPECT_EQ(T(MonitorBoundsAt(MonitorList{}, POINT{0, 0})), T(Rect()));
}

TEST(ScreenGeometryMath, OverlapAndCoverage) {
    const Rect r(10, 10, 20, 20);
    EXPECT_TRUE(ScreenGeometry::Overlaps(r, Rect(29, 29, 5, 5)));
    EXPECT_TRUE(ScreenGeometry::Overlaps(r, Rect(-5, -5, 16, 16)));
    EXPECT_FALSE(ScreenGeometry::Overlaps(r, Rect(30, 10, 5, 5)));   // touches the right edge
    EXPECT_FALSE(ScreenGeometry::Overlaps(r, Rect(10, -5, 5, 15)));  // touches the top edge

    const MonitorList left = Monitors({Rect(0, 0, 1920, 1080), Rect(-1280, 0, 1280, 1024)});
    EXPECT_TRUE(ScreenGeometry::CoveredByMonitors(left, Rect(-100, 500, 200, 524)));   // across the seam
    EXPECT_FALSE(ScreenGeometry::CoveredByMonitors(left, Rect(-100, 500, 200, 525)));  // one row in the gap
    EXPECT_FALSE(ScreenGeometry::CoveredByMonitors(left, Rect(1900, 0, 21, 10)));
    EXPECT_FALSE(ScreenGeometry::CoveredByMonitors(MonitorList{}, Rect(0, 0, 1, 1)));
    const MonitorList quad = Monitors({Rect(0, 0, 50, 50), Rect(50, 0, 50, 50), Rect(0, 50, 50, 50), Rect(50, 50, 50, 50)});
    EXPECT_TRUE(ScreenGeometry::CoveredByMonitors(quad, Rect(10, 10, 80, 80)));
}

TEST(ScreenGeometrySystem, MonitorsAndBoundsOfTheLayout) {
    const std::string layout = qeltest::Layout();
    std::vector<Rect> want{Rect(0, 0, 1920, 1080)};
    Rect screen(0, 0, 1920, 1080);
    if (layout == "dual") {
        want = {Rect(0, 0, 1280, 1024), Rect(1280, 0, 1920, 1080)};
        screen = Rect(0, 0, 3200, 1080);
    } else if (layout == "left") {
        want.push_back(Rect(-1280, 0, 1280, 1024));
        screen = Rect(-1280, 0, 3200, 1080);
    }
    // Two threads race for the first fill; both must get the one complete list.
    const MonitorList* fromThread = nullptr;
    std::thread other([&] { fromThread = &ScreenGeometry::ListMonitors(); });
    const MonitorList& monitors = ScreenGeometry::ListMonitors();
    other.join();
    EXPECT_EQ(fromThread, &monitors);
    ASSERT_EQ(monitors.size(), want.size());
    for (const MonitorEntry& m : monitors) {
        EXPECT_TRUE(std::any_of(want.begin(), want.end(), [&](const Rect& w) { return w.Equals(m.bounds); }));
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(::GetMonitorInfoW(m.monitor, &info));
        EXPECT_EQ(T(m.workingArea), T(Rect(info.rcWork.left, info.rcWork.top, info.rcWork.right - info.rcWork.left,
                                          info.rcWork.bottom - info.rcWork.top)));
    }
    EXPECT_EQ(T(ScreenGeometry::VirtualScreenBounds()), T(screen));
    for (const Rect& w : want) {
        EXPECT_EQ(T(MonitorBoundsAt(POINT{w.X, w.Y})), T(w));
        EXPECT_EQ(T(MonitorBoundsAt(POINT{w.X + w.Width - 1, w.Y + w.Height - 1})), T(w));
    }
    if (want.size() == 2) {
        // Just below the shorter monitor, near its outer corner: that monitor's centre is nearest.
        const Rect& shorter = want[0].Height < want[1].Height ? want[0] : want[1];
        EXPECT_EQ(T(MonitorBoundsAt(POINT{shorter.X < 0 ? shorter.X : 5, shorter.Height + 10})), T(shorter));
    }
    EXPECT_EQ(ScreenGeometry::ToOverlayCoordinates(POINT{0, 0}).x, -screen.X);
}
