// The scrolling tests' target: a known picture (ScrollTargetContent.h) larger than the client area, moved
// by line steps and wheel turns. Options as ScrollTargetArguments writes them; exit 2 for bad arguments.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "../ScrollTargetContent.h"
#include "Handles.h"

using scrolltest::ScrollTargetOptions;

namespace {

constexpr wchar_t kClassName[] = L"QelScrollTarget";

bool ParseOptions(int argc, wchar_t** argv, ScrollTargetOptions* o) {
    const struct { const wchar_t* name; int* a; int* b; } numbers[] = {
        {L"--content", &o->contentWidth, &o->contentHeight}, {L"--client", &o->clientWidth, &o->clientHeight},
        {L"--pos", &o->x, &o->y}, {L"--start", &o->startX, &o->startY}, {L"--line", &o->line, nullptr},
        {L"--header", &o->header, nullptr}, {L"--destroy-after", &o->destroyAfter, nullptr},
        {L"--resize-after", &o->resizeAfter, nullptr}, {L"--collapse-after", &o->collapseAfter, nullptr},
        {L"--hang-after", &o->hangAfter, nullptr}};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i], value = argv[i + 1];
        bool ok = name == L"--title" || name == L"--bars";
        if (name == L"--title") o->title = value;
        if (name == L"--bars") o->verticalBar = value.find(L'v') != value.npos, o->horizontalBar = value.find(L'h') != value.npos;
        for (const auto& n : numbers) {
            wchar_t separator = 0, rest = 0;
            if (name == n.name)
                ok = n.b ? std::swscanf(value.c_str(), L"%d%lc%d%lc", n.a, &separator, n.b, &rest) == 3
                         : std::swscanf(value.c_str(), L"%d%lc", n.a, &rest) == 1;
        }
        if (!ok) return false;
    }
    return argc % 2 == 1 && o->contentWidth > 0 && o->contentHeight > 0 && o->clientWidth > 0 && o->line > 0 &&
           o->header >= 0 && o->header < o->clientHeight;
}

class ScrollTarget {
public:
    explicit ScrollTarget(const ScrollTargetOptions& o)
        : o_(o), width_(o.clientWidth), height_(o.clientHeight), x_(o.StartX()), y_(o.StartY()) {}

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<ScrollTarget*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        return self ? self->Handle(wnd, msg, wp, lp) : ::DefWindowProcW(wnd, msg, wp, lp);
    }

    DWORD Style() const {
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | (o_.verticalBar ? WS_VSCROLL : 0) |
               (o_.horizontalBar ? WS_HSCROLL : 0);
    }

    // Whatever the frame and the bars take, the tests compare the client area at its asked size.
    static void SetClientSize(HWND wnd, int width, int height) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            RECT outer, client;
            ::GetWindowRect(wnd, &outer);
            ::GetClientRect(wnd, &client);
            if (client.right == width && client.bottom == height) return;
            ::SetWindowPos(wnd, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                           outer.bottom - outer.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

private:
    LRESULT Handle(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
            case WM_ERASEBKGND: return 1;  // the paint covers every pixel
            case WM_PAINT: Paint(wnd); return 0;
            case WM_SIZE:
                width_ = LOWORD(lp);
                height_ = HIWORD(lp);
                ScrollTo(wnd, x_, y_);
                return 0;
            case WM_VSCROLL:
            case WM_HSCROLL:
            case WM_MOUSEWHEEL: {
                // A negative wheel delta moves toward the end, a line per 60.
                const int lines = msg == WM_MOUSEWHEEL ? -GET_WHEEL_DELTA_WPARAM(wp) / 60
                                  : LOWORD(wp) == SB_LINEDOWN ? 1 : LOWORD(wp) == SB_LINEUP ? -1 : 0;
                const int step = lines * o_.line;
                ScrollTo(wnd, x_ + (msg == WM_HSCROLL ? step : 0), y_ + (msg == WM_HSCROLL ? 0 : step));
                AfterStep(wnd);
                return 0;
            }
            case WM_DESTROY: ::PostQuitMessage(0); return 0;
            default: return ::DefWindowProcW(wnd, msg, wp, lp);
        }
    }

    // Painted before the step returns: left to the message loop, the paint could start before the
    // sender's UpdateWindow and still be under way when that returned at once, with the old picture shown.
    void AfterStep(HWND wnd) {
        ++steps_;
        if (steps_ == o_.resizeAfter) SetClientSize(wnd, width_ + 20, height_);
        if (steps_ == o_.collapseAfter) ::ShowWindow(wnd, SW_MINIMIZE);  // no client area left to copy
        ::UpdateWindow(wnd);
        if (steps_ == o_.destroyAfter) ::DestroyWindow(wnd);
        if (steps_ == o_.hangAfter) Hang();
    }

