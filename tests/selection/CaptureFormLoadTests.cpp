// The overlay with 300 top-level windows (the overlay thread's own, as a host's would be): usable while the
// worker still fills the window list, the highlight finding the windows read so far, every record released.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <vector>

#include "CaptureFormTestSupport.h"
#include "GdiplusHandles.h"
#include "TestSupport.h"
#include "capture/Capture.h"
#include "capture/Dib.h"
#include "selection/CaptureForm.h"
#include "windows/ScreenCopy.h"
#include "windows/WindowEnumeration.h"

using namespace formtest;

namespace {

constexpr int kColumns = 20, kRows = 15;  // 300, each with a chain of 4 children: 1500 windows for the worker

RECT Cell(int i) {
    const LONG x = 10 + i % kColumns * 90, y = 10 + i / kColumns * 70;
    return RECT{x, y, x + 80, y + 60};
}

// Busy blocks on every heap of the process.
size_t BusyHeapBlocks() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(::GetProcessHeaps(64, heaps), 64);
    size_t busy = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!::HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry)) busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0;
        ::HeapUnlock(heaps[i]);
    }
    return busy;
}

// Records in the list; the grid window under the cursor (or null) and whether its record is listed; the
// top-level window of the form's selection.
struct Sample { size_t listed; HWND underCursor; bool underCursorListed; HWND selected; };
CaptureForm* g_form = nullptr;
WindowListHolder* g_holder = nullptr;
const std::vector<qel::UniqueHwnd>* g_grid = nullptr;
std::vector<Sample> g_samples;

// On the form's thread, between its messages: what the list holds and what the form selected.
void CALLBACK TakeSample(HWND, UINT, UINT_PTR, DWORD) {
    Sample s{};
    POINT cursor;
    ::GetCursorPos(&cursor);
    for (int i = 0; i < kRows * kColumns; ++i) {
        const RECT cell = Cell(i);
        if (::PtInRect(&cell, cursor)) s.underCursor = (*g_grid)[size_t(i)].get();
    }
    WindowListLock lock(*g_holder);
    s.listed = g_holder->list->size();
    for (const auto& record : *g_holder->list) s.underCursorListed |= record && record->Handle() == s.underCursor;
    if (WindowDetails* selected = g_form->SelectedWindow()) s.selected = ::GetAncestor(selected->Handle(), GA_ROOT);
    g_samples.push_back(s);
}

}  // namespace

using OverlayUnderLoad = OverlayTest;

TEST_F(OverlayUnderLoad, HighlightFindsTheWindowsReadSoFarAndEveryRecordIsReleased) {
    std::vector<qel::UniqueHwnd> grid;
    WNDCLASSW wc{0, ::DefWindowProcW, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr,
                 reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)), nullptr, L"QelGridCell"};
    ::RegisterClassW(&wc);
    for (int i = 0; i < kRows * kColumns; ++i) {
        const RECT r = Cell(i);
        HWND parent = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"cell", WS_POPUP | WS_VISIBLE, r.left, r.top,
                                        80, 60, nullptr, nullptr, wc.hInstance, nullptr);
        grid.emplace_back(parent);
        for (int depth = 0; depth < 4; ++depth)
            parent = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 4, 4, 60 - 8 * depth, 40 - 6 * depth,
                                       parent, nullptr, wc.hInstance, nullptr);
    }
    qeltest::PumpFor(300);
    {
        // As the session does it: the worker starts, the screen is frozen, the form shows.
        WindowRecordList windows;
        WindowListHolder holder(&windows);
        Capture capture;
        capture.GetDetails()->SetCaptureMode(4);
        RetrieveWindowDetails worker(&holder);
        ASSERT_TRUE(worker.Start());
        ASSERT_NE(ScreenGeometry::CaptureRectangle(&capture, capture.GetScreenBounds()), nullptr);
        CaptureForm form(&capture, &holder);
        g_form = &form, g_holder = &holder, g_grid = &grid;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, TakeSample);
        InputScript input([] {
            if (!WaitForOverlay()) return;
            // Along the grid, lingering on each window long enough for a few ticks.
            for (int i = 0; i < kRows * kColumns; i += 7) MoveTo(POINT{Cell(i).left + 5, Cell(i).top + 45}, 120);
            Key(VK_ESCAPE);
        });
        ASSERT_EQ(form.RunForm(), 1);
        ::KillTimer(nullptr, timer);
        input.Join();
        worker.Join();

        // The list filled while the overlay was up; the worker read every window but the overlay.
        ASSERT_FALSE(g_samples.empty());
        EXPECT_LT(g_samples.front().listed, size_t(kColumns * kRows));
        EXPECT_GE(g_samples.back().listed, size_t(kColumns * kRows));
        for (const auto& record : windows) EXPECT_NE(record->Handle(), form.GetSafeHwnd());
        // Whenever the window under the cursor had been read for a few samples, the form had it selected.
        int checked = 0, wrong = 0;
        for (size_t i = 3; i < g_samples.size(); ++i) {
            const Sample& s = g_samples[i];
            bool settled = s.underCursor != nullptr;
            for (size_t k = i - 3; k < i; ++k) settled &= g_samples[k].underCursor == s.underCursor && g_samples[k].underCursorListed;
            checked += settled, wrong += settled && s.selected != s.underCursor;
        }
        EXPECT_TRUE(checked > 5 && wrong == 0) << wrong << " of " << checked;
    }

    // Cancelled window captures through the export leave no window record behind.
    auto cancelled = [] {
        InputScript input([] { if (WaitForOverlay()) Key(VK_ESCAPE); });
        UniqueDib dib(CPictavoUtil().CaptureWindowObject(0));
        return input.Join(), qeltest::PumpFor(200), dib == nullptr;
    };
    ASSERT_TRUE(cancelled());  // first use builds the process-wide caches
    const size_t before = BusyHeapBlocks();
    ASSERT_TRUE(cancelled() && cancelled());
    // Each capture reads more than 1500 windows; keeping their records would add well over a thousand blocks.
    EXPECT_LT(BusyHeapBlocks(), before + 200);
}
