#include <gtest/gtest.h>

#include "ScreenTestWindows.h"
#include "capture/Capture.h"
#include "windows/ScreenCopy.h"

using namespace screentest;

TEST(ScreenCursor, PositionFollowsTheMouseOnEveryMonitor) {
    const Gdiplus::Rect screen = ScreenGeometry::VirtualScreenBounds();
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
        const POINT p{m.bounds.X + m.bounds.Width / 3, m.bounds.Y + m.bounds.Height - 2};
        ASSERT_TRUE(::SetCursorPos(p.x, p.y));
        const POINT got = ScreenGeometry::CursorPosition();
        EXPECT_EQ(got.x, p.x);
        EXPECT_EQ(got.y, p.y);
        const POINT overlay = ScreenGeometry::CursorInOverlayCoordinates();
        EXPECT_EQ(overlay.x, p.x - screen.X);
        EXPECT_EQ(overlay.y, p.y - screen.Y);
    }
}

TEST(ScreenCursor, CapturedCursorLiesAtItsHotspot) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    qel::UniqueHicon cursor = MakeTestCursor();
    ASSERT_TRUE(cursor);
    PatternScreens screens;
    const HWND last = screens.windows.back().get();
    const ULONG_PTR oldCursor = ::SetClassLongPtrW(last, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor.get()));
    const MonitorEntry& monitor = ScreenGeometry::ListMonitors().back();
    const POINT p{monitor.bounds.X + 400, monitor.bounds.Y + 300};
    ::SetForegroundWindow(last);
    ::SetCursorPos(p.x - 1, p.y);
    ::SetCursorPos(p.x, p.y);
    qeltest::PumpFor(200);

    std::unique_ptr<ICapture> capture(ScreenGeometry::CaptureCursor(nullptr));
    ASSERT_NE(capture, nullptr);
    ASSERT_NE(capture->GetCursor(), nullptr);
    const POINT at = capture->GetCursorLocation();
    EXPECT_EQ(at.x, p.x - kHotspotX);
    EXPECT_EQ(at.y, p.y - kHotspotY);
    EXPECT_FALSE(capture->IsCursorVisible());  // drawn only when asked: see the copy tests
    ::SetClassLongPtrW(last, GCLP_HCURSOR, static_cast<LONG_PTR>(oldCursor));
}
