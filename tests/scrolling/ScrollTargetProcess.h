#pragma once
// scroll_target.exe, started from the test executable's folder with options and ended with the object.
// What its client area shows, and what a perfect stitch of it gives, is in ScrollTargetContent.h.
// Needs the test support library (screen copies) and framework/ on the include path (owning handles).
#include <windows.h>

#include <string>

#include "Handles.h"
#include "ScreenInput.h"
#include "ScrollTargetContent.h"

namespace scrolltest {

inline std::wstring TestExeFolder() {
    wchar_t path[MAX_PATH] = L"";
    const std::wstring own(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return own.substr(0, own.find_last_of(L"\\/") + 1);
}

// Starts a program of the test executable's folder; null when it could not be started.
inline qel::UniqueKernelHandle StartProgram(const std::wstring& exe, const std::wstring& arguments, DWORD* id = nullptr) {
    std::wstring commandLine = L"\"" + TestExeFolder() + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    // Tried again when refused: a clean run once saw the first start of a helper program fail at once.
    for (int attempt = 0; attempt < 3; ++attempt, ::Sleep(300)) {
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, TestExeFolder().c_str(), &si, &pi))
            continue;
        qel::UniqueKernelHandle thread(pi.hThread);
        if (id) *id = pi.dwProcessId;
        return qel::UniqueKernelHandle(pi.hProcess);
    }
    return {};
}

// Runs a program of the test executable's folder to its end: its exit code, or -1 when it could not be
// started or had not ended within timeoutMs (it is then ended).
inline int RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
    qel::UniqueKernelHandle process = StartProgram(exe, arguments);
    if (!process) return -1;
    if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
        return -1;
    }
    DWORD status = 0;
    return ::GetExitCodeProcess(process.get(), &status) ? static_cast<int>(status) : -1;
}

inline std::wstring ScrollTargetArguments(const ScrollTargetOptions& o) {
    auto pair = [](int a, wchar_t separator, int b) { return std::to_wstring(a) + separator + std::to_wstring(b); };
    std::wstring args = L"--content " + pair(o.contentWidth, L'x', o.contentHeight) + L" --client " +
                        pair(o.clientWidth, L'x', o.clientHeight) + L" --pos " + pair(o.x, L',', o.y) + L" --line " +
                        std::to_wstring(o.line) + L" --header " + std::to_wstring(o.header) + L" --start " +
                        pair(o.startX, L',', o.startY) + L" --destroy-after " + std::to_wstring(o.destroyAfter) +
                        L" --resize-after " + std::to_wstring(o.resizeAfter) + L" --collapse-after " +
                        std::to_wstring(o.collapseAfter) + L" --bars ";
    args += o.verticalBar ? (o.horizontalBar ? L"vh" : L"v") : (o.horizontalBar ? L"h" : L"none");
    return args + L" --title \"" + o.title + L"\"";
}

// The window's client area in screen coordinates.
inline RECT ClientOnScreen(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    POINT origin{0, 0};
    ::ClientToScreen(wnd, &origin);
    ::OffsetRect(&r, origin.x, origin.y);
    return r;
}

// Pixels of the client area, read from the screen, that differ from the view at a scroll position
// (every pixel when the client area has another size).
inline size_t ViewDifferences(HWND wnd, const ScrollTargetOptions& o, int scrollX, int scrollY) {
    const RECT r = ClientOnScreen(wnd);
    const size_t all = static_cast<size_t>(o.clientWidth) * o.clientHeight;
    if (r.right - r.left != o.clientWidth || r.bottom - r.top != o.clientHeight) return all;
    const qeltest::ScreenCopy copy = qeltest::CopyScreen(r);
    if (copy.pixels.size() != all) return all;
    const ScrollImage view = ExpectedView(o, scrollX, scrollY);
    size_t differences = 0;
    for (size_t i = 0; i < all; ++i) differences += copy.pixels[i] != (view.pixels[i] & 0xFFFFFF);
    return differences;
}

// The program, started by the constructor. Hwnd() is its window once it shows its first picture on the
// screen, null when that did not happen within a few seconds. The destructor closes the window and
// ends the program if it has not ended by itself.
class ScrollTargetProcess {
public:
    explicit ScrollTargetProcess(const ScrollTargetOptions& o = ScrollTargetOptions()) : options_(o) {
        DWORD id = 0;
        process_ = StartProgram(L"scroll_target.exe", ScrollTargetArguments(o), &id);
        if (!process_) return;
        HWND found = nullptr;
        for (int i = 0; i < 800 && !found && ::WaitForSingleObject(process_.get(), 25) == WAIT_TIMEOUT; ++i) {
            for (HWND w = ::FindWindowExW(nullptr, nullptr, L"QelScrollTarget", o.title.c_str()); w && !found;
                 w = ::FindWindowExW(nullptr, w, L"QelScrollTarget", o.title.c_str())) {
                DWORD owner = 0;
                if (::GetWindowThreadProcessId(w, &owner) && owner == id && ::IsWindowVisible(w)) found = w;
            }
        }
        found_ = found;
        if (found && WaitForView(found, o.StartX(), o.StartY(), 10000)) wnd_ = found;
    }
    ~ScrollTargetProcess() {
        if (!process_) return;
        if (::IsWindow(found_)) ::PostMessageW(found_, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process_.get(), 1);
            ::WaitForSingleObject(process_.get(), 5000);
        }
    }
    ScrollTargetProcess(const ScrollTargetProcess&) = delete;
    ScrollTargetProcess& operator=(const ScrollTargetProcess&) = delete;

    HWND Hwnd() const { return wnd_; }
    HANDLE Process() const { return process_.get(); }
    const ScrollTargetOptions& Options() const { return options_; }

    // Whether the client area on the screen shows the view at that scroll position within timeoutMs.
    bool WaitForView(int scrollX, int scrollY, DWORD timeoutMs = 5000) const { return WaitForView(wnd_, scrollX, scrollY, timeoutMs); }

    // Makes the window the foreground window with the keyboard focus; false when it did not become so.
    bool Foreground() const {
        if (!wnd_) return false;
        ::SetForegroundWindow(wnd_);
        for (int i = 0; i < 200; ++i, ::Sleep(25)) {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            if (::GetForegroundWindow() == wnd_ && ::GetGUIThreadInfo(::GetWindowThreadProcessId(wnd_, nullptr), &info) &&
                info.hwndFocus == wnd_)
                return true;
        }
        return false;
    }

    // Whether the program has ended within timeoutMs.
    bool WaitForExit(DWORD timeoutMs) const { return process_ && ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0; }

private:
    bool WaitForView(HWND wnd, int scrollX, int scrollY, DWORD timeoutMs) const {
        const DWORD start = ::GetTickCount();
        while (ViewDifferences(wnd, options_, scrollX, scrollY) != 0) {
            if (::GetTickCount() - start >= timeoutMs) return false;
            ::Sleep(20);
        }
        return true;
    }

    ScrollTargetOptions options_;
    qel::UniqueKernelHandle process_;
    HWND found_ = nullptr;
    HWND wnd_ = nullptr;
};

}  // namespace scrolltest
