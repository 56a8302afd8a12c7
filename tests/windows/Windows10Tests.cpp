// Window records as Windows 10 sees them. Wine reports Windows 10 to this program only when told so
// before it starts, which a fixture of the test does.
#include <gtest/gtest.h>
#include <windows.h>

#include "WindowTestSupport.h"
#include "capture/CaptureSettings.h"
#include "windows/OsVersion.h"
#include "windows/ScreenGeometry.h"

using namespace wintest;

TEST(Windows10, TheCompositorIsAlwaysOnAndCloakedWindowsAreHidden) {
    ASSERT_TRUE(OsVersion::IsWindows10OrLater()) << "started as Windows 10 by the test's fixture";
    TestWindow wnd = TopLevel(L"win10 plain", At(100, 100, 300, 200));
    EXPECT_TRUE(WindowDetails::IsDwmEnabled());
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), WindowInfoRect(wnd.get()))) << "Wine's compositor degrades";
    FakeDwm dwm;
    dwm.target = wnd.get();
    dwm.frame = WindowInfoRect(wnd.get());
    CompositorScope scope(&dwm);
    EXPECT_TRUE(WindowDetails::IsDwmEnabled());
    EXPECT_EQ(dwm.compositionQueries, 0) << "always on: not asked";
    EXPECT_NE(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
    dwm.cloaked = 1;
    EXPECT_FALSE(WindowDetails(wnd.get()).IsVisible());
    EXPECT_EQ(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
}

TEST(Windows10, FramesGrowUnlessMaximisedAndModernAppsEndTheirOwnQuestions) {
    ASSERT_TRUE(OsVersion::IsWindows10OrLater());
    SettingsScope restore;
    const Gdiplus::Rect m = ScreenGeometry::ListMonitors().front().bounds;
    TestWindow normal = TopLevel(L"win10 grown", At(200, 200, 300, 200));
    TestWindow maximised = TopLevel(L"win10 maximised", At(200, 200, 300, 200));
    ShowWindow(maximised.get(), SW_MAXIMIZE);
    TestWindow app = Window(L"Windows.UI.Core.CoreWindow", L"", WS_POPUP | WS_VISIBLE, 0, At(m.X + 40, m.Y + 40, 500, 400));
    FakeDwm dwm;
    CompositorScope scope(&dwm);
    dwm.target = normal.get();
    dwm.frame = RECT{207, 200, 493, 393};
    CaptureSettings::Get().WindowFrameGrowth = SIZE{3, 2};
    EXPECT_TRUE(RectIs(WindowDetails(normal.get()).WindowRectangle(), RECT{204, 198, 496, 395}));
    // A maximised frame reaches past the monitor by the borders, which come off instead.
    dwm.target = maximised.get();
    const RECT f = dwm.frame = WindowInfoRect(maximised.get());
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    GetWindowInfo(maximised.get(), &info);
    const int bx = static_cast<int>(info.cxWindowBorders), by = static_cast<int>(info.cyWindowBorders);
    EXPECT_TRUE(RectIs(WindowDetails(maximised.get()).WindowRectangle(), RECT{f.left + bx, f.top + by, f.right - bx, f.bottom - by}));

    // A modern app's empty frame falls back to its own rectangle (and must not ask itself forever).
    CaptureSettings::Get().WindowFrameGrowth = SIZE{0, 0};
    dwm.target = app.get();
    dwm.frame = RECT{};
    EXPECT_TRUE(RectIs(WindowDetails(app.get()).WindowRectangle(), WindowInfoRect(app.get())));
    dwm.frame = RECT{m.X + 50, m.Y + 50, m.X + 450, m.Y + 350};
    WindowDetails snapped(app.get());
    EXPECT_TRUE(RectIs(snapped.WindowRectangle(), dwm.frame));
    EXPECT_TRUE(snapped.IsVisible() && !snapped.IsMaximised());
    dwm.frame = RECT{m.X, m.Y, m.X + m.Width, m.Y + m.Height};
    WindowDetails full(app.get());
    EXPECT_TRUE(RectIs(full.WindowRectangle(), dwm.frame));
    EXPECT_FALSE(full.IsVisible() || full.IsMaximised());
}
