// The exported capture interface against real windows, real menus and real screen pixels.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <thread>

#include "ScreenInput.h"
#include "ScreenTestWindows.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "windows/ScreenCopy.h"

using namespace screentest;

namespace {

class CaptureInterface : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        CaptureSettings::Get().CaptureDelay = 0;
    }
    void TearDown() override { CaptureSettings::Get().CaptureDelay = 100; }
};

}  // namespace

TEST_F(CaptureInterface, FullScreenIsTheMonitorUnderTheCursorWithTheCursorOnlyWhenAsked) {
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

        std::string first;
        UniqueDib plain(CPictavoUtil().CaptureFullScreen(0));
        ASSERT_NE(plain, nullptr);
        ASSERT_EQ(plain->biBitCount, 32);
        ASSERT_EQ(plain->biWidth, m.bounds.Width);
        ASSERT_EQ(plain->biHeight, m.bounds.Height);
        EXPECT_EQ(CountDibMismatches(plain.get(), m.bounds.X, m.bounds.Y, ExpectedScreenPixel, &first), 0) << first;

        UniqueDib withCursor(CPictavoUtil().CaptureFullScreen(1));
        ASSERT_NE(withCursor, nullptr);
        const POINT at{p.x - kHotspotX, p.y - kHotspotY};
        auto expected = [&](int sx, int sy) { return UnderTestCursor(at, sx, sy) ? kCursorColor : ExpectedScreenPixel(sx, sy); };
        EXPECT_EQ(CountDibMismatches(withCursor.get(), m.bounds.X, m.bounds.Y, expected, &first), 0) << first;

        CaptureSettings::Get().CaptureMousePointer = false;
        UniqueDib settingOff(CPictavoUtil().CaptureFullScreen(1));
        CaptureSettings::Get().CaptureMousePointer = true;
        ASSERT_NE(settingOff, nullptr);
        EXPECT_EQ(CountDibMismatches(settingOff.get(), m.bounds.X, m.bounds.Y, ExpectedScreenPixel, &first), 0) << first;
    }
}

namespace {

// A popup menu with an open submenu, shown by a thread of its own so this one can capture it.
class OpenMenu {
public:
    explicit OpenMenu(POINT at) {
        thread_ = std::thread([this, at] { Run(at); });
        for (int i = 0; i < 100 && !owner_; ++i) ::Sleep(20);
    }
    ~OpenMenu() {
        ::PostMessageW(owner_, WM_CANCELMODE, 0, 0);
        ::PostMessageW(owner_, WM_CLOSE, 0, 0);
        thread_.join();
    }

private:
    void Run(POINT at) {
        HWND wnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"menu owner", WS_POPUP, at.x, at.y, 1, 1, nullptr,
                                     nullptr, nullptr, nullptr);
        qel::UniqueHmenu menu(::CreatePopupMenu());
        HMENU sub = ::CreatePopupMenu();
        for (const wchar_t* item : {L"Alpha item", L"Beta item", L"Gamma item"}) ::AppendMenuW(sub, MF_STRING, 20, item);
        ::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Open submenu");
        for (const wchar_t* item : {L"First command", L"Second command", L"Third command"})
            ::AppendMenuW(menu.get(), MF_STRING, 10, item);
        ::ShowWindow(wnd, SW_SHOW);
        ::SetForegroundWindow(wnd);
        owner_ = wnd;
        ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, wnd, nullptr);
        ::DestroyWindow(wnd);
    }

    std::thread thread_;
    volatile HWND owner_ = nullptr;
};

// Real input, as a user's: the menu's own loop sees it.
void PressKey(WORD key) {
    qeltest::PressKey(key);
    qeltest::PumpFor(100);
}

// The visible popup menus of the process, with their rectangles.
std::vector<RECT> VisibleMenus() {
    std::vector<RECT> menus;
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
         w = ::FindWindowExW(nullptr, w, L"#32768", nullptr)) {
        RECT r;
        if (::IsWindowVisible(w) && ::GetWindowRect(w, &r)) menus.push_back(r);
    }
    return menus;
}

}  // namespace

