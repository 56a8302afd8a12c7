// A program whose window is a capture target in another process.
// Usage: capture_target_*.exe <title> <x> <y> <width> <height> [black] [framework] [second]
//   black      paints the window black on the screen instead of RGB(0, 160, 0)
//   framework  loads presentationframework-probe.dll first
//   second     also shows a window titled "<title> second" beside the first
// Asked to print its client area, a window paints RGB(200, 0, 40). The program ends when a window is
// closed, or after two minutes.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

COLORREF g_paintColour = RGB(0, 160, 0);

LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT) return DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = msg == WM_PAINT ? BeginPaint(wnd, &ps) : reinterpret_cast<HDC>(wp);
    RECT client;
    GetClientRect(wnd, &client);
    HBRUSH brush = CreateSolidBrush(msg == WM_PAINT ? g_paintColour : RGB(200, 0, 40));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    if (msg == WM_PAINT) EndPaint(wnd, &ps);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 6) return 2;
    bool second = false;
    for (int i = 6; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"black") == 0) g_paintColour = RGB(0, 0, 0);
        if (std::wcscmp(argv[i], L"framework") == 0 && !LoadLibraryW(L"presentationframework-probe.dll")) return 3;
        second = second || std::wcscmp(argv[i], L"second") == 0;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QelCaptureTarget";
    RegisterClassW(&wc);
    const std::wstring title = argv[1];
    const int x = _wtoi(argv[2]), y = _wtoi(argv[3]), width = _wtoi(argv[4]), height = _wtoi(argv[5]);
    LocalFree(argv);
    // Application windows: Wine stacks them below top-most windows even while they are active.
    HWND wnd = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, title.c_str(), WS_POPUP | WS_VISIBLE, x, y, width, height,
                               nullptr, nullptr, instance, nullptr);
    if (!wnd) return 4;
    if (second)
        CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, (title + L" second").c_str(), WS_POPUP | WS_VISIBLE, x + width + 20, y,
                        width, height, nullptr, nullptr, instance, nullptr);
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
