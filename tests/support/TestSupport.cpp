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

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const DWORD start = ::GetTickCount(); !done() && ::GetTickCount() - start < timeoutMs;) PumpFor(20);
    return done();
}

std::wstring OwnExePath() {
    wchar_t path[MAX_PATH] = L"";
    return std::wstring(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
}

std::wstring ExeFolder() {
    const std::wstring own = OwnExePath();
    return own.substr(0, own.find_last_of(L"\\/") + 1);
}

qel::UniqueKernelHandle StartProgram(const std::wstring& exe, const std::wstring& arguments, DWORD* id) {
    const std::wstring folder = ExeFolder();
    std::wstring commandLine = L"\"" + folder + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    // Tried again when refused: a clean run once saw the first start of a helper program fail at once.
    for (int attempt = 0; attempt < 3; ++attempt, ::Sleep(300)) {
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
            continue;
        qel::UniqueKernelHandle thread(pi.hThread);
        if (id) *id = pi.dwProcessId;
        return qel::UniqueKernelHandle(pi.hProcess);
    }
    return {};
}

bool EndProcess(HANDLE process, DWORD timeoutMs) {
    if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) return true;
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, 5000);
    return false;
}

int RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
    qel::UniqueKernelHandle process = StartProgram(exe, arguments);
    DWORD status = 0;
    if (!process || !EndProcess(process.get(), timeoutMs) || !::GetExitCodeProcess(process.get(), &status)) return -1;
    return static_cast<int>(status);
}

Notepad::Notepad(const std::wstring& document) {
    std::wstring command = document.empty() ? L"notepad.exe" : L"notepad.exe \"" + document + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
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
