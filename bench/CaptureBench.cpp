// Times CaptureFullScreen, to the returned DIB, against bare BitBlts of the same monitor in the same run:
// into a newly made DIB section (what any capture must at least pay) and into one that already exists.
#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "BenchTiming.h"

using bench::MedianMs;

namespace {

qel::UniqueHbitmap NewSection(HDC screen, int width, int height, int depth) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, WORD(depth), BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    return qel::UniqueHbitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// One screen copy of the monitor m into section; a new section each time when section is null.
void Blit(const RECT& m, int depth, HBITMAP section) {
    const int w = m.right - m.left, h = m.bottom - m.top;
    qel::WindowDc screen(::GetDesktopWindow());
    qel::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
    qel::UniqueHbitmap fresh;
    if (!section) {
        fresh = NewSection(screen.get(), w, h, depth);
        section = fresh.get();
    }
    qel::SelectScope select(memory.get(), section);
    ::BitBlt(memory.get(), 0, 0, w, h, screen.get(), m.left, m.top, SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

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
    qel::WindowDc screen(::GetDesktopWindow());
    qel::UniqueHbitmap existing = NewSection(screen.get(), w, h, 32);
    if (!existing) return 1;

    // The four are taken in turns, so that a slower stretch of the machine weighs on all of them alike.
    const int runs = 31;
    std::vector<double> fresh32s, fresh24s, reuseds, captures;
    for (int i = 0; i < runs; ++i) {
        fresh32s.push_back(MedianMs(1, [&] { Blit(m, 32, nullptr); }));
        fresh24s.push_back(MedianMs(1, [&] { Blit(m, 24, nullptr); }));
        reuseds.push_back(MedianMs(1, [&] { Blit(m, 32, existing.get()); }));
        captures.push_back(MedianMs(1, [] { UniqueDib dib(CPictavoUtil().CaptureFullScreen(1)); }));
    }
    const double fresh32 = Median(fresh32s), fresh24 = Median(fresh24s), reused = Median(reuseds),
                 capture = Median(captures);
    std::printf("monitor %dx%d at (%ld, %ld), median of %d runs\n", w, h, m.left, m.top, runs);
    std::printf("BitBlt into a new 32-bit DIB section      %8.2f ms (baseline)\n", fresh32);
    std::printf("BitBlt into a new 24-bit DIB section      %8.2f ms  %5.2f x baseline\n", fresh24, fresh24 / fresh32);
    std::printf("BitBlt into an existing 32-bit DIB section %7.2f ms  %5.2f x baseline\n", reused, reused / fresh32);
    std::printf("CaptureFullScreen, delay 0                %8.2f ms  %5.2f x baseline (goal 1.3), %5.2f x existing\n",
                capture, capture / fresh32, capture / reused);
    return 0;
}
