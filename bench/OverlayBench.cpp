// The overlays' speed: time from the exported call to the first overlay frame on the screen (less the
// capture delay) for the live overlay and the shape windows, one animation tick with its paint while the
// mouse moves and drags on the live overlay, and while a free-hand outline of 5,000 points grows. Each
// figure is also given as a ratio to one full-screen BitBlt measured in the same run.
#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <cstdio>
#include <thread>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/Capture.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "module/ModuleState.h"
#include "selection/CaptureForm.h"
#include "selection/CatchPolygonScreenWnd.h"
#include "windows/ScreenCopy.h"
#include "windows/ScreenGeometry.h"

#include "ScreenInput.h"
#include "TestSupport.h"

namespace {

// Screen copies, real input and message pumping as the tests do them.
using qeltest::CopyScreen;
using qeltest::MouseButton;
using qeltest::MoveMouse;
using qeltest::PumpFor;
using qeltest::VirtualScreen;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
    return values[index];
}

// One BitBlt of the whole virtual screen into a new memory bitmap: a 32-bit DIB section (the baseline, as
// in capture_bench), or a compatible bitmap, whose cost swings several times over between runs of this
// program.
double FullScreenBitBlt(bool section) {
    const RECT v = VirtualScreen();
    const int w = v.right - v.left, h = v.bottom - v.top;
    qel::WindowDc screen(nullptr);
    qel::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    qel::UniqueHbitmap bitmap(section ? ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                                      : ::CreateCompatibleBitmap(screen.get(), w, h));
    qel::SelectScope select(memory.get(), bitmap.get());
    const double start = Now();
    ::BitBlt(memory.get(), 0, 0, w, h, screen.get(), v.left, v.top, SRCCOPY);
    ::GdiFlush();
    return Now() - start;
}

HWND OverlayAt(POINT p) {
    HWND wnd = ::WindowFromPoint(p);
    if (wnd) wnd = ::GetAncestor(wnd, GA_ROOT);
    return wnd && qel::IgnoredWindows().Contains(wnd) ? wnd : nullptr;
}

LRESULT CALLBACK BackdropProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return ::DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd, &ps);
    RECT c;
    ::GetClientRect(wnd, &c);
    std::vector<DWORD> pixels(static_cast<size_t>(c.right) * c.bottom);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<DWORD>((i % c.right) * 5 % 251 << 16 | (i / c.right) * 3 % 241 << 8 | 0x40);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), c.right, -c.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    ::SetDIBitsToDevice(dc, 0, 0, c.right, c.bottom, 0, 0, 0, c.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    ::EndPaint(wnd, &ps);
    return 0;
}

// A capture form that times each tick (the tick paints what it invalidated before it returns).
class TimedForm : public CaptureForm {
public:
    using CaptureForm::CaptureForm;
    void Animate() override {
        const CPoint before = CursorPosition();
        const double start = Now();
        CaptureForm::Animate();
        const double took = Now() - start;
        if (CursorPosition() != before) (IsMouseDown() ? dragTicks : moveTicks).push_back(took);
    }
    std::vector<double> moveTicks, dragTicks;
};

// A free-hand window that starts with a long outline and times each tick in which the cursor moved.
class TimedFreehand : public CCatchFreehandScreenWnd {
public:
    explicit TimedFreehand(const Gdiplus::Rect& area) : CCatchFreehandScreenWnd(false) {
        // A zig-zag over the area, as a long hand-drawn trail would be.
        const Gdiplus::Rect b = ScreenGeometry::VirtualScreenBounds();
        for (int i = 0; i < 5000; ++i)
            m_points.Add(CPoint(area.X - b.X + (i * 7) % area.Width, area.Y - b.Y + (i / 25) * area.Height / 200));
        OutlineChanged();
    }
    void Animate() override {
        const CPoint before = CursorPosition();
        const double start = Now();
        CCatchFreehandScreenWnd::Animate();
        const double took = Now() - start;
        if (CursorPosition() != before && IsMouseDown()) ticks.push_back(took);
    }
    std::vector<double> ticks;
};

struct FirstFrameTimes {
    double frame;     // median time to the first frame
    double baseline;  // median full-screen BitBlt into a new section, one before each run after the same pause
};

