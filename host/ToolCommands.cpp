#include "ToolCommands.h"

#include <QelPictavoDll.h>

#include <cstdio>
#include <cwchar>

namespace host {

namespace {

// "X,Y,W,H" with W and H above 0.
bool ParseArea(const std::wstring& text, long* x, long* y, long* w, long* h) {
    wchar_t rest = 0;
    return std::swscanf(text.c_str(), L"%ld,%ld,%ld,%ld%lc", x, y, w, h, &rest) == 4 && *w > 0 && *h > 0;
}

void PrintArea(const wchar_t* what, const RECT& r, long width, long height) {
    std::wprintf(L"%ls %ld,%ld,%ld,%ld width %ld height %ld\n", what, r.left, r.top, r.right, r.bottom, width, height);
}

}  // namespace

int SelectArea(const std::vector<std::wstring>& args) {
    eRecordType type = eRecordNewArea;
    CRect rect(0, 0, 0, 0);
    if (!args.empty()) {
        long x = 0, y = 0, w = 0, h = 0;
        if (args.size() != 2 || args[0] != L"--fixed" || !ParseArea(args[1], &x, &y, &w, &h)) {
            std::fwprintf(stderr, L"usage: select-area [--fixed X,Y,W,H]\n");
            return 2;
        }
        // The selector counts both edges of its rectangles.
        type = eRecordFixedArea;
        rect = CRect(x, y, x + w - 1, y + h - 1);
    }
    CMouseCaptureWnd selector(type, rect);
    if (!selector.CreateShiftWindow()) {
        std::fwprintf(stderr, L"could not show the area selector\n");
        return 1;
    }
    const int result = selector.RunModalLoop();
    const CRect area = selector.GetCaptureArea();
    selector.DestroyWindow();
    if (result != 1 || area.IsRectEmpty()) {
        std::wprintf(L"cancelled\n");
        return 1;
    }
    PrintArea(L"area", area, area.Width() + 1, area.Height() + 1);
    return 0;
}

int Flash(const std::vector<std::wstring>& args) {
    long x = 0, y = 0, w = 0, h = 0, seconds = 5;
    bool thin = false, ok = !args.empty() && ParseArea(args[0], &x, &y, &w, &h);
    for (size_t i = 1; ok && i < args.size(); ++i) {
        if (args[i] == L"--thin") {
            thin = true;
        } else if (args[i] == L"--seconds" && i + 1 < args.size()) {
            wchar_t* end = nullptr;
            seconds = std::wcstol(args[++i].c_str(), &end, 10);
            ok = end && *end == 0 && seconds > 0;
        } else {
            ok = false;
        }
    }
    if (!ok) {
        std::fwprintf(stderr, L"usage: flash X,Y,W,H [--thin] [--seconds N]\n");
        return 2;
    }
    RECT r{x, y, x + w, y + h};
    CFlashingWnd frame;
    if (!frame.CreateFlashing(L"pictavo", r, thin ? 1 : 0)) {
        std::fwprintf(stderr, L"could not show the frame\n");
        return 1;
    }
    frame.SetMovable(true);
    frame.ShowWindow(SW_SHOWNOACTIVATE);
    frame.StartFlashing();
    const DWORD start = ::GetTickCount(), length = static_cast<DWORD>(seconds) * 1000;
    MSG msg;
    for (DWORD elapsed = 0; elapsed < length; elapsed = ::GetTickCount() - start) {
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
    PrintArea(moved ? L"moved" : L"area", at, at.Width(), at.Height());
    return 0;
}

int PickColor() {
    const unsigned long color = CPictavoUtil().PickScreenColor();
    if (color == 0xFFFFFFFF) {
        std::wprintf(L"refused\n");
        return 1;
    }
    std::wprintf(L"#%02X%02X%02X COLORREF 0x%08lX\n", static_cast<unsigned>(GetRValue(color)),
                 static_cast<unsigned>(GetGValue(color)), static_cast<unsigned>(GetBValue(color)), color);
    return 0;
}

}  // namespace host
