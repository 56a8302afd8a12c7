#include "ToolTestSupport.h"

#include "GdiplusHandles.h"
#include "TestSupport.h"

namespace tooltest {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM param) {
    reinterpret_cast<std::vector<RECT>*>(param)->push_back(*rect);
    return TRUE;
}

// Solid windows keep their colour + 1 in their user data, pattern windows 0. The pixels are computed
// into one DIB: thousands of brushes would take seconds.
LRESULT CALLBACK BackdropProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return TRUE;
    if (message != WM_PAINT) return ::DefWindowProcW(wnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd, &ps);
    const LONG_PTR solid = ::GetWindowLongPtrW(wnd, GWLP_USERDATA);
    RECT client;
    ::GetClientRect(wnd, &client);
    std::vector<DWORD> pixels(static_cast<size_t>(client.right) * client.bottom);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = solid ? static_cast<DWORD>(solid - 1) : static_cast<DWORD>(i * 2654435761u >> 7) & 0xFFFFFF;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ::SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(), &bi,
                        DIB_RGB_COLORS);
    ::EndPaint(wnd, &ps);
    return 0;
}

qel::UniqueHwnd Backdrop(const RECT& area, LONG_PTR solid) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = BackdropProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"QelToolTestBackdrop";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    qel::UniqueHwnd wnd(::CreateWindowExW(WS_EX_TOOLWINDOW, L"QelToolTestBackdrop", L"", WS_POPUP, area.left,
                                          area.top, area.right - area.left, area.bottom - area.top, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!wnd) return wnd;
    ::SetWindowLongPtrW(wnd.get(), GWLP_USERDATA, solid);
    ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(wnd.get());
    qeltest::PumpFor(300);
    return wnd;
}

}  // namespace

RECT VirtualScreen() {
    const int x0 = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y0 = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x0, y0, x0 + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y0 + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<RECT> Monitors() {
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

ScreenCopy CopyScreen(const RECT& area) {
    ScreenCopy copy;
    copy.area = area;
    const int w = area.right - area.left, h = area.bottom - area.top;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    qel::UniqueHbitmap section(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    qel::UniqueHdc mem(::CreateCompatibleDC(nullptr));
    qel::WindowDc screen(nullptr);
    if (!section || !mem || !screen) return copy;
    {
        qel::SelectScope select(mem.get(), section.get());
        ::BitBlt(mem.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY);
        ::GdiFlush();
    }
    const DWORD* p = static_cast<const DWORD*>(bits);
    copy.pixels.assign(p, p + static_cast<size_t>(w) * h);
    for (DWORD& px : copy.pixels) px &= 0xFFFFFF;
    return copy;
}

size_t CountDifferences(const ScreenCopy& a, const ScreenCopy& b, const RECT* within) {
    size_t n = 0;
    for (LONG y = a.area.top; y < a.area.bottom; ++y)
        for (LONG x = a.area.left; x < a.area.right; ++x)
            n += a.At(x, y) != b.At(x, y) &&
                 (!within || (x >= within->left && x < within->right && y >= within->top && y < within->bottom));
    return n;
}

void SaveScreenPng(const RECT& area, const std::wstring& name) {
    static const CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    ScreenCopy copy = CopyScreen(area);
    const int w = area.right - area.left;
    if (!qel::EnsureGdiplus() || copy.pixels.empty()) return;
    Gdiplus::Bitmap image(w, area.bottom - area.top, w * 4, PixelFormat32bppRGB,
                          reinterpret_cast<BYTE*>(copy.pixels.data()));
    image.Save(qeltest::OutputPath(name).c_str(), &png, nullptr);
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

void PressKey(WORD vk) {
    INPUT in[2]{};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

qel::UniqueHwnd PatternWindow(const RECT& area) { return Backdrop(area, 0); }

qel::UniqueHwnd SolidWindow(const RECT& area, COLORREF c) {
    return Backdrop(area, static_cast<LONG_PTR>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)) + 1);
}

}  // namespace tooltest
