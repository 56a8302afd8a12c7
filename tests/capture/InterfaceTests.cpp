// The exported capture interface against real windows, real menus and real screen pixels.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <algorithm>

#include "PopupMenuThread.h"
#include "ScreenInput.h"
#include "WindowTestSupport.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"

using namespace wintest;

namespace {

class CaptureInterface : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        CaptureSettings::Get().CaptureDelay = 0;
    }
    SettingsScope settings_;  // the delay and the pointer setting go back afterwards
};

// The monitor that is not the primary one (at negative coordinates in the left layout); the only one on single.
Gdiplus::Rect OtherMonitor() {
    const MonitorList& monitors = ScreenGeometry::ListMonitors();
    return (monitors.front().bounds.X == 0 ? monitors.back() : monitors.front()).bounds;
}

// Exposes the protected window copy, as a host's derived class would.
struct HostUtil : CPictavoUtil {
    using CPictavoUtil::DoCaptureFromWnd;
};

}  // namespace

TEST_F(CaptureInterface, FullScreenIsTheMonitorUnderTheCursorWithTheCursorOnlyWhenAskedAndAllowed) {
    qel::UniqueHicon cursor = MakeTestCursor();
    PatternScreens screens;
    int index = 0;
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
        const HWND wnd = screens.windows[index++].get();
        ::SetClassLongPtrW(wnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor.get()));
        const POINT p{m.bounds.X + m.bounds.Width / 2, m.bounds.Y + m.bounds.Height / 2};
        ::SetForegroundWindow(wnd);
        ::SetCursorPos(p.x - 1, p.y);
        ::SetCursorPos(p.x, p.y);
        qeltest::PumpFor(150);
        const POINT at{p.x - kHotspotX, p.y - kHotspotY};
        // The cursor only when both the call and the setting ask for it.
        for (const auto& [flag, setting] : {std::pair(true, true), std::pair(true, false), std::pair(false, true)}) {
            CaptureSettings::Get().CaptureMousePointer = setting;
            UniqueDib dib(CPictavoUtil().CaptureFullScreen(flag));
            ASSERT_TRUE(dib && dib->biBitCount == 32);
            ASSERT_EQ(qeltest::SizeOf(dib.get()), qeltest::Size(m.bounds.Width, m.bounds.Height));
            std::string first;
            auto expected = [&](int sx, int sy) { return flag && setting && UnderTestCursor(at, sx, sy) ? kCursorColor : ExpectedScreenPixel(sx, sy); };
            EXPECT_EQ(CountDibMismatches(dib.get(), m.bounds.X, m.bounds.Y, expected, &first), 0) << flag << setting << ": " << first;
        }
    }
}