TEST_F(CaptureInterface, MenuWithOpenSubmenuIsCutOutOnEveryMonitor) {
    PatternScreens screens;
    for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
        const POINT at{m.bounds.X + 100, m.bounds.Y + 100};
        // The pointer rests on the first item, which opens its submenu; the menu's loop holds the
        // mouse, so it is placed before the menu opens.
        qeltest::MoveMouse(POINT{at.x + 20, at.y + 8});
        qeltest::PumpFor(100);
        OpenMenu menu(at);
        for (int i = 0; i < 50 && VisibleMenus().empty(); ++i) qeltest::PumpFor(20);
        PressKey(VK_DOWN);  // highlights the first item
        PressKey(VK_RIGHT);  // and opens its submenu
        for (int i = 0; i < 60 && VisibleMenus().size() < 2; ++i) qeltest::PumpFor(50);
        qeltest::PumpFor(300);
        const std::vector<RECT> menus = VisibleMenus();
        ASSERT_EQ(menus.size(), 2u);
        RECT box;
        ::UnionRect(&box, &menus[0], &menus[1]);

        UniqueDib dib(CPictavoUtil().CaptureMenuObject(0));
        ASSERT_NE(dib, nullptr);
        ASSERT_EQ(dib->biWidth, box.right - box.left);
        ASSERT_EQ(dib->biHeight, box.bottom - box.top);
        // Against the screen as it is now: inside either menu its exact pixels, elsewhere transparent.
        std::unique_ptr<Gdiplus::Bitmap> screen = ScreenGeometry::CopyScreenRectangle(
            nullptr, Gdiplus::Rect(box.left, box.top, box.right - box.left, box.bottom - box.top));
        ASSERT_NE(screen, nullptr);
        int wrong = 0, transparent = 0;
        for (int y = 0; y < dib->biHeight; ++y) {
            for (int x = 0; x < dib->biWidth; ++x) {
                const POINT sp{box.left + x, box.top + y};
                const bool inside = ::PtInRect(&menus[0], sp) || ::PtInRect(&menus[1], sp);
                Gdiplus::Color c;
                screen->GetPixel(x, y, &c);
                const Gdiplus::ARGB got = DibArgb(dib.get(), x, y);
                if (inside ? got != (c.GetValue() | 0xFF000000u) : (got >> 24) != 0) ++wrong;
                if (!inside) ++transparent;
            }
        }
        EXPECT_EQ(wrong, 0) << "on the monitor at " << m.bounds.X << "," << m.bounds.Y;
        EXPECT_GT(transparent, 0);  // the submenu is shorter than the box: some pixels are no menu's
    }
}

namespace {

// Exposes the protected window copy, as a host's derived class would.
struct HostUtil : CPictavoUtil {
    using CPictavoUtil::DoCaptureFromWnd;
};

qel::UniqueHwnd SolidWindow(const wchar_t* className, DWORD exStyle, RECT r, COLORREF color) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = ::CreateSolidBrush(color);  // the class keeps it for the test's life
    ::RegisterClassW(&wc);
    qel::UniqueHwnd wnd(::CreateWindowExW(exStyle, className, L"", WS_POPUP, r.left, r.top, r.right - r.left,
                                          r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr));
    ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
    return wnd;
}

// The primary monitor's work area ends above a strip that a window of the taskbar's class covers.
class TaskbarStrip {
public:
    explicit TaskbarStrip(int height) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved_, 0);
        const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
        taskbar_ = SolidWindow(L"Shell_TrayWnd", WS_EX_TOPMOST | WS_EX_TOOLWINDOW, {0, cy - height, cx, cy},
                               RGB(0, 0, 128));
        RECT work{0, 0, cx, cy - height};
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    }
    ~TaskbarStrip() { ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved_, 0); }
    HWND get() const { return taskbar_.get(); }

private:
    RECT saved_{};
    qel::UniqueHwnd taskbar_;
};

}  // namespace

TEST_F(CaptureInterface, WindowCopyIsClippedToTheWorkAreaOnlyBelowTheTaskbar) {
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    TaskbarStrip taskbar(40);
    // Reaches 60 pixels below the work area, 20 of them past the screen.
    const RECT r{200, cy - 200, 500, cy + 20};
    qel::UniqueHwnd below = SolidWindow(L"QelBelowTaskbar", WS_EX_TOOLWINDOW, r, RGB(200, 30, 30));
    ::SetWindowPos(below.get(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    qeltest::PumpFor(200);
    ASSERT_EQ(CPictavoUtil::IsBehindTaskBar(below.get()), 1);
    ASSERT_EQ(CPictavoUtil::IsWindowOnWorkArea(below.get()), 1);
    UniqueDib clipped(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(below.get()), 0));
    ASSERT_NE(clipped, nullptr);
    EXPECT_EQ(clipped->biWidth, 300);
    EXPECT_EQ(clipped->biHeight, 160);
    EXPECT_EQ(DibArgb(clipped.get(), 150, 159), 0xFFC81E1Eu);

    qel::UniqueHwnd above = SolidWindow(L"QelAboveTaskbar", WS_EX_TOPMOST | WS_EX_TOOLWINDOW, r, RGB(30, 200, 30));
    qeltest::PumpFor(200);
    ASSERT_EQ(CPictavoUtil::IsWindowOnWorkArea(above.get()), 0);
    UniqueDib whole(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(above.get()), 0));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->biHeight, 200);  // clipped to the screen only
    EXPECT_EQ(DibArgb(whole.get(), 150, 199), 0xFF1EC81Eu);
}

