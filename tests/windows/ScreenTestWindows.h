#pragma once
// Fixtures for screen copies: popups painting a position pattern over each monitor, a cursor of
// known shape, and a pixel-by-pixel comparison of a copied image with what the screen should show.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "GdiplusHandles.h"
#include "TestSupport.h"
#include "windows/ScreenGeometry.h"

namespace screentest {

// Unique per pixel of each monitor, so that any shift or mix-up of monitors shows.
inline DWORD PatternRgb(int tag, int x, int y) {
    return static_cast<DWORD>((tag << 6 | (y >> 8 & 7) << 3 | (x >> 8 & 7)) << 16 | (x & 0xFF) << 8 | (y & 0xFF));
}

// Fills the client area of wnd with PatternRgb(tag, ...).
inline void PaintPattern(HWND wnd, HDC dc, int tag) {
    RECT c;
    ::GetClientRect(wnd, &c);
    std::vector<DWORD> pixels(static_cast<size_t>(c.right) * c.bottom);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = PatternRgb(tag, static_cast<int>(i % c.right), static_cast<int>(i / c.right));
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), c.right, -c.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    ::SetDIBitsToDevice(dc, 0, 0, c.right, c.bottom, 0, 0, 0, c.bottom, pixels.data(), &info, DIB_RGB_COLORS);
}

// Paints PatternRgb(tag, ...) with the tag kept in GWLP_USERDATA.
inline LRESULT CALLBACK PatternProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return ::DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    PaintPattern(wnd, ::BeginPaint(wnd, &ps), static_cast<int>(::GetWindowLongPtrW(wnd, GWLP_USERDATA)));
    return ::EndPaint(wnd, &ps), 0;
}

// What the screen shows at (sx, sy) under PatternScreens; transparent white off every monitor.
inline Gdiplus::ARGB ExpectedScreenPixel(int sx, int sy) {
    static const MonitorList& monitors = ScreenGeometry::ListMonitors();
    int tag = 1;
    for (const MonitorEntry& m : monitors) {
        const Gdiplus::Rect& b = m.bounds;
        if (sx >= b.X && sx < b.X + b.Width && sy >= b.Y && sy < b.Y + b.Height) return 0xFF000000u | PatternRgb(tag, sx - b.X, sy - b.Y);
        ++tag;
    }
    return 0x00FFFFFFu;
}

// One topmost popup per monitor painting PatternRgb(index + 1, ...) in monitor coordinates.
struct PatternScreens {
    PatternScreens() {
        WNDCLASSW wc{0, PatternProc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"QelPattern"};
        ::RegisterClassW(&wc);
        int tag = 1;
        for (const MonitorEntry& m : ScreenGeometry::ListMonitors()) {
            const Gdiplus::Rect& b = m.bounds;
            windows.emplace_back(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP,
                                                   b.X, b.Y, b.Width, b.Height, nullptr, nullptr, wc.hInstance, nullptr));
            ::SetWindowLongPtrW(windows.back().get(), GWLP_USERDATA, tag++);
            ::ShowWindow(windows.back().get(), SW_SHOWNOACTIVATE);
        }
        // Wine shows a window's pixels only once its surface is flushed: wait until every monitor shows them.
        for (int i = 0; i < 60 && !Shown(); ++i) qeltest::PumpFor(50);
    }
    static bool Shown() {
        qel::WindowDc screen(nullptr);
        const MonitorList& monitors = ScreenGeometry::ListMonitors();
        return std::all_of(monitors.begin(), monitors.end(), [&](const MonitorEntry& m) {
            const COLORREF c = ::GetPixel(screen.get(), m.bounds.X + 3, m.bounds.Y + 3);
            return (0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)) == ExpectedScreenPixel(m.bounds.X + 3, m.bounds.Y + 3);
        });
    }
    std::vector<qel::UniqueHwnd> windows;
};

// The pixel at (x, y) as 0xAARRGGBB.
inline Gdiplus::ARGB PixelAt(Gdiplus::Image* image, int x, int y) {
    Gdiplus::Color c;
    return static_cast<Gdiplus::Bitmap*>(image)->GetPixel(x, y, &c), c.GetValue();
}

// Pixel (x, y) of a bottom-up 32-bit packed DIB, counted from the top-left, as 0xAARRGGBB.
inline Gdiplus::ARGB DibArgb(const BITMAPINFOHEADER* dib, int x, int y) {
    const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + dib->biSize;
    return reinterpret_cast<const Gdiplus::ARGB*>(bits)[static_cast<size_t>(dib->biHeight - 1 - y) * dib->biWidth + x];
}

// Differences between got(x, y) over a width x height picture taken at screen point (ox, oy) and
// expected(sx, sy); the first is described.
template <typename Got, typename Expected>
int CountDifferences(int ox, int oy, int width, int height, Got got, Expected expected, std::string* first) {
    int count = 0;
    for (int i = 0; i < width * height; ++i) {
        const int x = i % width, y = i / width;
        const Gdiplus::ARGB have = got(x, y), want = expected(ox + x, oy + y);
        if (have != want && count++ == 0) {
            char text[96];
            std::snprintf(text, sizeof(text), "at (%d, %d): %08lX, expected %08lX", ox + x, oy + y, have, want);
            *first = text;
        }
    }
    return count;
}

// The same for a 32-bit DIB.
template <typename Expected>
int CountDibMismatches(const BITMAPINFOHEADER* dib, int ox, int oy, Expected expected, std::string* first) {
    return CountDifferences(ox, oy, dib->biWidth, dib->biHeight, [&](int x, int y) { return DibArgb(dib, x, y); }, expected, first);
}

constexpr Gdiplus::ARGB kCursorColor = 0xFFFF00FFu;
constexpr int kHotspotX = 5, kHotspotY = 7;

// A 32 x 32 colour cursor, left half opaque magenta, right half transparent; hotspot (5, 7).
inline qel::UniqueHicon MakeTestCursor() {
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    qel::UniqueHbitmap color(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    for (int i = 0; color && i < 32 * 32; ++i) static_cast<DWORD*>(bits)[i] = i % 32 < 16 ? kCursorColor : 0;
    BYTE maskBits[32 * 4];
    for (int i = 0; i < 32 * 4; ++i) maskBits[i] = i % 4 < 2 ? 0x00 : 0xFF;  // left 16 pixels opaque
    qel::UniqueHbitmap mask(::CreateBitmap(32, 32, 1, 1, maskBits));
    ICONINFO icon{FALSE, kHotspotX, kHotspotY, mask.get(), color.get()};
    return qel::UniqueHicon(::CreateIconIndirect(&icon));
}

// The screen pixel covered by the opaque half of a test cursor whose image starts at `at`.
inline bool UnderTestCursor(POINT at, int sx, int sy) { return sx >= at.x && sx < at.x + 16 && sy >= at.y && sy < at.y + 32; }

}  // namespace screentest
