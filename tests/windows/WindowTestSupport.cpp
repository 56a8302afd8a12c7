#include "WindowTestSupport.h"

#include <algorithm>
#include <set>

#include "TestSupport.h"

namespace wintest {

RECT MakeRect(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

RECT WindowInfoRect(HWND wnd) {
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    GetWindowInfo(wnd, &info);
    return info.rcWindow;
}

::testing::AssertionResult RectIs(const Gdiplus::Rect& r, const RECT& e) {
    if (r.X == e.left && r.Y == e.top && r.Width == e.right - e.left && r.Height == e.bottom - e.top)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.X << ", " << r.Y << ", " << r.Width << ", " << r.Height
                                         << ") instead of (" << e.left << ", " << e.top << ", " << e.right - e.left
                                         << ", " << e.bottom - e.top << ")";
}

std::vector<HWND> Handles(const WindowRecordList& list) {
    std::vector<HWND> handles;
    for (const auto& r : list) handles.push_back(r->Handle());
    return handles;
}

ptrdiff_t IndexOf(const std::vector<HWND>& handles, HWND wnd) {
    auto it = std::find(handles.begin(), handles.end(), wnd);
    return it == handles.end() ? -1 : it - handles.begin();
}

WindowDetails* Find(const std::vector<WindowDetails*>& records, HWND wnd) {
    for (WindowDetails* r : records) {
        if (r->Handle() == wnd) return r;
    }
    return nullptr;
}

TestWindow::TestWindow(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, RECT r,
                       HWND parent, WNDPROC proc) {
    static std::set<std::wstring> registered;
    if (registered.insert(className).second) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = className;
        RegisterClassW(&wc);
    }
    wnd_.reset(CreateWindowExW(exStyle, className, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr));
}

TestWindow TopLevel(const wchar_t* title, RECT r) {
    return TestWindow(L"QelTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, r);
}

TestWindow Child(HWND parent, RECT r, DWORD style) { return TestWindow(L"QelTestWindow", L"", style, 0, r, parent); }

std::wstring ProbeProcess::Path() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"window_probe.exe";
}

ProbeProcess::ProbeProcess(const std::wstring& title) {
    std::wstring commandLine = L"\"" + Path() + L"\" " + title;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    process.reset(pi.hProcess);
    thread.reset(pi.hThread);
    for (int i = 0; i < 200 && !(first && second); ++i) {
        first = FindWindowW(L"QelWindowProbe", title.c_str());
        second = FindWindowW(L"QelWindowProbe", (title + L" second").c_str());
        qeltest::PumpFor(50);
    }
}

ProbeProcess::~ProbeProcess() {
    if (!process) return;
    if (first) PostMessageW(first, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
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

}  // namespace wintest
