// Times CaptureFullScreen, to the returned DIB, against a bare BitBlt of the same monitor in the same run.
#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "BenchTiming.h"

using bench::MedianMs;
using bench::Seconds;

int main() {
    ::SetProcessDPIAware();
    qel::EnsureGdiplus();
    CaptureSettings::Get().CaptureDelay = 0;  // the pause before a capture is the user's, not work
    POINT cursor;
    ::GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT m = info.rcMonitor;
    const int w = m.right - m.left, h = m.bottom - m.top;

    const double blit = MedianMs(25, [&] {
        qel::WindowDc screen(::GetDesktopWindow());
        qel::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
        qel::UniqueHbitmap bitmap(::CreateCompatibleBitmap(screen.get(), w, h));
        qel::SelectScope select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, w, h, screen.get(), m.left, m.top, SRCCOPY);
    });
    const double capture = MedianMs(25, [] { UniqueDib dib(CPictavoUtil().CaptureFullScreen(1)); });
    std::printf("monitor %dx%d\n", w, h);
    std::printf("bare BitBlt             %8.2f ms (baseline)\n", blit);
    std::printf("CaptureFullScreen       %8.2f ms  ratio %.2f\n", capture, capture / blit);
    return 0;
}
