#pragma once
// scroll_target.exe, started from the test executable's folder and ended with the object.
// Needs the test support library (screen copies) and framework/ on the include path (owning handles).
#include <windows.h>

#include <cwchar>
#include <string>

#include "Handles.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "ScrollTargetContent.h"

namespace scrolltest {

using qeltest::EndProcess;
using qeltest::RunProgram;
using qeltest::StartProgram;

inline RECT ClientOnScreen(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Hwnd() is the program's window once it shows its first picture on the screen, null when that did not
// happen within a few seconds.
class ScrollTargetProcess {
public:
    explicit ScrollTargetProcess(const ScrollTargetOptions& o = ScrollTargetOptions()) : options_(o) {
        wchar_t args[1024];
        std::swprintf(args, 1024,
                      L"--content %dx%d --client %dx%d --pos %d,%d --start %d,%d --line %d --header %d --destroy-after %d "
                      L"--resize-after %d --collapse-after %d --hang-after %d --bars %ls --title \"%ls\"",
                      o.contentWidth, o.contentHeight, o.clientWidth, o.clientHeight, o.x, o.y, o.startX, o.startY, o.line,
                      o.header, o.destroyAfter, o.resizeAfter, o.collapseAfter, o.hangAfter,
                      o.verticalBar ? (o.horizontalBar ? L"vh" : L"v") : (o.horizontalBar ? L"h" : L"none"), o.title.c_str());
        DWORD id = 0;
        process_ = StartProgram(L"scroll_target.exe", args, &id);
        for (int i = 0; i < 800 && process_ && !found_ && ::WaitForSingleObject(process_.get(), 25) == WAIT_TIMEOUT; ++i)
            for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"QelScrollTarget", o.title.c_str())) && !found_;) {
                DWORD owner = 0;
                if (::GetWindowThreadProcessId(w, &owner) && owner == id && ::IsWindowVisible(w)) found_ = w;
            }
        if (found_ && WaitForView(found_, o.StartX(), o.StartY(), 10000)) wnd_ = found_;
    }
    ~ScrollTargetProcess() {
        if (::IsWindow(found_)) ::PostMessageW(found_, WM_CLOSE, 0, 0);
        if (process_) EndProcess(process_.get(), 5000);
    }
    ScrollTargetProcess(const ScrollTargetProcess&) = delete;
    ScrollTargetProcess& operator=(const ScrollTargetProcess&) = delete;

    HWND Hwnd() const { return wnd_; }
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

private:
    bool WaitForView(HWND wnd, int scrollX, int scrollY, DWORD timeoutMs) const {
        const ScrollImage view = ExpectedView(options_, scrollX, scrollY);
        for (const DWORD start = ::GetTickCount();; ::Sleep(20)) {
            const qeltest::ScreenCopy copy = qeltest::CopyScreen(ClientOnScreen(wnd));
            bool same = copy.pixels.size() == view.pixels.size() &&
                        copy.area.right - copy.area.left == view.width;
            for (size_t i = 0; same && i < view.pixels.size(); ++i) same = copy.pixels[i] == (view.pixels[i] & 0xFFFFFF);
            if (same) return true;
            if (::GetTickCount() - start >= timeoutMs) return false;
        }
    }

    ScrollTargetOptions options_;
    qel::UniqueKernelHandle process_;
    HWND found_ = nullptr;
    HWND wnd_ = nullptr;
};

}  // namespace scrolltest
