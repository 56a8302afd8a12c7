// A window whose content, a known picture longer and wider than its client area, moves by the scroll
// messages a scrolling capture sends; what it shows is described in ScrollTargetContent.h.
// Usage: scroll_target.exe [--content WxH] [--client WxH] [--pos X,Y] [--line N] [--header N]
//   [--bars v|h|vh|none] [--start X,Y] [--destroy-after N] [--resize-after N] [--collapse-after N] [--title T]
// Exit codes: 0 when its window is gone, 2 for bad arguments, 3 when the window cannot be made.
#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "../ScrollTargetContent.h"
#include "Handles.h"

using scrolltest::ScrollTargetOptions;

namespace {

constexpr wchar_t kClassName[] = L"QelScrollTarget";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Wine keeps an application window below top-most ones (a capture's stop window) even while active.
constexpr DWORD kExStyle = WS_EX_APPWINDOW;

bool ParseNumber(const wchar_t* s, int* value) {
    wchar_t* end = nullptr;
    const long long v = std::wcstoll(s, &end, 10);
    if (end == s || *end || v < INT_MIN || v > INT_MAX) return false;
    *value = static_cast<int>(v);
    return true;
}

// "AxB" or "A,B".
bool ParsePair(const wchar_t* s, wchar_t separator, int* a, int* b) {
    const wchar_t* split = std::wcschr(s, separator);
    if (!split) return false;
    const std::wstring first(s, split);
    return ParseNumber(first.c_str(), a) && ParseNumber(split + 1, b);
}

bool ParseOptions(int argc, wchar_t** argv, ScrollTargetOptions* o) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = argv[i];
        if (i + 1 >= argc) return false;
        const wchar_t* v = argv[++i];
        bool ok = true;
        if (name == L"--content") ok = ParsePair(v, L'x', &o->contentWidth, &o->contentHeight);
        else if (name == L"--client") ok = ParsePair(v, L'x', &o->clientWidth, &o->clientHeight);
        else if (name == L"--pos") ok = ParsePair(v, L',', &o->x, &o->y);
        else if (name == L"--start") ok = ParsePair(v, L',', &o->startX, &o->startY);
        else if (name == L"--line") ok = ParseNumber(v, &o->line) && o->line > 0;
        else if (name == L"--header") ok = ParseNumber(v, &o->header) && o->header >= 0;
        else if (name == L"--destroy-after") ok = ParseNumber(v, &o->destroyAfter) && o->destroyAfter >= 0;
        else if (name == L"--resize-after") ok = ParseNumber(v, &o->resizeAfter) && o->resizeAfter >= 0;
        else if (name == L"--collapse-after") ok = ParseNumber(v, &o->collapseAfter) && o->collapseAfter >= 0;
        else if (name == L"--title") o->title = v;
        else if (name == L"--bars") {
            const std::wstring bars = v;
            ok = bars == L"v" || bars == L"h" || bars == L"vh" || bars == L"none";
            o->verticalBar = bars == L"v" || bars == L"vh";
            o->horizontalBar = bars == L"h" || bars == L"vh";
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    return o->contentWidth > 0 && o->contentHeight > 0 && o->clientWidth > 0 && o->clientHeight > 0 &&
           o->header < o->clientHeight;
}

// Position after a scroll-bar request; the codes of both bars share their values.
int ScrolledTo(int code, int pos, int line, int page, int max, int track) {
    switch (code) {
        case SB_LINEUP: pos -= line; break;
        case SB_LINEDOWN: pos += line; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: pos = track; break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = max; break;
        default: break;
    }
    return pos < 0 ? 0 : pos > max ? max : pos;
}

class ScrollTarget {
public:
    explicit ScrollTarget(const ScrollTargetOptions& o) : o_(o) {
        // Built once: a paint copies only the visible rows out of it.
        content_.resize(static_cast<size_t>(o.contentWidth) * o.contentHeight);
        for (int y = 0; y < o.contentHeight; ++y) {
            uint32_t* row = &content_[static_cast<size_t>(y) * o.contentWidth];
            for (int x = 0; x < o.contentWidth; ++x) row[x] = scrolltest::ScrollContentPixel(x, y);
        }
        width_ = o.clientWidth;
        height_ = o.clientHeight;
        x_ = o.StartX();
        y_ = o.StartY();
    }

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            ::SetWindowLongPtrW(wnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<ScrollTarget*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        return self ? self->Handle(wnd, msg, wp, lp) : ::DefWindowProcW(wnd, msg, wp, lp);
    }

    // The window's outer size for a client area of width x height.
    SIZE OuterSize(int width, int height) const {
        RECT r{0, 0, width, height};
        ::AdjustWindowRectEx(&r, Style(), FALSE, kExStyle);
        // AdjustWindowRectEx leaves the scroll bars out.
        if (o_.verticalBar) r.right += ::GetSystemMetrics(SM_CXVSCROLL);
        if (o_.horizontalBar) r.bottom += ::GetSystemMetrics(SM_CYHSCROLL);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    DWORD Style() const {
        return kStyle | (o_.verticalBar ? WS_VSCROLL : 0) | (o_.horizontalBar ? WS_HSCROLL : 0);
    }

    // Sizes the window until its client area is exactly width x height, whatever the frame adds.
    void SetClientSize(HWND wnd, int width, int height) {
        SIZE outer = OuterSize(width, height);
        for (int attempt = 0; attempt < 3; ++attempt) {
            ::SetWindowPos(wnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            RECT client;
            ::GetClientRect(wnd, &client);
            if (client.right == width && client.bottom == height) return;
            outer.cx += width - client.right;
            outer.cy += height - client.bottom;
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
                if (LOWORD(wp) == SB_ENDSCROLL) return 0;
                Step(wnd, msg == WM_VSCROLL, wp);
                return 0;
            case WM_MOUSEWHEEL: {
                // Toward the end for a negative delta; what does not make a whole 60 waits for the next.
                wheel_ += GET_WHEEL_DELTA_WPARAM(wp);
                const int lines = wheel_ / 60;
                wheel_ -= lines * 60;
                ScrollTo(wnd, x_, y_ - lines * o_.line);
                AfterStep(wnd);
                return 0;
            }
            case WM_DESTROY: ::PostQuitMessage(0); return 0;
            default: return ::DefWindowProcW(wnd, msg, wp, lp);
        }
    }

    int MaxX() const { return std::max(0, o_.contentWidth - width_); }
    int MaxY() const { return std::max(0, o_.contentHeight - (height_ - o_.header)); }

    void Step(HWND wnd, bool vertical, WPARAM wp) {
        const int code = LOWORD(wp);
        // The thumb position in the message has 16 bits; past that only the bar holds all of it.
        int thumb = HIWORD(wp);
        SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if ((vertical ? MaxY() : MaxX()) > 0xFFFF && (vertical ? o_.verticalBar : o_.horizontalBar) &&
            ::GetScrollInfo(wnd, vertical ? SB_VERT : SB_HORZ, &si))
            thumb = si.nTrackPos;
        if (vertical)
            ScrollTo(wnd, x_, ScrolledTo(code, y_, o_.line, height_ - o_.header, MaxY(), thumb));
        else
            ScrollTo(wnd, ScrolledTo(code, x_, o_.line, width_, MaxX(), thumb), y_);
        AfterStep(wnd);
    }

    // Painted before the step returns: left to the message loop, the paint could start before the
    // sender's UpdateWindow and still be under way when that returned at once, with the old picture shown.
    void AfterStep(HWND wnd) {
        ++steps_;
        if (steps_ == o_.resizeAfter) SetClientSize(wnd, width_ + 20, height_);
        if (steps_ == o_.collapseAfter) ::ShowWindow(wnd, SW_MINIMIZE);  // no client area left to copy
        ::UpdateWindow(wnd);
        if (steps_ == o_.destroyAfter) ::DestroyWindow(wnd);
    }

    void ScrollTo(HWND wnd, int x, int y) {
        x = std::clamp(x, 0, MaxX());
        y = std::clamp(y, 0, MaxY());
        const bool moved = x != x_ || y != y_;
        x_ = x;
        y_ = y;
        // Always shown, disabled when nothing scrolls: a bar that hid itself would change the client size.
        if (o_.verticalBar) SetBar(wnd, SB_VERT, o_.contentHeight, height_ - o_.header, y_);
        if (o_.horizontalBar) SetBar(wnd, SB_HORZ, o_.contentWidth, width_, x_);
        if (moved) ::InvalidateRect(wnd, nullptr, FALSE);
    }

    static void SetBar(HWND wnd, int bar, int content, int visible, int pos) {
        SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, 0, content - 1, static_cast<UINT>(std::max(visible, 0)), pos, 0};
        ::SetScrollInfo(wnd, bar, &si, TRUE);
    }

    void Paint(HWND wnd) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(wnd, &ps);
        // The whole client area is made in memory and put on the screen in one call, so no state between
        // two positions is ever seen.
        view_.resize(static_cast<size_t>(width_) * height_);
        for (int row = 0; row < height_; ++row)
            scrolltest::FillViewRow(o_, width_, x_, y_, row, &view_[static_cast<size_t>(row) * width_], content_.data());
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        ::SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, view_.data(), &bi, DIB_RGB_COLORS);
        ::EndPaint(wnd, &ps);
        WaitUntilOnScreen(wnd);
    }

    // Wine puts a window's pixels on the screen only when its thread next looks at its queue, and the X
    // server may show them a moment later still: a capture that copies the screen as soon as its repaint
    // returns saw the old picture about one time in ten. So a paint returns once the screen shows it, or
    // after a short bound when something covers the window.
    void WaitUntilOnScreen(HWND wnd) {
        RECT r;
        ::GetClientRect(wnd, &r);
        ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
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
            ::BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), r.left, r.top, SRCCOPY);
            ::GdiFlush();
            size_t i = 0;
            while (i < view_.size() && ((shown[i] ^ view_[i]) & 0xFFFFFF) == 0) ++i;
            if (i == view_.size()) return;
        }
    }

    ScrollTargetOptions o_;
    std::vector<uint32_t> content_, view_;
    int width_ = 0, height_ = 0;
    int x_ = 0, y_ = 0;
    int wheel_ = 0;
    int steps_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Its pixels are compared with client coordinates: the system must never scale them.
    ::SetProcessDPIAware();
    ScrollTargetOptions options;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const bool parsed = argv && ParseOptions(argc, argv, &options);
    if (argv) ::LocalFree(argv);
    if (!parsed) return 2;

    ScrollTarget target(options);
    WNDCLASSW wc{0, ScrollTarget::Proc, 0, 0, instance, nullptr, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr, kClassName};
    ::RegisterClassW(&wc);
    const SIZE outer = target.OuterSize(options.clientWidth, options.clientHeight);
    HWND wnd = ::CreateWindowExW(kExStyle, kClassName, options.title.c_str(), target.Style(), options.x, options.y, outer.cx,
                                 outer.cy, nullptr, nullptr, instance, &target);
    if (!wnd) return 3;
    target.SetClientSize(wnd, options.clientWidth, options.clientHeight);
    ::ShowWindow(wnd, SW_SHOW);
    ::SetForegroundWindow(wnd);
    ::SetFocus(wnd);
    ::UpdateWindow(wnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
