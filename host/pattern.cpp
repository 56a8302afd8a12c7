// pictavo-pattern: a top-level window with a known pattern, a target for captures to be compared with.
//   pictavo-pattern X Y WIDTH HEIGHT [TITLE]
// Paints eight vertical colour bars over the upper half and a 16-pixel black-and-white checkerboard
// below; prints its window handle and keeps running until closed.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

const COLORREF kBars[] = {RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 255, 0),
                          RGB(255, 0, 255),   RGB(255, 0, 0),   RGB(0, 0, 255),   RGB(0, 0, 0)};

void FillRectColor(HDC dc, int l, int t, int r, int b, COLORREF c) {
    const RECT rc{l, t, r, b};
    ::SetBkColor(dc, c);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void Paint(HWND wnd, HDC dc) {
    RECT client;
    ::GetClientRect(wnd, &client);
    const int w = client.right, h = client.bottom, half = h / 2;
    for (int i = 0; i < 8; ++i) FillRectColor(dc, w * i / 8, 0, w * (i + 1) / 8, half, kBars[i]);
    for (int y = half; y < h; y += 16)
        for (int x = 0; x < w; x += 16)
            FillRectColor(dc, x, y, x + 16, y + 16, ((x / 16 + (y - half) / 16) % 2) ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(wnd, &ps);
            Paint(wnd, dc);
            ::EndPaint(wnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(wnd, reinterpret_cast<HDC>(wp));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fwprintf(stderr, L"usage: pictavo-pattern X Y WIDTH HEIGHT [TITLE]\n");
        return 2;
    }
    ::SetProcessDPIAware();
    const int x = _wtoi(argv[1]), y = _wtoi(argv[2]), w = _wtoi(argv[3]), h = _wtoi(argv[4]);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"PictavoPattern";
    ::RegisterClassW(&wc);
    HWND wnd = ::CreateWindowExW(0, wc.lpszClassName, argc > 5 ? argv[5] : L"Pattern", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    if (!wnd) return 1;
    std::wprintf(L"%p\n", static_cast<void*>(wnd));
    std::fflush(stdout);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
