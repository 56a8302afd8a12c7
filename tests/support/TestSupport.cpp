#include "TestSupport.h"

#include <cstdlib>

namespace qeltest {

std::string Layout() {
    const char* l = std::getenv("QEL_LAYOUT");
    return l ? l : "single";
}

std::wstring OutputPath(const std::wstring& name) {
    wchar_t dir[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"QEL_TEST_OUTPUT", dir, MAX_PATH)) ::GetTempPathW(MAX_PATH, dir);
    ::CreateDirectoryW(dir, nullptr);
    std::wstring path = dir;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path + name;
}

void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

Notepad::Notepad() {
    wchar_t command[] = L"notepad.exe";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    ::CloseHandle(pi.hThread);
    process = pi.hProcess;
    id = pi.dwProcessId;
    ::WaitForInputIdle(process, 10000);
    // Another notepad may be open: the window is the one of this process.
    for (int i = 0; i < 400 && !window; ++i, ::Sleep(25))
        for (HWND w = ::FindWindowExW(nullptr, nullptr, L"Notepad", nullptr); w; w = ::FindWindowExW(nullptr, w, L"Notepad", nullptr)) {
            DWORD pid = 0;
            if (::GetWindowThreadProcessId(w, &pid) && pid == id && ::IsWindowVisible(w)) window = w;
        }
}

Notepad::~Notepad() {
    if (!process) return;
    if (window) {
        ::PostMessageW(window, WM_CANCELMODE, 0, 0);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
    ::CloseHandle(process);
}

}  // namespace qeltest
