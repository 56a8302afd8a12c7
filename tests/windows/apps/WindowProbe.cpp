// A separate process with two visible top-level windows, for tests that need someone else's windows.
// Usage: window_probe.exe <title>. The windows are titled "<title>" and "<title> second"; closing the
// first ends the program, and so does a minute without that.
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK ProbeProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY && GetWindowLongPtrW(wnd, GWLP_USERDATA) == 1) PostQuitMessage(0);
    return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const std::wstring title = commandLine && *commandLine ? commandLine : L"Window Probe";
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"QelWindowProbe";
    RegisterClassW(&wc);
    HWND first = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 320,
                                 240, nullptr, nullptr, instance, nullptr);
    SetWindowLongPtrW(first, GWLP_USERDATA, 1);
    CreateWindowExW(0, wc.lpszClassName, (title + L" second").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 300,
                    320, 240, nullptr, nullptr, instance, nullptr);
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
