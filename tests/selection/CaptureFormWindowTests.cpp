// Window picking on the live overlay and the form's keys, with real input on every layout. The window picked
// belongs to another thread, as another application's would, so that it repaints while the capture call waits.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <atomic>

#include "CaptureFormTestSupport.h"
#include "ScreenTestWindows.h"
#include "TestSupport.h"
#include "capture/Capture.h"
#include "capture/Dib.h"
#include "selection/CaptureForm.h"
#include "windows/ScreenCopy.h"
#include "windows/WindowEnumeration.h"

using namespace formtest;
using screentest::PatternRgb;

namespace {

constexpr UINT kSetTag = WM_APP + 1;

LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kSetTag) {
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, static_cast<LONG_PTR>(wp));
        ::InvalidateRect(wnd, nullptr, FALSE);
        ::UpdateWindow(wnd);
        return 0;
    }
    return screentest::PatternProc(wnd, msg, wp, lp);  // PatternRgb(tag, x, y) in client coordinates
}

// A frameless window with a child, each painting its own pattern, run by a thread of its own.
class TargetApp {
public:
    // 500 x 350 at (200, 150) on the monitor, the child 260 x 160 at (60, 50) in it.
    explicit TargetApp(const RECT& monitor)
        : frame_{monitor.left + 200, monitor.top + 150, monitor.left + 700, monitor.top + 500},
          child_{frame_.left + 60, frame_.top + 50, frame_.left + 320, frame_.top + 210} {
        std::atomic<bool> ready{false};
        thread_ = std::thread([this, &ready] {
            WNDCLASSW wc{0, TargetProc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, ::LoadCursorW(nullptr, IDC_ARROW),
                         nullptr, nullptr, L"QelFormTarget"};
            ::RegisterClassW(&wc);
            parent_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Pick me", WS_POPUP | WS_CLIPCHILDREN,
                                        frame_.left, frame_.top, 500, 350, nullptr, nullptr, wc.hInstance, nullptr);
            childWnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"Inner", WS_CHILD | WS_VISIBLE, 60, 50, 260, 160, parent_,
                                          nullptr, wc.hInstance, nullptr);
            ::SetWindowLongPtrW(parent_, GWLP_USERDATA, 3);
            ::SetWindowLongPtrW(childWnd_, GWLP_USERDATA, 4);
            ::ShowWindow(parent_, SW_SHOWNOACTIVATE);
            ready = true;
            for (MSG msg; ::GetMessageW(&msg, nullptr, 0, 0) > 0;) ::DispatchMessageW(&msg);
            ::DestroyWindow(parent_);
        });
        for (int i = 0; i < 1000 && !ready; ++i) ::Sleep(10);
        qeltest::WaitForWindowOnScreen(parent_, frame_);
    }
    ~TargetApp() {
        ::PostThreadMessageW(::GetWindowThreadProcessId(parent_, nullptr), WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND parent_ = nullptr, childWnd_ = nullptr;
    RECT frame_, child_;
    std::thread thread_;
};

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The image is the area r of a window painting PatternRgb(tag, ...) with its client origin at origin.
void ExpectPattern(const BITMAPINFOHEADER* dib, const RECT& r, int tag, POINT origin) {
    ASSERT_TRUE(dib && dib->biWidth == r.right - r.left && dib->biHeight == r.bottom - r.top);
    EXPECT_TRUE(DibMatches(dib, POINT{r.left, r.top},
                           [&](int sx, int sy) { return 0xFF000000u | PatternRgb(tag, sx - origin.x, sy - origin.y); }));
}

// The whole screen frozen in window mode with the window list read, as the session makes them for a form.
struct WindowModeCapture {
    WindowModeCapture() {
        ok = ScreenGeometry::CaptureRectangle(&capture, capture.GetScreenBounds()) != nullptr;
        RetrieveWindowDetails worker(&holder);
        worker.Start();
        worker.Join();
        capture.GetDetails()->SetCaptureMode(4);
    }
    Capture capture;
    WindowRecordList windows;
    WindowListHolder holder{&windows};
    bool ok = false;
};

using WindowPick = OverlayTest;

}  // namespace