// Median time from call() to the first change of the screen around the cursor, less the capture delay;
// whatever overlay call() shows is cancelled with Escape once seen.
FirstFrameTimes FirstFrame(const POINT cursor, double delay, const std::function<void()>& call) {
    const RECT watched{cursor.x - 40, cursor.y - 40, cursor.x + 80, cursor.y + 80};
    std::vector<double> firstFrames, blits;
    for (int run = 0; run < 8; ++run) {
        // The baseline and the call each come after the same pause: the first full-screen read after a
        // pause costs more than one after another.
        MoveMouse(cursor);
        PumpFor(300);
        blits.push_back(FullScreenBitBlt(true));
        PumpFor(300);
        const std::vector<DWORD> before = CopyScreen(watched).pixels;
        std::atomic<double> called{0.0}, seen{0.0};
        std::thread watcher([&] {
            while (called.load() == 0.0) ::Sleep(0);
            const double deadline = called.load() + 10000.0;
            while (Now() < deadline) {
                if (CopyScreen(watched).pixels != before) {
                    seen = Now();
                    break;
                }
                // Polled, not spun: a spinning watcher takes a core and the display from the work it times.
                ::Sleep(1);
            }
            for (int i = 0; i < 100; ++i) {
                HWND overlay = OverlayAt(cursor);
                if (!overlay) {
                    ::Sleep(20);
                    continue;
                }
                ::PostMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            }
        });
        called = Now();
        call();
        watcher.join();
        if (seen.load() > 0.0) firstFrames.push_back(seen.load() - called.load() - delay);
        PumpFor(300);
    }
    return FirstFrameTimes{Percentile(firstFrames, 0.5), Percentile(blits, 0.5)};
}

}  // namespace

