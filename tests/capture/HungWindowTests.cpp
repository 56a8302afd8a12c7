// Captures whose target stopped answering, went away, or is a window of the calling thread, and images
// too large to be made.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelPictavo/PictavoUtil.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

#include "Handles.h"
#include "ScrollTargetProcess.h"
#include "WindowTestSupport.h"
#include "capture/Dib.h"
#include "capture/ImageHelpers.h"
#include "tests/selection/CaptureFormTestSupport.h"
#include "windows/GdiplusNew.h"
#include "windows/MessageWaits.h"
#include "windows/ScreenCopy.h"

namespace {

using scrolltest::ScrollTargetOptions;
using scrolltest::ScrollTargetProcess;

constexpr DWORD kCallBoundMs = 10000;

// Ends the test program when the call it guards has not returned in time, so that the test's thread never
// hangs past its bound.
class Watchdog {
public:
    explicit Watchdog(const char* what) : done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, what] {
            if (::WaitForSingleObject(done_.get(), kCallBoundMs) == WAIT_OBJECT_0) return;
            std::fprintf(stderr, "FAILED: %s did not return within %lu ms\n", what, kCallBoundMs);
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 3);
        });
    }
    ~Watchdog() {
        ::SetEvent(done_.get());
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    qel::UniqueKernelHandle done_;
    std::thread thread_;
};

struct HostUtil : CPictavoUtil {
    using CPictavoUtil::DoCaptureFromWnd;
};

SIZE DibSize(const BITMAPINFOHEADER* dib) { return dib ? SIZE{dib->biWidth, std::abs(dib->biHeight)} : SIZE{0, 0}; }
SIZE SizeOf(const RECT& r) { return SIZE{r.right - r.left, r.bottom - r.top}; }
POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class HungWindowTest : public formtest::OverlayTest {};

}  // namespace

// Every capture that meets a window whose thread sleeps returns in time with what the screen shows.
TEST_F(HungWindowTest, NoCaptureWaitsForAWindowThatStoppedAnswering) {
    ScrollTargetOptions o;
    o.contentWidth = 400, o.contentHeight = 3000, o.clientWidth = 400, o.clientHeight = 300, o.line = 16;
    o.x = 200, o.y = 150, o.hangAfter = -1, o.title = L"hung";
    ScrollTargetProcess target(o);
    const HWND wnd = target.Hwnd();
    ASSERT_TRUE(wnd);
    DWORD id = 0;
    ::GetWindowThreadProcessId(wnd, &id);
    qel::UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
    bool hung = false;
    for (const DWORD start = ::GetTickCount(); !hung && ::GetTickCount() - start < 10000;) {
        DWORD_PTR ignored = 0;
        hung = !::SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_BLOCK, 100, &ignored);
    }
    ASSERT_TRUE(hung);
    ASSERT_EQ(::GetForegroundWindow(), wnd);
    RECT frame{};
    ::GetWindowRect(wnd, &frame);
    const SIZE client{o.clientWidth, o.clientHeight};

    struct Case {
        const char* name;
        std::function<BITMAPINFOHEADER*()> call;
        SIZE expected;  // {0, 0}: no image
        enum { kNone, kPick, kCancel } overlay = kNone;
    };
    const Case cases[] = {
        {"active window: the screen copy", [] { return CPictavoUtil().CaptureActiveWindow(0); }, SizeOf(frame)},
        {"active window scrolled: the first frame", [] { return CPictavoUtil().CaptureActiveScrollWindow(0, 1, 0); },
         client},
        {"window copy", [wnd] { return HostUtil::DoCaptureFromWnd(CWnd::FromHandle(wnd), 0); }, SizeOf(frame)},
        {"window picked", [] { return CPictavoUtil().CaptureWindowObject(0); }, SizeOf(frame), Case::kPick},
        {"window picked and scrolled", [] { return CPictavoUtil().CaptureScrollWindow(0, 1, 0); }, client, Case::kPick},
        {"region cancelled while the window list is read", [] { return CPictavoUtil().CaptureShapeRegion(0, 1); },
         SIZE{0, 0}, Case::kCancel},
    };
    for (const Case& c : cases) {
        std::optional<formtest::InputScript> script;
        if (c.overlay != Case::kNone)
            script.emplace([&] {
                if (!formtest::WaitForOverlay()) return;
                if (c.overlay == Case::kPick)
                    formtest::MoveTo(Centre(frame), 300), qeltest::Click();
                else
                    formtest::Key(VK_ESCAPE);
            });
        UniqueDib image;
        {
            Watchdog watchdog(c.name);
            image.reset(c.call());
        }
        if (script) script->Join();
        const SIZE got = DibSize(image.get());
        EXPECT_TRUE(got.cx == c.expected.cx && got.cy == c.expected.cy)
            << c.name << ": " << got.cx << "x" << got.cy << ", expected " << c.expected.cx << "x" << c.expected.cy;
    }
    ::TerminateProcess(process.get(), 1);  // it would not answer the request to close
}

