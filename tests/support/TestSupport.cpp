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

}  // namespace qeltest
