#pragma once
// Test fixtures for screen copies: windows that paint a position pattern over each monitor, a
// cursor of known shape, and a pixel-by-pixel comparison of a copied image.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GdiplusHandles.h"
#include "TestSupport.h"
#include "windows/ScreenGeometry.h"

namespace screentest {

// Unique per pixel of each monitor, so that any shift or mix-up of monitors shows.
inline DWORD PatternRgb(int tag, int x, int y) {
    const DWORD red = static_cast<DWORD>(tag << 6 | ((y >> 8) & 7) << 3 | ((x >> 8) & 7));
    return red << 16 | static_cast<DWORD>(x & 0xFF) << 8 | static_cast<DWORD>(y & 0xFF);
}

inline LRESULT CALLBACK PatternProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return ::DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd, &ps);
    RECT client;
    ::GetClientRect(wnd, &client);
    const int tag = static_cast<int>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    std::vector<DWORD> pixels(static_cast<size_t>(client.right) * client.bottom);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) pixels[static_cast<size_t>(y) * client.right + x] = PatternRgb(tag, x, y);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ::SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(), &info,
                        DIB_RGB_COLORS);
    ::EndPaint(wnd, &ps);
    return 0;
}

// One topmost popup per monitor painting PatternRgb(index + 1, ...) in monitor coordinates.
class PatternScreens {
public:
    PatternScreens() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QelScreenPattern";
        ::RegisterClassW(&wc);
        int tag = 1;
        for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
            qel::UniqueHwnd wnd(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP,
                                                  m.bounds.X, m.bounds.Y, m.bounds.Width, m.bounds.Height, nullptr,
                                                  nullptr, wc.hInstance, nullptr));
            ::SetWindowLongPtrW(wnd.get(), GWLP_USERDATA, tag++);
            ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
            windows_.push_back(std::move(wnd));
        }
        qeltest::PumpFor(250);  // Wine shows a window's pixels only once its surface is flushed
    }
    const std::vector<qel::UniqueHwnd>& windows() const { return windows_; }

private:
    std::vector<qel::UniqueHwnd> windows_;
};

// What the screen shows at (sx, sy) under PatternScreens; transparent white off every monitor.
inline Gdiplus::ARGB ExpectedScreenPixel(int sx, int sy) {
    static const MonitorList& monitors = ScreenGeometry::ListMonitors();
    int tag = 1;
    for (const MonitorEntry& m : monitors) {
        const Gdiplus::Rect& b = m.bounds;
        if (sx >= b.X && sx < b.X + b.Width && sy >= b.Y && sy < b.Y + b.Height)
            return 0xFF000000u | PatternRgb(tag, sx - b.X, sy - b.Y);
        ++tag;
    }
    return 0x00FFFFFFu;
}

// Compares every pixel of image, taken at screen rectangle r, with expected(sx, sy); returns the
// number of differences and describes the first in *first.
inline int CountMismatches(Gdiplus::Bitmap* image, const Gdiplus::Rect& r,
                           const std::function<Gdiplus::ARGB(int, int)>& expected, std::string* first) {
    qel::BitmapBitsLock bits(image, Gdiplus::Rect(0, 0, r.Width, r.Height), Gdiplus::ImageLockModeRead,
                             PixelFormat32bppARGB);
    if (!bits.ok()) return -1;
    int count = 0;
    for (int y = 0; y < r.Height; ++y) {
        const auto* row = reinterpret_cast<const Gdiplus::ARGB*>(bits.scan0() + static_cast<ptrdiff_t>(y) * bits.data().Stride);
        for (int x = 0; x < r.Width; ++x) {
            const Gdiplus::ARGB want = expected(r.X + x, r.Y + y);
            if (row[x] == want) continue;
            if (count++ == 0) {
                char text[128];
                std::snprintf(text, sizeof(text), "at screen (%d, %d): %08lX, expected %08lX", r.X + x, r.Y + y,
                              static_cast<unsigned long>(row[x]), static_cast<unsigned long>(want));
                *first = text;
            }
        }
    }
    return count;
}

constexpr Gdiplus::ARGB kCursorColor = 0xFFFF00FFu;
constexpr int kHotspotX = 5, kHotspotY = 7;

// A 32 x 32 colour cursor: left half opaque magenta, right half transparent; hotspot (5, 7).
inline qel::UniqueHicon MakeTestCursor() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    qel::UniqueHbitmap color(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color) return {};
    auto* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < 32 * 32; ++i) pixels[i] = (i % 32) < 16 ? kCursorColor : 0;
    BYTE maskBits[32 * 4];
    for (int row = 0; row < 32; ++row) {
        maskBits[row * 4] = maskBits[row * 4 + 1] = 0x00;  // opaque
        maskBits[row * 4 + 2] = maskBits[row * 4 + 3] = 0xFF;
    }
    qel::UniqueHbitmap mask(::CreateBitmap(32, 32, 1, 1, maskBits));
    ICONINFO icon{FALSE, kHotspotX, kHotspotY, mask.get(), color.get()};
    return qel::UniqueHicon(::CreateIconIndirect(&icon));
}

// True when screen pixel (sx, sy) is covered by the opaque half of the test cursor whose image has
// its top-left corner at `at`.
inline bool UnderTestCursor(POINT at, int sx, int sy) {
    return sx >= at.x && sx < at.x + 16 && sy >= at.y && sy < at.y + 32;
}

}  // namespace screentest
