#include "module/Libraries.h"

#include <vector>

namespace qel {

std::wstring PathBeside(const std::wstring& modulePath, const wchar_t* name) {
    const size_t slash = modulePath.find_last_of(L"\\/");
    if (slash == std::wstring::npos || !name || !*name) return std::wstring();
    return modulePath.substr(0, slash + 1) + name;
}

HMODULE LoadSystemLibrary(const wchar_t* name) { return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

HMODULE LoadLibraryBesideThisModule(const wchar_t* name) {
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&LoadLibraryBesideThisModule), &self))
        return nullptr;
    // Paths may be longer than MAX_PATH; a full buffer means the name was cut.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return nullptr;
        if (n < path.size()) {
            const std::wstring full = PathBeside(std::wstring(path.data(), n), name);
            return full.empty() ? nullptr : ::LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
        if (path.size() >= 32768) return nullptr;
        path.resize(path.size() * 2);
    }
}

}  // namespace qel
