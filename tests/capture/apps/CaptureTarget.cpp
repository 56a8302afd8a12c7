// A program whose one window is a capture target in another process.
// Usage: capture_target_*.exe <title> <x> <y> <width> <height> [black] [framework]
//   black      paints the window black on the screen instead of RGB(0, 160, 0)
//   framework  loads presentationframework-probe.dll first
// Asked to print its client area, the window paints RGB(200, 0, 40). It ends when closed, or after two
// minutes.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr COLORREF kPaintColour = RGB(0, 160, 0);
constexpr COLORREF kPrintColour = RGB(200, 0, 40);
COLORREF g_paintColour = kPaintColour;

void Fill(HWND wnd, HDC dc, COLORREF colour) {
    RECT client;
    GetClientRect(wnd, &client);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        Fill(wnd, dc, g_paintColour);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Fill(wnd, reinterpret_cast<HDC>(wp), kPrintColour);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 6) return 2;
    for (int i = 6; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"black") == 0) g_paintColour = RGB(0, 0, 0);
        if (std::wcscmp(argv[i], L"framework") == 0 && !LoadLibraryW(L"presentationframework-probe.dll")) return 3;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QelCaptureTarget";
    RegisterClassW(&wc);
    // An application window: Wine stacks it below top-most windows even while it is active.
    HWND wnd = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, argv[1], WS_POPUP | WS_VISIBLE, _wtoi(argv[2]), _wtoi(argv[3]),
                               _wtoi(argv[4]), _wtoi(argv[5]), nullptr, nullptr, instance, nullptr);
    LocalFree(argv);
    if (!wnd) return 4;
    SetForegroundWindow(wnd);
    SetTimer(nullptr, 0, 120000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
