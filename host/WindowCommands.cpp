// Window queries, monitors, the DIB section and the capture menu: the library's static calls.
#include <QelPictavoDll.h>

#include <climits>

#include "Handles.h"
#include "Runners.h"

namespace host {

namespace {

std::wstring ClassOf(HWND wnd) {
    wchar_t name[256] = L"";
    ::GetClassNameW(wnd, name, 256);
    return name;
}

std::wstring HandleOf(const void* handle) { return HandleText(reinterpret_cast<std::uintptr_t>(handle)); }

// The window argument of a query, which must name a window.
int QueryTarget(const CommandLine& line, Report& out, const Start& start, HWND* wnd) {
    if (!ParseHandleArgument(line.args[0], out, wnd)) return kBadArguments;
    start();
    if (!::IsWindow(*wnd)) return out.Fail(kNothing, L"not a window: " + line.args[0]);
    return kDone;
}

int ReportFlag(const CommandLine& line, Report& out, const Start& start, const wchar_t* name, int (*query)(HWND)) {
    HWND wnd = nullptr;
    if (const int status = QueryTarget(line, out, start, &wnd)) return status;
    const int value = query(wnd);
    out.Line(L"%ls %d", name, value);
    out.json.Str(L"kind", L"flag").Str(L"target", HandleOf(wnd)).Bool(L"value", value != 0);
    return kDone;
}

struct MonitorList {
    Report* out;
    std::wstring json;  // the array's elements so far
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT &m = info.rcMonitor, &w = info.rcWork;
    const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    list.out->Line(L"monitor %ld,%ld,%ld,%ld work %ld,%ld,%ld,%ld%ls", m.left, m.top, m.right, m.bottom, w.left, w.top,
                   w.right, w.bottom, primary ? L" primary" : L"");
    if (!list.json.empty()) list.json += L",";
    list.json += JsonObject()
                     .Raw(L"rect", JsonRect(m.left, m.top, m.right, m.bottom))
                     .Raw(L"work", JsonRect(w.left, w.top, w.right, w.bottom))
                     .Bool(L"primary", primary)
                     .Text();
    return TRUE;
}

}  // namespace

bool ParseHandleArgument(const std::wstring& text, Report& out, HWND* wnd) {
    std::uintptr_t handle = 0;
    if (!ParseHandle(text, &handle)) {
        out.Fail(kBadArguments, text + L": a handle is 0x and hexadecimal digits, the 16 digits printed, or decimal");
        return false;
    }
    *wnd = reinterpret_cast<HWND>(handle);
    return true;
}

int ReportWindow(HWND wnd, Report& out) {
    const std::wstring name = ClassOf(wnd);
    out.Line(L"%p %ls", static_cast<void*>(wnd), name.c_str());
    out.json.Str(L"kind", L"window").Str(L"handle", HandleOf(wnd)).Str(L"class", name);
    return kDone;
}

int WindowAt(const CommandLine& line, Report& out, const Start& start) {
    long long x = 0, y = 0;
    if (!ParseDecimal(line.args[0], &x) || !ParseDecimal(line.args[1], &y) || x < LONG_MIN || x > LONG_MAX ||
        y < LONG_MIN || y > LONG_MAX)
        return out.Fail(kBadArguments, L"X and Y are whole numbers of pixels");
    const POINT pt{static_cast<LONG>(x), static_cast<LONG>(y)};
    start();
    HWND wnd = CPictavoUtil::GetWindowFromPoint(::GetDesktopWindow(), pt, nullptr);
    if (!wnd) return out.Fail(kNothing, L"no window at that point");
    ReportWindow(wnd, out);
    out.json.Raw(L"point", JsonObject().Num(L"x", pt.x).Num(L"y", pt.y).Text());
    return kDone;
}

int WindowInfo(const CommandLine& line, Report& out, const Start& start) {
    HWND wnd = nullptr;
    if (const int status = QueryTarget(line, out, start, &wnd)) return status;
    const CRect bounds = CPictavoUtil::GetWindowBoundRectangle(wnd);
    HWND topmost = CPictavoUtil::GetTopMostLevelParentWindow(wnd);
    const int behind = CPictavoUtil::IsBehindTaskBar(wnd), onWorkArea = CPictavoUtil::IsWindowOnWorkArea(wnd);
    out.Line(L"bounds %ld,%ld,%ld,%ld (%dx%d)", bounds.left, bounds.top, bounds.right, bounds.bottom, bounds.Width(),
             bounds.Height());
    out.Line(L"topmost-parent %p", static_cast<void*>(topmost));
    out.Line(L"behind-taskbar %d", behind);
    out.Line(L"on-work-area %d", onWorkArea);
    out.json.Str(L"kind", L"window-info").Str(L"target", HandleOf(wnd)).Raw(L"bounds", JsonRect(bounds.left, bounds.top, bounds.right, bounds.bottom));
    if (topmost) out.json.Str(L"topmost_parent", HandleOf(topmost));
    else out.json.Null(L"topmost_parent");
    out.json.Bool(L"behind_taskbar", behind != 0).Bool(L"on_work_area", onWorkArea != 0);
    return kDone;
}

int WindowBounds(const CommandLine& line, Report& out, const Start& start) {
    HWND wnd = nullptr;
    if (const int status = QueryTarget(line, out, start, &wnd)) return status;
    const CRect r = CPictavoUtil::GetWindowBoundRectangle(wnd);
    out.Line(L"bounds %ld,%ld,%ld,%ld (%dx%d)", r.left, r.top, r.right, r.bottom, r.Width(), r.Height());
    out.json.Str(L"kind", L"rectangle").Str(L"target", HandleOf(wnd)).Raw(L"rect", JsonRect(r.left, r.top, r.right, r.bottom));
    return kDone;
}

int TopmostParent(const CommandLine& line, Report& out, const Start& start) {
    HWND wnd = nullptr;
    if (const int status = QueryTarget(line, out, start, &wnd)) return status;
    HWND topmost = CPictavoUtil::GetTopMostLevelParentWindow(wnd);
    if (!topmost) return out.Fail(kNothing, L"neither " + line.args[0] + L" nor a parent of it is topmost");
    ReportWindow(topmost, out);
    out.json.Str(L"target", HandleOf(wnd));
    return kDone;
}

int BehindTaskbar(const CommandLine& line, Report& out, const Start& start) {
    return ReportFlag(line, out, start, L"behind-taskbar", CPictavoUtil::IsBehindTaskBar);
}

int OnWorkArea(const CommandLine& line, Report& out, const Start& start) {
    return ReportFlag(line, out, start, L"on-work-area", CPictavoUtil::IsWindowOnWorkArea);
}

int FindWindowOfClass(const CommandLine& line, Report& out, const Start& start) {
    start();
    HWND wnd = ::FindWindowW(line.args[0].c_str(), nullptr);
    if (!wnd) return out.Fail(kNothing, L"no window of class " + line.args[0]);
    // Scripts read the bare handle: no class after it.
    out.Line(L"%p", static_cast<void*>(wnd));
    out.json.Str(L"kind", L"window").Str(L"handle", HandleOf(wnd)).Str(L"class", ClassOf(wnd));
    return kDone;
}

int Monitors(const CommandLine&, Report& out, const Start& start) {
    start();
    MonitorList list{&out, L""};
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int cx = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    out.Line(L"virtual %d,%d %dx%d", x, y, cx, cy);
    out.json.Str(L"kind", L"monitors").Raw(L"monitors", L"[" + list.json + L"]").Raw(L"virtual", JsonRect(x, y, x + cx, y + cy));
    return kDone;
}

int DibSection(const CommandLine& line, Report& out, const Start& start) {
    int width = 0, height = 0;
    long long bits = 0, compression = BI_RGB;
    const auto& a = line.args;
    bool ok = ParseSize(a[0], &width, &height) && ParseDecimal(a[1], &bits) && bits > 0 && bits <= 64;
    if (ok && a.size() > 2)
        ok = a.size() == 4 && a[2] == L"--compression" && ParseDecimal(a[3], &compression) && compression >= 0 &&
             compression <= 0xFFFFFFFFll;
    if (!ok) return out.Fail(kBadArguments, L"dib-section takes WxH BITS [--compression N], sizes above 0, BITS 1 to 64");
    // Bit fields need masks: the usual 5-6-5 for 16 bits, 8-8-8 for 32.
    const unsigned long masks16[3] = {0xF800, 0x07E0, 0x001F}, masks32[3] = {0xFF0000, 0xFF00, 0xFF};
    start();
    const qel::UniqueHbitmap section(CPictavoUtil::CreateDIBBitmap(width, height, static_cast<int>(bits),
                                                                   static_cast<unsigned long>(compression),
                                                                   bits == 16 ? masks16 : masks32));
    if (!section) return out.Fail(kNothing, L"the library refused the section");
    DIBSECTION ds{};
    if (::GetObjectW(section.get(), sizeof(ds), &ds) != sizeof(ds)) return out.Fail(kNothing, L"GetObject could not read the section");
    const BITMAP& bm = ds.dsBm;
    out.Line(L"dib-section %ldx%ld bits %u planes %u stride %ld compression %lu size %lu", bm.bmWidth, bm.bmHeight,
             static_cast<unsigned>(bm.bmBitsPixel), static_cast<unsigned>(bm.bmPlanes), bm.bmWidthBytes,
             ds.dsBmih.biCompression, ds.dsBmih.biSizeImage);
    out.json.Str(L"kind", L"dib-section")
        .Num(L"width", bm.bmWidth)
        .Num(L"height", bm.bmHeight)
        .Num(L"bits_per_pixel", bm.bmBitsPixel)
        .Num(L"planes", bm.bmPlanes)
        .Num(L"stride", bm.bmWidthBytes)
        .Num(L"compression", ds.dsBmih.biCompression)
        .Num(L"image_size", ds.dsBmih.biSizeImage);
    return kDone;
}

int CaptureMenu(const CommandLine& line, Report& out, const Start& start) {
    HWND handle = nullptr;
    if (!ParseHandleArgument(line.args[0], out, &handle)) return kBadArguments;
    start();
    CPictavoUtil::SetCaptureMenu(reinterpret_cast<HMENU>(handle));
    const HMENU stored = CPictavoUtil::g_hCaptureMenu;
    out.Line(L"g_hCaptureMenu %p", static_cast<void*>(stored));
    out.json.Str(L"kind", L"menu").Str(L"handle", HandleOf(stored));
    return kDone;
}

}  // namespace host
