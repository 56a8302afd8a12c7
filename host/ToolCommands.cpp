// The recording-area selector, the flashing frame and the colour picker, driven as a host drives them.
#include <QelPictavoDll.h>

#include <cwchar>

#include "Runners.h"

namespace host {

namespace {

// rect's right and bottom: the last pixels when inclusive, else just outside.
void ReportArea(Report& out, const wchar_t* what, const CRect& r, bool inclusive) {
    const long right = r.right + (inclusive ? 1 : 0), bottom = r.bottom + (inclusive ? 1 : 0);
    out.Line(L"%ls %ld,%ld,%ld,%ld width %ld height %ld", what, r.left, r.top, r.right, r.bottom, right - r.left,
             bottom - r.top);
    out.json.Str(L"kind", L"rectangle").Raw(L"rect", JsonRect(r.left, r.top, right, bottom));
}

}  // namespace

int SelectArea(const CommandLine& line, Report& out, const Start& start) {
    eRecordType type = eRecordNewArea;
    CRect rect(0, 0, 0, 0);
    if (!line.args.empty()) {
        long x = 0, y = 0, w = 0, h = 0;
        if (line.args.size() != 2 || line.args[0] != L"--fixed" || !ParseArea(line.args[1], &x, &y, &w, &h))
            return out.Fail(kBadArguments, L"select-area takes --fixed X,Y,W,H or nothing");
        // The selector counts both edges of its rectangles.
        type = eRecordFixedArea;
        rect = CRect(x, y, x + w - 1, y + h - 1);
    }
    start();
    CMouseCaptureWnd selector(type, rect);
    if (!selector.CreateShiftWindow()) return out.Fail(kNothing, L"could not show the area selector");
    const int result = selector.RunModalLoop();
    const CRect area = selector.GetCaptureArea();
    selector.DestroyWindow();
    if (result != 1 || area.IsRectEmpty()) return out.Fail(kNothing, L"cancelled");
    ReportArea(out, L"area", area, true);
    return kDone;
}

int Flash(const CommandLine& line, Report& out, const Start& start) {
    const auto& args = line.args;
    long x = 0, y = 0, w = 0, h = 0;
    long long seconds = 5;
    bool thin = false, ok = ParseArea(args[0], &x, &y, &w, &h);
    for (size_t i = 1; ok && i < args.size(); ++i) {
        if (args[i] == L"--thin") {
            thin = true;
        } else if (args[i] == L"--seconds" && i + 1 < args.size()) {
            ok = ParseDecimal(args[++i], &seconds) && seconds > 0 && seconds <= 86400;
        } else {
            ok = false;
        }
    }
    if (!ok) return out.Fail(kBadArguments, L"flash takes X,Y,W,H, then --thin and --seconds N (1 to 86400)");
    RECT r{x, y, x + w, y + h};
    start();
    CFlashingWnd frame;
    if (!frame.CreateFlashing(L"pictavo", r, thin ? 1 : 0)) return out.Fail(kNothing, L"could not show the frame");
    frame.SetMovable(true);
    frame.ShowWindow(SW_SHOWNOACTIVATE);
    frame.StartFlashing();
    const DWORD shown = ::GetTickCount(), length = static_cast<DWORD>(seconds) * 1000;
    MSG msg;
    for (DWORD elapsed = 0; elapsed < length; elapsed = ::GetTickCount() - shown) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, length - elapsed, QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    frame.StopFlashing();
    const CRect at = frame.Rect();
    const bool moved = frame.NewRegionUsed();
    frame.DestroyWindow();
    ReportArea(out, moved ? L"moved" : L"area", at, false);
    out.json.Bool(L"moved", moved);
    return kDone;
}

int PickColor(const CommandLine&, Report& out, const Start& start) {
    start();
    const unsigned long color = CPictavoUtil().PickScreenColor();
    if (color == 0xFFFFFFFF) return out.Fail(kNothing, L"no colour picked");
    const unsigned r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    wchar_t colorref[16], hex[16];
    std::swprintf(colorref, 16, L"0x%08lX", color);
    std::swprintf(hex, 16, L"#%02X%02X%02X", r, g, b);
    out.Line(L"%ls COLORREF %ls", hex, colorref);
    out.json.Str(L"kind", L"color").Str(L"colorref", colorref).Str(L"hex", hex);
    return kDone;
}

}  // namespace host
