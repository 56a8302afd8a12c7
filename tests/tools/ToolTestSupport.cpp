#include "ToolTestSupport.h"

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

std::vector<RECT> Monitors() {
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

qel::UniqueHwnd PatternWindow(const RECT& area) { return Backdrop(area, 0); }

qel::UniqueHwnd SolidWindow(const RECT& area, COLORREF c) {
    return Backdrop(area, static_cast<LONG_PTR>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)) + 1);
}

}  // namespace tooltest