TEST_F(WindowPick, HoverHighlightsTheDeepestChildAndAClickCopiesItAgainAfterTheOverlayCloses) {
    for (size_t m = 0; m < monitors_.size(); ++m) {
        SCOPED_TRACE(m);
        TargetApp app(monitors_[m]);
        const RECT c = app.child_, f = app.frame_;
        ScreenCopy hover;
        const UniqueDib dib = Run([] { return UniqueDib(CPictavoUtil().CaptureWindowObject(0)); }, [&] {
            if (!WaitForOverlay()) return;
            MoveTo(Centre(c), 800);  // the highlight glides over 11 frames
            hover = CopyScreen(RECT{f.left - 40, f.top - 40, f.right + 40, f.bottom + 40});
            SaveScreenPng(hover.area, L"overlay-window-" + std::to_wstring(m) + L".png");
            Click();
            // Changed just after the overlay closes: only a copy taken a while later shows it.
            if (WaitForOverlayGone()) ::SendMessageW(app.childWnd_, kSetTag, 6, 0);
        });
        ASSERT_FALSE(hover.pixels.empty());
        // Highlighted: the child only, its frozen pixels under the translucent fill.
        for (LONG y = c.top + 3; y < c.top + 30; ++y)
            for (LONG x = c.left + 3; x < c.left + 60; ++x)
                ASSERT_TRUE(Near(hover.At(x, y), Blend(PatternRgb(4, x - c.left, y - c.top), 0x3CB371, 0x32), 3)) << x << ", " << y;
        for (const POINT o : {POINT{f.left + 400, f.top + 300}, POINT{f.left + 30, f.top + 300}})
            EXPECT_EQ(hover.At(o.x, o.y), PatternRgb(3, o.x - f.left, o.y - f.top));
        ExpectPattern(dib.get(), c, 6, POINT{c.left, c.top});
    }
}

TEST_F(WindowPick, EnterGivesTheHandleUnderTheCursorAndSpaceSwitchesModes) {
    TargetApp app(monitors_.back());
    const RECT c = app.child_, f = app.frame_;
    EXPECT_EQ(Run([] { return CPictavoUtil::TokenWindowObject(); }, [&] { if (WaitForOverlay()) MoveTo(Centre(c), 400), Key(VK_RETURN); }),
              app.childWnd_);
    // Space switches modes. From a region capture to picking a window: the window's frozen rectangle.
    UniqueDib dib = Run([] { return UniqueDib(CPictavoUtil().CaptureShapeRegion(0, 1)); }, [&] {
        if (WaitForOverlay()) MoveTo(POINT{f.left - 50, f.top - 50}), Key(VK_SPACE), MoveTo(Centre(c), 600), Click();
    });
    ExpectPattern(dib.get(), c, 4, POINT{c.left, c.top});
    // From picking a window to dragging a region: both corners included.
    const POINT a{f.left + 350, f.top + 230}, b{f.left + 480, f.top + 330};
    dib = Run([] { return UniqueDib(CPictavoUtil().CaptureWindowObject(0)); }, [&] { if (WaitForOverlay()) Key(VK_SPACE), Drag(a, b); });
    ExpectPattern(dib.get(), RECT{a.x, a.y, b.x + 1, b.y + 1}, 3, POINT{f.left, f.top});
}