int main() {
    if (!qel::EnsureGdiplus()) return 1;
    const std::vector<MonitorEntry> monitors(ScreenGeometry::ListMonitors().begin(), ScreenGeometry::ListMonitors().end());
    const MonitorEntry& last = monitors.back();
    const Gdiplus::Rect& m = last.bounds;
    std::printf("virtual screen %ldx%ld, %zu monitor(s)\n", VirtualScreen().right - VirtualScreen().left,
                VirtualScreen().bottom - VirtualScreen().top, monitors.size());

    // A backdrop with detail on every monitor, as a desktop would have.
    WNDCLASSW wc{0, BackdropProc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"QelBench"};
    ::RegisterClassW(&wc);
    std::vector<qel::UniqueHwnd> backdrops;
    for (const MonitorEntry& e : monitors) {
        backdrops.emplace_back(::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, e.bounds.X,
                                                 e.bounds.Y, e.bounds.Width, e.bounds.Height, nullptr, nullptr,
                                                 wc.hInstance, nullptr));
        ::ShowWindow(backdrops.back().get(), SW_SHOWNOACTIVATE);
    }
    PumpFor(400);

    std::vector<double> compatible;
    for (int i = 0; i < 15; ++i) compatible.push_back(FullScreenBitBlt(false));
    const double warm = Percentile(compatible, 0.5);
    std::printf("full-screen BitBlt into a new compatible bitmap, 15 in a row: median %.2f ms\n", warm);

    // First frame: from the exported call to the overlay's first pixels on the screen, less the delay (the
    // shape windows have none).
    const int delay = CaptureSettings::Get().CaptureDelay;
    const POINT cursor{m.X + m.Width / 3, m.Y + m.Height / 3};
    const FirstFrameTimes live = FirstFrame(cursor, delay, [] { UniqueDib dib(CPictavoUtil().CaptureShapeRegion(0, 1)); });
    const double baseline = live.baseline;
    std::printf("full-screen BitBlt into a new 32-bit DIB section, one before each run: median %.2f ms (baseline)\n",
                baseline);
    std::printf("first overlay frame (less CaptureDelay %d ms): median %.1f ms = %.2f x BitBlt (goal 2.5), %.2f x the "
                "compatible bitmap's\n",
                delay, live.frame, live.frame / baseline, live.frame / warm);
    const struct { const char* name; std::function<void()> call; } shapes[] = {
        {"fixed-size", [] { UniqueDib dib(CPictavoUtil().CaptureFixedRegion(0, 0, 300, 200)); }},
        {"polygon", [] { UniqueDib dib(CPictavoUtil().CaptureShapeRegion(0, 5)); }},
        {"free-hand", [] { UniqueDib dib(CPictavoUtil().CaptureShapeRegion(0, 6)); }}};
    for (const auto& shape : shapes) {
        const FirstFrameTimes first = FirstFrame(cursor, 0, shape.call);
        std::printf("first %s window frame: median %.1f ms = %.2f x BitBlt (%.2f ms in its rounds) = %.2f x the live "
                    "overlay's (goal 1)\n",
                    shape.name, first.frame, first.frame / first.baseline, first.baseline, first.frame / live.frame);
    }

    // Ticks while the mouse moves and while it drags, on a form made as the session makes it.
    Capture capture;
    capture.GetDetails()->SetCaptureMode(1);
    if (!ScreenGeometry::CaptureRectangle(&capture, capture.GetScreenBounds())) return 1;
    WindowRecordList windows = WindowDetails::ListOnScreenWindows();
    WindowListHolder holder(&windows);
    TimedForm form(&capture, &holder);
    std::thread mover([&] {
        for (int i = 0; i < 500 && !OverlayAt(cursor); ++i) ::Sleep(20);
        ::Sleep(300);
        POINT p{m.X + 100, m.Y + 100};
        for (int step = 0; step < 300; ++step) {  // diagonally and back: both cross-hair lines move
            p.x += step < 150 ? 7 : -7;
            p.y += step < 150 ? 4 : -4;
            MoveMouse(p);
            ::Sleep(12);
        }
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        for (int step = 0; step < 200; ++step) {
            p.x += step < 100 ? 6 : -3;
            p.y += step < 100 ? 3 : -1;
            MoveMouse(p);
            ::Sleep(12);
        }
        if (HWND overlay = OverlayAt(cursor)) ::PostMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
        MouseButton(MOUSEEVENTF_LEFTUP);
    });
    form.RunForm();
    mover.join();
    for (const auto* ticks : {&form.moveTicks, &form.dragTicks}) {
        const double median = Percentile(*ticks, 0.5), p95 = Percentile(*ticks, 0.95);
        std::printf("tick with paint while the mouse %s: median %.2f ms = %.2f x BitBlt, 95th percentile %.2f ms = "
                    "%.2f x BitBlt over %zu ticks (goal 8 ms)\n",
                    ticks == &form.moveTicks ? "moves" : "drags", median, median / baseline, p95, p95 / baseline,
                    ticks->size());
    }

    // Ticks while a free-hand outline of 5,000 points grows under a drag.
    TimedFreehand freehand(Gdiplus::Rect(m.X + 100, m.Y + 100, m.Width - 200, m.Height - 200));
    std::thread drawer([&] {
        for (int i = 0; i < 500 && !OverlayAt(cursor); ++i) ::Sleep(20);
        ::Sleep(300);
        POINT p{m.X + m.Width / 2, m.Y + m.Height / 2};
        MoveMouse(p);
        ::Sleep(100);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        for (int step = 0; step < 200; ++step) {
            p.x = m.X + m.Width / 2 + static_cast<LONG>(300 * std::cos(step / 20.0));
            p.y = m.Y + m.Height / 2 + static_cast<LONG>(200 * std::sin(step / 15.0));
            MoveMouse(p);
            ::Sleep(12);
        }
        MouseButton(MOUSEEVENTF_LEFTUP);
        if (HWND overlay = OverlayAt(cursor)) ::PostMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    freehand.RunForm();
    drawer.join();
    const double median = Percentile(freehand.ticks, 0.5), p95 = Percentile(freehand.ticks, 0.95);
    std::printf("free-hand tick with paint, 5,000 points and more: median %.2f ms = %.2f x BitBlt, 95th percentile "
                "%.2f ms = %.2f x BitBlt over %zu ticks (goal 16 ms)\n",
                median, median / baseline, p95, p95 / baseline, freehand.ticks.size());
    return 0;
}
