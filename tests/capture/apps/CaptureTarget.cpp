// A program whose window is a capture target in another process, black on the screen and in a print.
// Usage: capture_target_*.exe <title> <x> <y> <width> <height> [framework]
//   framework: loads presentationframework-probe.dll first
// The program ends when its window is closed, or after two minutes.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT) return DefWindowProcW(wnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = msg == WM_PAINT ? BeginPaint(wnd, &ps) : reinterpret_cast<HDC>(wp);
    RECT client;
    GetClientRect(wnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (msg == WM_PAINT) EndPaint(wnd, &ps);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 6) return 2;
    if (argc > 6 && std::wcscmp(argv[6], L"framework") == 0 && !LoadLibraryW(L"presentationframework-probe.dll")) return 3;
    WNDCLASSW wc{0, TargetProc, 0, 0, instance, nullptr, LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr, L"QelCaptureTarget"};
    RegisterClassW(&wc);
    // An application window: Wine stacks it below top-most windows even while it is active.
    HWND wnd = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, argv[1], WS_POPUP | WS_VISIBLE, _wtoi(argv[2]), _wtoi(argv[3]),
                               _wtoi(argv[4]), _wtoi(argv[5]), nullptr, nullptr, instance, nullptr);
    LocalFree(argv);
    if (!wnd) return 4;
    SetForegroundWindow(wnd);
    SetTimer(nullptr, 0, 120000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0 && !(msg.message == WM_TIMER && !msg.hwnd)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