namespace {

// A window of the test thread painting a known pattern. Once armed, its next paint posts a message and
// starts a timer to itself, or destroys it; what arrives while a capture runs is counted apart.
struct OwnWindow {
    static constexpr UINT kPosted = WM_APP + 7;
    std::atomic<bool> armed{false};
    bool destroyOnPaint = false, capturing = false, queuedDuringCapture = false;
    int arrivedDuring = 0, arrivedAfter = 0;
    wintest::TestWindow wnd;

    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<OwnWindow*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (!self) return ::DefWindowProcW(w, msg, wp, lp);
        switch (msg) {
            case WM_ERASEBKGND: return 1;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                screentest::PaintPattern(w, ::BeginPaint(w, &ps), 7);
                ::EndPaint(w, &ps);
                if (self->armed.exchange(false)) {
                    self->queuedDuringCapture = self->capturing;
                    if (self->destroyOnPaint) return ::DestroyWindow(w), 0;
                    ::PostMessageW(w, kPosted, 0, 0);
                    ::SetTimer(w, 1, 1, nullptr);
                }
                return 0;
            }
            case WM_TIMER: ::KillTimer(w, 1); [[fallthrough]];
            case kPosted: ++(self->capturing ? self->arrivedDuring : self->arrivedAfter); return 0;
            default: return ::DefWindowProcW(w, msg, wp, lp);
        }
    }
};

}  // namespace

// A window of the calling thread that the overlay covered repaints before it is copied again, while
// nothing else of the caller's runs; one that goes meanwhile gives no image.
TEST_F(HungWindowTest, AWindowOfTheCallingThreadIsPickedWithItsOwnPixels) {
    const RECT r{300, 200, 620, 440};
    for (const bool destroy : {false, true}) {
        OwnWindow own;
        own.destroyOnPaint = destroy;
        own.wnd = wintest::Window(L"QelOwnPickTarget", L"own", WS_POPUP, 0, r, nullptr, OwnWindow::Proc, &own);
        ASSERT_TRUE(own.wnd.get());
        ::ShowWindow(own.wnd.get(), SW_SHOWNOACTIVATE);
        qeltest::PumpFor(200);
        const HWND wnd = own.wnd.get();
        formtest::InputScript script([&] {
            if (!formtest::WaitForOverlay()) return;
            formtest::MoveTo(Centre(r), 300);
            qeltest::Click();
            if (!formtest::WaitForOverlayGone()) return;
            own.armed = true;
            ::InvalidateRect(wnd, nullptr, FALSE);
        });
        own.capturing = true;
        UniqueDib image;
        {
            Watchdog watchdog(destroy ? "a pick of a window that goes" : "a pick of the caller's window");
            image.reset(CPictavoUtil().CaptureWindowObject(0));
        }
        own.capturing = false;
        script.Join();
        EXPECT_TRUE(own.queuedDuringCapture) << destroy << ": not repainted during the capture";
        if (destroy) {
            EXPECT_FALSE(image) << "an image of a window that went";
            continue;
        }
        EXPECT_TRUE(formtest::DibMatches(image.get(), POINT{r.left, r.top}, [&](int sx, int sy) {
            return 0xFF000000 | screentest::PatternRgb(7, sx - r.left, sy - r.top);
        }));
        EXPECT_EQ(own.arrivedDuring, 0) << "a posted message or timer of the caller ran during the capture";
        for (const DWORD start = ::GetTickCount(); own.arrivedAfter < 2 && ::GetTickCount() - start < 5000;)
            qeltest::PumpFor(20);
        EXPECT_EQ(own.arrivedAfter, 2) << "the posted message and the timer arrive once the call has returned";
    }
}

// An image too large for memory is no image, and no crash.
TEST(ImageAllocation, ImagesTooLargeToMakeAreNull) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    for (const SIZE s : {SIZE{1 << 20, 1 << 20}, SIZE{70000, 70000}, SIZE{0x7FFFFFFF, 2}}) {
        EXPECT_FALSE(qel::NewBitmap(s.cx, s.cy, PixelFormat32bppARGB)) << s.cx;
        EXPECT_FALSE(std::unique_ptr<Gdiplus::Bitmap>(ImageHelpers::CreateEmptyBitmap(s.cx, s.cy, 0, nullptr, 96, 96)))
            << s.cx;
        EXPECT_FALSE(ScreenGeometry::CopyScreenRectangle(nullptr, Gdiplus::Rect(0, 0, s.cx, s.cy))) << s.cx;
        EXPECT_FALSE(qel::UniqueHbitmap(CPictavoUtil::CreateDIBBitmap(s.cx, s.cy, 32, BI_RGB, nullptr))) << s.cx;
    }
}

// Deadlines survive the tick count's wrap-around.
TEST(MessageWaits, RemainingTimeAcrossTheTickWrap) {
    const struct { DWORD start, now, total, left; } cases[] = {
        {1000, 1000, 500, 500}, {1000, 1499, 500, 1}, {1000, 1500, 500, 0}, {1000, 9000, 500, 0},
        {0xFFFFFF00, 0x10, 0x200, 0xF0}, {0xFFFFFF00, 0x100, 0x200, 0}, {5, 5, 0, 0}};
    for (const auto& c : cases) EXPECT_EQ(qel::RemainingMs(c.start, c.now, c.total), c.left) << c.start << " " << c.now;
}
