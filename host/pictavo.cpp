// pictavo: calls the capture library as a host application would, one sub-command per exported call.
//   exit 0: done (the output's path and size are printed); 1: nothing captured; 2: bad arguments.
#include <QelPictavoDll.h>
#include <pictavo.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "ScrollCommands.h"
#include "ToolCommands.h"

namespace {

// What host code can reach of the protected window copy: a derived class, as in an application.
class HostUtil : public CPictavoUtil {
public:
    using CPictavoUtil::DoCaptureFromWnd;
};

struct Options {
    bool cursor = false;
    DWORD delayMs = 0;
    std::wstring output;
    bool clipboard = false;
    std::vector<std::wstring> args;  // the sub-command's own arguments
};

struct Command {
    const wchar_t* name;
    const wchar_t* usage;
    size_t argCount;
    std::function<int(const Options&)> run;
    size_t maxArgCount = 0;  // optional arguments are accepted up to this count
};

void Usage(const std::vector<Command>& commands) {
    std::fwprintf(stderr, L"usage: pictavo [--cursor] [--delay MS] [-o FILE.png] [--clipboard] COMMAND [ARGS]\n");
    std::fwprintf(stderr, L"  (--delay before COMMAND waits before capturing; the scroll commands' own --delay comes after it)\n");
    for (const auto& c : commands) std::fwprintf(stderr, L"  %ls %ls\n", c.name, c.usage);
}

bool ParseInt(const std::wstring& s, long long* value) {
    if (s.empty()) return false;
    wchar_t* end = nullptr;
    *value = std::wcstoll(s.c_str(), &end, 0);
    return end && *end == 0;
}

HWND ParseHwnd(const std::wstring& s) {
    long long v = 0;
    return ParseInt(s, &v) ? reinterpret_cast<HWND>(static_cast<intptr_t>(v)) : nullptr;
}

// Saves or publishes a captured DIB and releases it.
int Deliver(BITMAPINFOHEADER* dib, const Options& o, const wchar_t* what) {
    if (!dib) {
        std::fwprintf(stderr, L"nothing captured: %ls\n", what);
        return 1;
    }
    int status = 0;
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    if (!o.output.empty()) {
        if (pictavo_save_png(dib, o.output.c_str())) {
            std::wprintf(L"%ls %dx%d\n", o.output.c_str(), static_cast<int>(dib->biWidth), height);
        } else {
            std::fwprintf(stderr, L"could not write %ls\n", o.output.c_str());
            status = 1;
        }
    }
    if (o.clipboard) {
        if (pictavo_copy_to_clipboard(dib)) {
            std::wprintf(L"clipboard %dx%d\n", static_cast<int>(dib->biWidth), height);
        } else {
            std::fwprintf(stderr, L"could not put the image on the clipboard\n");
            status = 1;
        }
    }
    if (o.output.empty() && !o.clipboard) std::wprintf(L"captured %dx%d\n", static_cast<int>(dib->biWidth), height);
    pictavo_release_image(dib);
    return status;
}

// scroll and scroll-active: a window scrolled step by step and stitched into one image.
int CaptureScroll(const Options& o, bool active) {
    host::ScrollOptions scroll;
    if (!host::ParseScrollOptions(o.args, &scroll)) return 2;
    const int h = scroll.horizontal, v = scroll.vertical;
    return active ? Deliver(CPictavoUtil().CaptureActiveScrollWindow(h, v, scroll.delayMs), o, L"no focus window, or it did not scroll")
                  : Deliver(CPictavoUtil().CaptureScrollWindow(h, v, scroll.delayMs), o, L"no window picked, or it did not scroll");
}

// "WxH" with both sides above 0.
bool ParseSize(const std::wstring& s, int* width, int* height) {
    const size_t x = s.find(L'x');
    long long w = 0, h = 0;
    if (x == std::wstring::npos || !ParseInt(s.substr(0, x), &w) || !ParseInt(s.substr(x + 1), &h)) return false;
    if (w <= 0 || h <= 0 || w > INT_MAX || h > INT_MAX) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

void PrintRect(const RECT& r) {
    std::wprintf(L"%ld,%ld,%ld,%ld (%ldx%ld)\n", r.left, r.top, r.right, r.bottom, r.right - r.left, r.bottom - r.top);
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(monitor, &info);
    std::wprintf(L"monitor %ld,%ld,%ld,%ld work %ld,%ld,%ld,%ld%ls\n", info.rcMonitor.left, info.rcMonitor.top,
                 info.rcMonitor.right, info.rcMonitor.bottom, info.rcWork.left, info.rcWork.top, info.rcWork.right,
                 info.rcWork.bottom, (info.dwFlags & MONITORINFOF_PRIMARY) ? L" primary" : L"");
    return TRUE;
}

std::vector<Command> Commands() {
    return {
        {L"fullscreen", L"                 the monitor under the cursor", 0,
         [](const Options& o) { return Deliver(CPictavoUtil().CaptureFullScreen(o.cursor), o, L"screen"); }},
        {L"active-window", L"              the foreground window (the whole screen when it cannot be captured)", 0,
         [](const Options& o) { return Deliver(CPictavoUtil().CaptureActiveWindow(o.cursor), o, L"active window"); }},
        {L"menu", L"                       the open popup menu under the cursor", 0,
         [](const Options& o) { return Deliver(CPictavoUtil().CaptureMenuObject(o.cursor), o, L"no menu"); }},
        {L"window", L"                     a window the user picks on the frozen screen", 0,
         [](const Options& o) { return Deliver(CPictavoUtil().CaptureWindowObject(o.cursor), o, L"no window picked"); }},
        {L"region", L"[--shape rect|ellipse|rounded]  a region the user drags on the frozen screen", 0,
         [](const Options& o) {
             int shape = 1;
             if (o.args.size() == 2 && o.args[0] == L"--shape") {
                 const std::wstring& name = o.args[1];
                 shape = name == L"rect" ? 1 : name == L"ellipse" ? 2 : name == L"rounded" ? 3 : 0;
             }
             if (!o.args.empty() && (o.args.size() != 2 || shape == 0)) {
                 std::fwprintf(stderr, L"--shape takes rect, ellipse or rounded\n");
                 return 2;
             }
             return Deliver(CPictavoUtil().CaptureShapeRegion(o.cursor, shape), o, L"no region selected");
         }, 2},
        {L"pick-region", L"                the rectangle the user drags, relative to the screen bounds", 0,
         [](const Options&) {
             const CRect r = CPictavoUtil::TokenRectangulareRegion();
             if (r.Width() <= 0 || r.Height() <= 0) return std::fwprintf(stderr, L"no region selected\n"), 1;
             PrintRect(r);
             return 0;
         }},
        {L"fixed", L"WxH                    a rectangle of that size the user places (U R B L C choose its anchor)", 1,
         [](const Options& o) {
             int w = 0, h = 0;
             if (!ParseSize(o.args[0], &w, &h)) return std::fwprintf(stderr, L"the size is WxH, both above 0\n"), 2;
             return Deliver(CPictavoUtil().CaptureFixedRegion(o.cursor, 0, w, h), o, L"no rectangle placed");
         }},
        {L"pick-fixed", L"WxH               the rectangle of that size the user places, relative to the screen bounds", 1,
         [](const Options& o) {
             int w = 0, h = 0;
             if (!ParseSize(o.args[0], &w, &h)) return std::fwprintf(stderr, L"the size is WxH, both above 0\n"), 2;
             const CRect r = CPictavoUtil::TokenFixedSizeRectanguluarRegion(w, h);
             if (r.Width() <= 0 || r.Height() <= 0) return std::fwprintf(stderr, L"no rectangle placed\n"), 1;
             PrintRect(r);
             return 0;
         }},
        {L"polygon", L"                    a polygon the user clicks; a double click or Enter closes it", 0,
         [](const Options& o) { return Deliver(CPictavoUtil().CaptureShapeRegion(o.cursor, 5), o, L"no polygon"); }},
        {L"freehand", L"                   an outline the user drags; a double click or Enter closes it", 0,
         [](const Options& o) { return Deliver(CPictavoUtil().CaptureShapeRegion(o.cursor, 6), o, L"no outline"); }},
        {L"pick-window", L"                the handle of the window the user picks", 0,
         [](const Options&) {
             HWND wnd = CPictavoUtil::TokenWindowObject();
             if (!wnd) return std::fwprintf(stderr, L"no window picked\n"), 1;
             wchar_t cls[256] = L"";
             ::GetClassNameW(wnd, cls, 256);
             std::wprintf(L"%p %ls\n", static_cast<void*>(wnd), cls);
             return 0;
         }},
        {L"window-copy", L"HWND                plain screen copy of one window", 1,
         [](const Options& o) {
             HWND wnd = ParseHwnd(o.args[0]);
             if (!::IsWindow(wnd)) return Deliver(nullptr, o, L"not a window");
             return Deliver(HostUtil::DoCaptureFromWnd(CWnd::FromHandle(wnd), o.cursor), o, L"window copy");
         }},
        {L"window-at", L"X Y                 the deepest visible window at a screen point", 2,
         [](const Options& o) {
             long long x = 0, y = 0;
             if (!ParseInt(o.args[0], &x) || !ParseInt(o.args[1], &y))
                 return std::fwprintf(stderr, L"X and Y are numbers\n"), 2;
             POINT pt{static_cast<LONG>(x), static_cast<LONG>(y)};
             HWND wnd = CPictavoUtil::GetWindowFromPoint(::GetDesktopWindow(), pt, nullptr);
             wchar_t cls[256] = L"";
             ::GetClassNameW(wnd, cls, 256);
             std::wprintf(L"%p %ls\n", static_cast<void*>(wnd), cls);
             return 0;
         }},
        {L"window-info", L"HWND                bound rectangle, top-most parent, taskbar relations", 1,
         [](const Options& o) {
             HWND wnd = ParseHwnd(o.args[0]);
             if (!::IsWindow(wnd)) return std::fwprintf(stderr, L"not a window\n"), 1;
             std::wprintf(L"bounds ");
             PrintRect(CPictavoUtil::GetWindowBoundRectangle(wnd));
             std::wprintf(L"topmost-parent %p\n", static_cast<void*>(CPictavoUtil::GetTopMostLevelParentWindow(wnd)));
             std::wprintf(L"behind-taskbar %d\n", CPictavoUtil::IsBehindTaskBar(wnd));
             std::wprintf(L"on-work-area %d\n", CPictavoUtil::IsWindowOnWorkArea(wnd));
             return 0;
         }},
        {L"find-window", L"CLASS               the first top-level window of a class", 1,
         [](const Options& o) {
             HWND wnd = ::FindWindowW(o.args[0].c_str(), nullptr);
             if (!wnd) return std::fwprintf(stderr, L"no window of class %ls\n", o.args[0].c_str()), 1;
             std::wprintf(L"%p\n", static_cast<void*>(wnd));
             return 0;
         }},
        {L"monitors", L"                   the monitors and the virtual screen", 0,
         [](const Options&) {
             ::EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
             std::wprintf(L"virtual %d,%d %dx%d\n", ::GetSystemMetrics(SM_XVIRTUALSCREEN),
                          ::GetSystemMetrics(SM_YVIRTUALSCREEN), ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
             return 0;
         }},
        {L"select-area", L"[--fixed X,Y,W,H]  a recording area the user drags, or moves at that size", 0,
         [](const Options& o) { return host::SelectArea(o.args); }, 2},
        {L"flash", L"X,Y,W,H [--thin] [--seconds N]  a blinking frame the user may drag", 1,
         [](const Options& o) { return host::Flash(o.args); }, 4},
        {L"scroll", L"[--vertical] [--horizontal] [--delay MS]  a window the user picks, scrolled and stitched; both ways\n"
                    L"                             unless one is named; MS from each step to its copy (default 250)", 0,
         [](const Options& o) { return CaptureScroll(o, false); }, 4},
        {L"scroll-active", L"[--vertical] [--horizontal] [--delay MS]  the same with the focus window of the foreground window", 0,
         [](const Options& o) { return CaptureScroll(o, true); }, 4},
        {L"pick-color", L"                 the colour where the user clicks: #RRGGBB and COLORREF", 0,
         [](const Options&) { return host::PickColor(); }},
    };
}

int Run(int argc, wchar_t** argv) {
    const auto commands = Commands();
    Options o;
    int i = 1;
    for (; i < argc && argv[i][0] == L'-'; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--cursor") {
            o.cursor = true;
        } else if (a == L"--clipboard") {
            o.clipboard = true;
        } else if ((a == L"--delay" || a == L"-o") && i + 1 < argc) {
            if (a == L"-o") {
                o.output = argv[++i];
            } else {
                long long ms = 0;
                if (!ParseInt(argv[++i], &ms) || ms < 0) return Usage(commands), 2;
                o.delayMs = static_cast<DWORD>(ms);
            }
        } else {
            return Usage(commands), 2;
        }
    }
    if (i >= argc) return Usage(commands), 2;
    const std::wstring name = argv[i++];
    for (const auto& c : commands) {
        if (name != c.name) continue;
        const size_t given = static_cast<size_t>(argc - i);
        if (given < c.argCount || given > std::max(c.argCount, c.maxArgCount)) return Usage(commands), 2;
        o.args.assign(argv + i, argv + argc);
        if (o.delayMs) ::Sleep(o.delayMs);
        const int status = c.run(o);
        if (status == 2) Usage(commands);
        return status;
    }
    return Usage(commands), 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::SetProcessDPIAware();
    // Like any host application, the program has its application object on its user-interface thread.
    CWinApp app(L"pictavo");
    return Run(argc, argv);
}
