#include "WindowTestSupport.h"

#include <set>

#include "TestSupport.h"

namespace wintest {

namespace {

void EnsureClass(const wchar_t* name, WNDPROC proc) {
    static std::set<std::wstring> registered;
    if (!registered.insert(name).second) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

}  // namespace

TestWindow::TestWindow(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, RECT r,
                       HWND parent, WNDPROC proc) {
    EnsureClass(className, proc);
    wnd_.reset(CreateWindowExW(exStyle, className, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr));
}

TestWindow TopLevel(const wchar_t* title, RECT r) {
    return TestWindow(L"QelTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, r);
}

RECT MakeRect(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring ProbeProcess::Path() { return ModuleFolder() + L"window_probe.exe"; }

ProbeProcess::ProbeProcess(const std::wstring& title) {
    std::wstring commandLine = L"\"" + Path() + L"\" " + title;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    process_.reset(pi.hProcess);
    thread_.reset(pi.hThread);
    WaitForInputIdle(pi.hProcess, 10000);
    const std::wstring secondTitle = title + L" second";
    for (int i = 0; i < 200 && !(first_ && second_); ++i) {
        first_ = FindWindowW(L"QelWindowProbe", title.c_str());
        second_ = FindWindowW(L"QelWindowProbe", secondTitle.c_str());
        if (!(first_ && second_)) qeltest::PumpFor(50);
    }
}

ProbeProcess::~ProbeProcess() {
    if (!process_) return;
    if (first_) PostMessageW(first_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
}

HRESULT FakeDwm::IsCompositionEnabled(BOOL* enabled) {
    ++compositionQueries;
    *enabled = composition;
    return S_OK;
}

HRESULT FakeDwm::GetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) {
    if (target && wnd != target) return E_NOTIMPL;
    ++attributeQueries;
    if (FAILED(attributeResult)) return attributeResult;
    if (attribute == DWMWA_EXTENDED_FRAME_BOUNDS && size == sizeof(RECT)) {
        *static_cast<RECT*>(value) = frame;
        return S_OK;
    }
    if (attribute == DWMWA_CLOAKED && size == sizeof(DWORD)) {
        *static_cast<DWORD*>(value) = cloaked;
        return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT FakeDwm::RegisterThumbnail(HWND, HWND, HTHUMBNAIL* thumbnail) {
    *thumbnail = reinterpret_cast<HTHUMBNAIL>(static_cast<INT_PTR>(++registrations));
    return S_OK;
}

HRESULT FakeDwm::UnregisterThumbnail(HTHUMBNAIL) {
    ++unregistrations;
    return S_OK;
}

}  // namespace wintest
