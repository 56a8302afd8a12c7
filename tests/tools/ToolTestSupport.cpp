#include "ToolTestSupport.h"

#include <QelFramework/Framework.h>

#include <cstring>
#include <memory>

#include "GdiplusHandles.h"
#include "TestSupport.h"

namespace tooltest {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM param) {
    reinterpret_cast<std::vector<RECT>*>(param)->push_back(*rect);
    return TRUE;
}

// Pattern windows keep 0 in their user data; solid ones their colour + 1.
LRESULT CALLBACK BackdropProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return TRUE;
    if (message != WM_PAINT) return ::DefWindowProcW(wnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd, &ps);
    const LONG_PTR solid = ::GetWindowLongPtrW(wnd, GWLP_USERDATA);
    RECT client;
    ::GetClientRect(wnd, &client);
    if (solid) {
        qel::UniqueHbrush brush(::CreateSolidBrush(static_cast<COLORREF>(solid - 1)));
        ::FillRect(dc, &client, brush.get());
    } else {
        // Vertical stripes of varying width and colour over horizontal bands, computed into one DIB:
        // thousands of brushes would take seconds.
        const COLORREF colors[] = {0x2040C0, 0x30A050, 0xC08020, 0x606060, 0xF0F0F0, 0x101010, 0x8030B0};
        const LONG w = client.right, h = client.bottom;
        std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
        for (LONG y = 0; y < h; ++y) {
            const LONG band = y / 37;
            for (LONG x = 0, i = 0; x < w; ++i) {
                const LONG stripe = 1 + (i * 3 + band) % 7;
                const COLORREF c = colors[(i + band * 2) % 7] ^ static_cast<COLORREF>(band * 0x030201);
                const DWORD rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                for (LONG k = 0; k < stripe && x < w; ++k, ++x) pixels[static_cast<size_t>(y) * w + x] = rgb;
            }
        }
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        ::SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
    }
    ::EndPaint(wnd, &ps);
    return 0;
}

const wchar_t* BackdropClass() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = BackdropProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"QelToolTestBackdrop";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return L"QelToolTestBackdrop";
}

qel::UniqueHwnd Backdrop(const RECT& area, LONG_PTR solid) {
    qel::UniqueHwnd wnd(::CreateWindowExW(WS_EX_TOOLWINDOW, BackdropClass(), L"", WS_POPUP, area.left, area.top,
                                          area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    if (!wnd) return wnd;
    ::SetWindowLongPtrW(wnd.get(), GWLP_USERDATA, solid);
    ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(wnd.get());
    qeltest::PumpFor(300);
    return wnd;
}

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

HWND g_watchedWindow = nullptr;
int g_watchdogResult = 0;

void CALLBACK WatchdogFired(HWND, UINT, UINT_PTR, DWORD) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(g_watchedWindow)) wnd->EndModalLoop(g_watchdogResult);
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
    for (LONG y = a.area.top; y < a.area.bottom; ++y) {
        for (LONG x = a.area.left; x < a.area.right; ++x) {
            if (within && (x < within->left || x >= within->right || y < within->top || y >= within->bottom)) continue;
            if (a.At(x, y) != b.At(x, y)) ++n;
        }
    }
    return n;
}

bool SaveScreenPng(const RECT& area, const std::wstring& name) {
    if (!qel::EnsureGdiplus()) return false;
    const int w = area.right - area.left, h = area.bottom - area.top;
    qel::WindowDc screen(nullptr);
    qel::UniqueHdc mem(::CreateCompatibleDC(screen.get()));
    qel::UniqueHbitmap bitmap(::CreateCompatibleBitmap(screen.get(), w, h));
    if (!mem || !bitmap) return false;
    {
        qel::SelectScope select(mem.get(), bitmap.get());
        ::BitBlt(mem.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY);
    }
    CLSID png;
    if (!PngEncoder(&png)) return false;
    Gdiplus::Bitmap image(bitmap.get(), nullptr);
    return image.Save(qeltest::OutputPath(name).c_str(), &png, nullptr) == Gdiplus::Ok;
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

qel::UniqueHwnd SolidWindow(const RECT& area, COLORREF color) { return Backdrop(area, static_cast<LONG_PTR>(color) + 1); }

ModalWatchdog::ModalWatchdog(HWND wnd, DWORD ms, int result) {
    g_watchedWindow = wnd;
    g_watchdogResult = result;
    timer_ = ::SetTimer(nullptr, 0, ms, WatchdogFired);
}

ModalWatchdog::~ModalWatchdog() {
    if (timer_) ::KillTimer(nullptr, timer_);
    g_watchedWindow = nullptr;
}

}  // namespace tooltest