// The keys, on a form made and run as the session does, so that its state can be read afterwards.
TEST_F(WindowPick, WindowModeKeysToggleTheLabelTopmostAndCursorAndMoveTheCursor) {
    TargetApp app(monitors_.back());
    WindowModeCapture frozen;
    ASSERT_TRUE(frozen.ok);
    Capture& capture = frozen.capture;
    CaptureForm form(&capture, &frozen.holder);

    const RECT c = app.child_, labelArea{c.left, c.top, c.left + 300, c.top + 22};
    ScreenCopy plain, details, detailsOff;
    HWND overlayWnd = nullptr, fromPointDropped = nullptr, fromPointRestored = nullptr;
    POINT at[4] = {};  // before and after Right, Ctrl+Right and Down
    const bool cursorVisible = capture.IsCursorVisible();
    InputScript input([&] {
        if (!(overlayWnd = WaitForOverlay())) return;
        MoveTo(Centre(c), 800);
        plain = CopyScreen(labelArea);
        Key('D', 400), details = CopyScreen(labelArea);
        SaveScreenPng(RECT{c.left - 40, c.top - 40, c.right + 40, c.bottom + 40}, L"overlay-window-details.png");
        Key('D', 400), detailsOff = CopyScreen(labelArea);
        Key('M');
        Key('F', 300), fromPointDropped = ::WindowFromPoint(Centre(c));
        Key('F', 300), fromPointRestored = ::WindowFromPoint(Centre(c));
        ::GetCursorPos(&at[0]);
        Key(VK_RIGHT), ::GetCursorPos(&at[1]);
        HoldKey(VK_CONTROL, true), Key(VK_RIGHT), HoldKey(VK_CONTROL, false), ::GetCursorPos(&at[2]);
        Key(VK_DOWN), ::GetCursorPos(&at[3]);
        Key(VK_ESCAPE);
    });
    ASSERT_EQ(form.RunForm(), 1);
    form.DestroyWindow();  // as the session's would, before the form is read
    input.Join();

    // D shows the details label and hides it again, M toggles the cursor, F drops the overlay behind the window and restores it.
    const auto orange = [&](const ScreenCopy& shot) {
        int n = 0;
        for (LONG y = labelArea.top; y < labelArea.bottom; ++y)
            for (LONG x = labelArea.left; x < labelArea.right; ++x) n += shot.Contains(x, y) && Near(shot.At(x, y), 0xFF8C00, 40);
        return n;
    };
    EXPECT_TRUE(orange(plain) == 0 && orange(details) > 10 && orange(detailsOff) == 0) << orange(details);
    EXPECT_TRUE(!form.ShowsDetails() && capture.IsCursorVisible() != cursorVisible);
    EXPECT_TRUE(fromPointDropped == app.childWnd_ && fromPointRestored == overlayWnd);
    // Arrows step one pixel, ten with Ctrl.
    EXPECT_TRUE(at[1].x == at[0].x + 1 && at[2].x == at[0].x + 11 && at[3].x == at[2].x && at[3].y == at[0].y + 1);
    EXPECT_TRUE(!form.IsAccepted() && form.ModalResult() == 2);
}

// Made while the screen is still being read, the overlay must neither show nor take the clicks or the
// activation meant for the windows under it; once shown it is hit, in front and active.
TEST_F(WindowPick, APreparedOverlayShowsNothingAndTakesNoInputUntilItIsShown) {
    TargetApp app(monitors_.back());
    WindowModeCapture frozen;
    ASSERT_TRUE(frozen.ok);
    const HWND foreground = ::GetForegroundWindow();
    const ScreenCopy before = CopyScreen(app.frame_);

    CaptureForm form(&frozen.capture, &frozen.holder);
    ASSERT_TRUE(form.PrepareOverlay(frozen.capture.GetScreenBounds()));
    const HWND prepared = form.GetSafeHwnd();
    qeltest::PumpFor(300);  // time enough for anything drawn to reach the screen
    EXPECT_EQ(::WindowFromPoint(Centre(app.child_)), app.childWnd_);
    EXPECT_EQ(::GetForegroundWindow(), foreground);
    EXPECT_TRUE(CopyScreen(app.frame_).pixels == before.pixels);

    HWND shown = nullptr, active = nullptr;
    InputScript input([&] {
        if ((shown = WaitForOverlay())) active = ::GetForegroundWindow(), Key(VK_ESCAPE);
    });
    form.RunForm();
    form.DestroyWindow();
    input.Join();
    EXPECT_TRUE(shown == prepared && active == prepared);
}