public:
    // The thread stops looking at its queue, as a hung program's does; the tests end the process.
    static void Hang() {
        ::Sleep(60000);
        ::ExitProcess(4);
    }

private:

    void ScrollTo(HWND wnd, int x, int y) {
        const int viewHeight = height_ - o_.header;
        x = std::clamp(x, 0, std::max(0, o_.contentWidth - width_));
        y = std::clamp(y, 0, std::max(0, o_.contentHeight - viewHeight));
        if (x != x_ || y != y_) ::InvalidateRect(wnd, nullptr, FALSE);
        x_ = x;
        y_ = y;
        // Always shown, disabled when nothing scrolls: a bar that hid itself would change the client size.
        SCROLLINFO v{sizeof v, SIF_ALL | SIF_DISABLENOSCROLL, 0, o_.contentHeight - 1, static_cast<UINT>(std::max(viewHeight, 0)), y_, 0};
        SCROLLINFO h{sizeof h, SIF_ALL | SIF_DISABLENOSCROLL, 0, o_.contentWidth - 1, static_cast<UINT>(width_), x_, 0};
        if (o_.verticalBar) ::SetScrollInfo(wnd, SB_VERT, &v, TRUE);
        if (o_.horizontalBar) ::SetScrollInfo(wnd, SB_HORZ, &h, TRUE);
    }

    void Paint(HWND wnd) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(wnd, &ps);
        // Made whole in memory and shown in one call, so no state between two positions is ever seen.
        view_ = scrolltest::RenderView(o_, width_, height_, x_, y_).pixels;
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        ::SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, view_.data(), &bi, DIB_RGB_COLORS);
        ::EndPaint(wnd, &ps);
        WaitUntilOnScreen(wnd, bi);
    }

    // Wine puts a window's pixels on the screen only when its thread next looks at its queue, and the X
    // server may show them a moment later still: a capture that copies the screen as soon as its repaint
    // returns saw the old picture about one time in ten. So a paint returns once the screen shows it, or
    // after a short bound when something covers the window.
    void WaitUntilOnScreen(HWND wnd, const BITMAPINFO& bi) {
        POINT origin{0, 0};
        ::ClientToScreen(wnd, &origin);
        void* bits = nullptr;
        qel::UniqueHbitmap section(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
        qel::WindowDc screen(nullptr);
        if (!section || !memory || !screen || view_.empty()) return;
        qel::SelectScope select(memory.get(), section.get());
        const auto* shown = static_cast<const uint32_t*>(bits);
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 200;) {
            MSG none;
            ::PeekMessageW(&none, nullptr, 0, 0, PM_NOREMOVE | PM_QS_PAINT);
            ::BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), origin.x, origin.y, SRCCOPY);
            ::GdiFlush();
            size_t i = 0;
            while (i < view_.size() && ((shown[i] ^ view_[i]) & 0xFFFFFF) == 0) ++i;
            if (i == view_.size()) return;
        }
    }

    ScrollTargetOptions o_;
    std::vector<uint32_t> view_;
    int width_, height_, x_, y_;
    int steps_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Its pixels are compared with client coordinates: the system must never scale them.
    ::SetProcessDPIAware();
    ScrollTargetOptions o;
    if (!ParseOptions(__argc, __wargv, &o)) return 2;
    ScrollTarget target(o);
    WNDCLASSW wc{0, ScrollTarget::Proc, 0, 0, instance, nullptr, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr, kClassName};
    ::RegisterClassW(&wc);
    // An application window: Wine keeps it below top-most ones (a capture's stop strip) even while active.
    HWND wnd = ::CreateWindowExW(WS_EX_APPWINDOW, kClassName, o.title.c_str(), target.Style(), o.x, o.y, o.clientWidth,
                                 o.clientHeight, nullptr, nullptr, instance, &target);
    if (!wnd) return 3;
    ScrollTarget::SetClientSize(wnd, o.clientWidth, o.clientHeight);
    ::ShowWindow(wnd, SW_SHOW);
    ::SetForegroundWindow(wnd);
    ::SetFocus(wnd);
    ::UpdateWindow(wnd);
    MSG msg;
    if (o.hangAfter < 0) {
        // Shown, foreground and focused first: answered for a moment, then never again.
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 300;) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        ScrollTarget::Hang();
    }
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
