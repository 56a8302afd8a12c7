#include "ScreenInput.h"

#include "Handles.h"
#include "TestSupport.h"

namespace qeltest {

RECT VirtualScreen() {
    const int x0 = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y0 = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x0, y0, x0 + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y0 + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {

// The pixels of area (screen coordinates) as dc shows them, dc's origin lying at origin on the screen.
ScreenCopy CopyThrough(HDC dc, POINT origin, const RECT& area) {
    ScreenCopy copy;
    copy.area = area;
    const int w = area.right - area.left, h = area.bottom - area.top;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    qel::UniqueHbitmap section(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
    if (!section || !memory || !dc) return copy;
    {
        qel::SelectScope select(memory.get(), section.get());
        ::BitBlt(memory.get(), 0, 0, w, h, dc, area.left - origin.x, area.top - origin.y, SRCCOPY);
        ::GdiFlush();
    }
    const DWORD* p = static_cast<const DWORD*>(bits);
    copy.pixels.assign(p, p + static_cast<size_t>(w) * h);
    for (DWORD& px : copy.pixels) px &= 0xFFFFFF;
    return copy;
}

}  // namespace

ScreenCopy CopyScreen(const RECT& area) {
    qel::WindowDc screen(nullptr);
    return CopyThrough(screen.get(), POINT{0, 0}, area);
}

bool WaitForWindowOnScreen(HWND wnd, const RECT& area, DWORD timeoutMs) {
    // Pixels on no monitor are nowhere on the screen to compare. A window's pixels reach the screen all at
    // once, so its part on one monitor tells.
    RECT look = area;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoW(::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &monitor))
        ::IntersectRect(&look, &area, &monitor.rcMonitor);
    if (::IsRectEmpty(&look)) look = area;
    // Each look reads the area twice, the screen's copy through the X server: not so often that the
    // looking slows down the painting it waits for.
    for (const DWORD start = ::GetTickCount();; ::Sleep(40)) {
        POINT origin{0, 0};
        if (!::IsWindow(wnd) || !::ClientToScreen(wnd, &origin)) return false;
        qel::WindowDc painted(wnd);
        const ScreenCopy held = CopyThrough(painted.get(), origin, look);
        if (!held.pixels.empty() && held.pixels == CopyScreen(look).pixels) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
    }
}

size_t CountDifferences(const ScreenCopy& a, const ScreenCopy& b, const RECT* within) {
    size_t n = 0;
    for (LONG y = a.area.top; y < a.area.bottom; ++y)
        for (LONG x = a.area.left; x < a.area.right; ++x)
            n += a.At(x, y) != b.At(x, y) &&
                 (!within || (x >= within->left && x < within->right && y >= within->top && y < within->bottom));
    return n;
}

void MoveMouse(LONG x, LONG y) {
    const RECT v = VirtualScreen();
    const LONGLONG w = v.right - v.left, h = v.bottom - v.top;
    // The system truncates the normalised position back to pixels: round up so that it lands on (x, y).
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(((x - v.left) * 65536LL + w - 1) / w);
    in.mi.dy = static_cast<LONG>(((y - v.top) * 65536LL + h - 1) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    ::SendInput(1, &in, sizeof(in));
}

void MouseButton(DWORD flag) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flag;
    ::SendInput(1, &in, sizeof(in));
}

void Click(bool left) {
    MouseButton(left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
    MouseButton(left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
}

void Drag(POINT from, POINT to) {
    MoveMouse(from), PumpFor(100);
    MouseButton(MOUSEEVENTF_LEFTDOWN), PumpFor(80);
    MoveMouse((from.x + to.x) / 2, (from.y + to.y) / 2), PumpFor(60);
    MoveMouse(to), PumpFor(200);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

void PressKey(WORD vk) {
    INPUT in[2]{};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

}  // namespace qeltest