// Another program's menu is found the same way: by the window under the pointer.
TEST_F(CaptureInterface, MenuWithOpenSubmenuIsCutOutWithTheScreensPixelsAndTransparentAround) {
    PatternScreens screens;
    const Gdiplus::Rect m = OtherMonitor();
    const POINT at{m.X + 100, m.Y + 100};
    // The menu's loop holds the mouse, so the pointer is placed on the first item before it opens.
    qeltest::MoveMouse(POINT{at.x + 20, at.y + 8});
    qeltest::PumpFor(100);
    qeltest::OpenMenu menu(at);
    for (int i = 0; i < 50 && qeltest::VisibleMenus().empty(); ++i) qeltest::PumpFor(20);
    for (WORD key : {VK_DOWN, VK_RIGHT}) {  // real keys, which the menu's own loop sees: open the submenu
        qeltest::PressKey(key);
        qeltest::PumpFor(100);
    }
    for (int i = 0; i < 60 && qeltest::VisibleMenus().size() < 2; ++i) qeltest::PumpFor(50);
    qeltest::PumpFor(300);
    const std::vector<RECT> menus = qeltest::VisibleMenus();
    ASSERT_EQ(menus.size(), 2u);
    RECT box{};
    for (const RECT& r : menus) ::UnionRect(&box, &box, &r);
    UniqueDib dib(CPictavoUtil().CaptureMenuObject(0));
    ASSERT_TRUE(dib);
    ASSERT_EQ(qeltest::SizeOf(dib.get()), qeltest::Size(box.right - box.left, box.bottom - box.top));
    // Inside a menu the screen's own pixels (read here with a plain BitBlt), opaque; elsewhere transparent.
    const qeltest::ScreenCopy screen = qeltest::CopyScreen(box);
    int wrong = 0, outside = 0;
    for (LONG y = box.top; y < box.bottom; ++y)
        for (LONG x = box.left; x < box.right; ++x) {
            const bool inside = std::any_of(menus.begin(), menus.end(), [&](const RECT& r) { return ::PtInRect(&r, POINT{x, y}) != FALSE; });
            const Gdiplus::ARGB got = DibArgb(dib.get(), x - box.left, y - box.top);
            wrong += inside ? got != (screen.At(x, y) | 0xFF000000u) : (got >> 24) != 0;
            outside += !inside;
        }
    EXPECT_EQ(wrong, 0) << "on the monitor at " << m.X << "," << m.Y;
    EXPECT_GT(outside, 0);  // a submenu is shorter than the box
}

TEST_F(CaptureInterface, WindowCopiesAreClippedToTheWorkAreaOnlyBelowTheTaskbarAndShapedByTheirRegion) {
    // The primary monitor's work area ends above a strip that a window of the taskbar's class covers.
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    RECT saved{}, work{0, 0, cx, cy - 40};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
    TestWindow taskbar = Window(L"Shell_TrayWnd", L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, {0, cy - 40, cx, cy});
    ::ShowWindow(taskbar.get(), SW_SHOWNOACTIVATE);
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    // Both reach 60 pixels below the work area, 20 of them past the screen.
    LookWindow below({200, cy - 200, 500, cy + 20}, WindowLook{RGB(200, 30, 30)}, WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
    LookWindow above({600, cy - 200, 900, cy + 20}, WindowLook{RGB(30, 200, 30)}, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    // An ellipse on the last monitor.
    const Gdiplus::Rect m = ScreenGeometry::ListMonitors().back().bounds;
    LookWindow shaped({m.X + 300, m.Y + 200, m.X + 500, m.Y + 300}, WindowLook{RGB(10, 120, 250)}, WS_POPUP | WS_VISIBLE,
                      WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    RECT box;
    HRGN ellipse = ::CreateEllipticRgn(0, 0, 200, 100);
    ::GetRgnBox(ellipse, &box);
    ::SetWindowRgn(shaped.get(), ellipse, TRUE);  // the window owns the region now
    qeltest::PumpFor(250);
    UniqueDib clipped(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(below.get()), 0));
    UniqueDib whole(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(above.get()), 0));
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
    ::SetCursorPos(m.X + 5, m.Y + 5);
    UniqueDib dib(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(shaped.get()), 1));
    ASSERT_TRUE(clipped && whole && dib);
    EXPECT_TRUE(qeltest::SizeOf(clipped.get()) == qeltest::Size(300, 160) && DibArgb(clipped.get(), 150, 159) == 0xFFC81E1Eu);
    EXPECT_TRUE(whole->biHeight == 200 && DibArgb(whole.get(), 150, 199) == 0xFF1EC81Eu);  // clipped to the screen only
    // The region's bounding box, opaque inside the ellipse and transparent in its corners.
    ASSERT_EQ(qeltest::SizeOf(dib.get()), qeltest::Size(box.right - box.left, box.bottom - box.top));
    EXPECT_EQ(DibArgb(dib.get(), 100, 50), 0xFF0A78FAu);
    EXPECT_EQ(DibArgb(dib.get(), 1, 1) >> 24 | DibArgb(dib.get(), dib->biWidth - 2, dib->biHeight - 2) >> 24, 0u);
}