TEST_F(CaptureInterface, ShapedWindowCopyIsTransparentOutsideItsRegion) {
    const MonitorEntry& m = ScreenGeometry::ListMonitors().back();
    const RECT r{m.bounds.X + 300, m.bounds.Y + 200, m.bounds.X + 500, m.bounds.Y + 300};
    qel::UniqueHwnd wnd = SolidWindow(L"QelShaped", WS_EX_TOPMOST | WS_EX_TOOLWINDOW, r, RGB(10, 120, 250));
    HRGN ellipse = ::CreateEllipticRgn(0, 0, 200, 100);
    RECT box;
    ::GetRgnBox(ellipse, &box);
    ::SetWindowRgn(wnd.get(), ellipse, TRUE);  // the window owns the region now
    qeltest::PumpFor(250);
    ::SetCursorPos(m.bounds.X + 5, m.bounds.Y + 5);
    UniqueDib dib(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(wnd.get()), 1));
    ASSERT_NE(dib, nullptr);
    // The copy is the region's bounding box, opaque inside the ellipse and transparent in its corners.
    ASSERT_EQ(dib->biWidth, box.right - box.left);
    ASSERT_EQ(dib->biHeight, box.bottom - box.top);
    EXPECT_EQ(DibArgb(dib.get(), 100, 50), 0xFF0A78FAu);
    EXPECT_EQ(DibArgb(dib.get(), 1, 1) >> 24, 0u);
    EXPECT_EQ(DibArgb(dib.get(), dib->biWidth - 2, dib->biHeight - 2) >> 24, 0u);
}

TEST(CaptureInterfaceQueries, DibSectionsAndWindowLookups) {
    qel::UniqueHbitmap indexed(CPictavoUtil::CreateDIBBitmap(16, 8, 8, BI_RGB, nullptr));
    ASSERT_TRUE(indexed);
    {
        qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
        qel::SelectScope select(dc.get(), indexed.get());
        RGBQUAD table[256];
        ASSERT_EQ(::GetDIBColorTable(dc.get(), 0, 256, table), 256u);
        for (const RGBQUAD& q : table) EXPECT_EQ(q.rgbRed | q.rgbGreen | q.rgbBlue, 0);
    }
    EXPECT_FALSE(qel::UniqueHbitmap(CPictavoUtil::CreateDIBBitmap(16, 8, 32, BI_BITFIELDS, nullptr)));
    const unsigned long masks[3] = {0xFF0000, 0xFF00, 0xFF};
    EXPECT_TRUE(qel::UniqueHbitmap(CPictavoUtil::CreateDIBBitmap(16, 8, 32, BI_BITFIELDS, masks)));

    // A window with a child: the deepest visible window under a point, the parent at its free part.
    qel::UniqueHwnd parent = SolidWindow(L"QelLookupParent", WS_EX_TOOLWINDOW, {100, 100, 400, 300}, RGB(1, 2, 3));
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent.get(), nullptr,
                                   nullptr, nullptr);
    const HWND desktop = ::GetDesktopWindow();
    EXPECT_EQ(CPictavoUtil::GetWindowFromPoint(desktop, POINT{130, 130}, nullptr), child);
    EXPECT_EQ(CPictavoUtil::GetWindowFromPoint(desktop, POINT{300, 250}, nullptr), parent.get());
    EXPECT_EQ(CPictavoUtil::GetWindowFromPoint(desktop, POINT{130, 130}, parent.get()), desktop);
    EXPECT_EQ(CPictavoUtil::GetTopMostLevelParentWindow(child), nullptr);
    ::SetWindowPos(parent.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(CPictavoUtil::GetTopMostLevelParentWindow(child), parent.get());
    ::SetWindowRgn(parent.get(), ::CreateRectRgn(100, 0, 300, 200), TRUE);
    const RECT bound = CPictavoUtil::GetWindowBoundRectangle(parent.get());
    EXPECT_EQ(bound.left, 200);
    EXPECT_EQ(bound.right, 400);
    EXPECT_EQ(bound.bottom, 300);
    EXPECT_EQ(CPictavoUtil::GetWindowFromPoint(desktop, POINT{130, 130}, nullptr), desktop);

    CPictavoUtil::SetCaptureMenu(reinterpret_cast<HMENU>(0x1234));
    EXPECT_EQ(CPictavoUtil::g_hCaptureMenu, reinterpret_cast<HMENU>(0x1234));
    CPictavoUtil::SetCaptureMenu(nullptr);
}
