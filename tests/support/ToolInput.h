#pragma once
// Driving the colour picker and the recording-area selector with real input, for the tests of the tools
// and the soak of every capture. Header only: the including executable links the library.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelFramework/Framework.h>
#include <QelPictavo/MouseCaptureWnd.h>
#include <QelPictavo/PictavoUtil.h>

#include <functional>
#include <thread>

#include "ScreenInput.h"
#include "TestSupport.h"

namespace qeltest {

constexpr DWORD kPickLabelYellow = 0xFFFF00;  // as screen copies hold it, 0x00RRGGBB

// Runs the selector's modal loop: 99 when the input has not ended it within 10 s.
inline int RunSelectorLoop(CMouseCaptureWnd& wnd) {
    ::SetTimer(wnd, 1, 10000, [](HWND h, UINT, UINT_PTR, DWORD) { CWnd::FromHandlePermanent(h)->EndModalLoop(99); });
    const int result = wnd.RunModalLoop();
    ::KillTimer(wnd, 1);
    return result;
}

// The picker's window, of the given thread, is topmost over the whole virtual screen.
inline bool PickerShown(DWORD thread) {
    const RECT screen = VirtualScreen();
    const HWND wnd = ::WindowFromPoint(POINT{screen.left, screen.top});
    RECT r{};
    return ::GetWindowThreadProcessId(wnd, nullptr) == thread && (::GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) &&
           ::GetWindowRect(wnd, &r) && ::EqualRect(&r, &screen);
}

// Runs the picker on this thread while another, once the picker shows, moves the mouse to p, waits until
// the label shows at yellowAt (the move has been seen), copies the screen into *shot and gives the
// ending input. If the picker is still there then, Enter ends it (and the test sees 0xFFFFFFFF).
inline unsigned long Pick(POINT p, POINT yellowAt, const std::function<void()>& end, ScreenCopy* shot = nullptr) {
    const DWORD self = ::GetCurrentThreadId();
    bool shown = false;
    ScreenCopy copy;
    std::thread driver([&] {
        shown = PumpUntil([&] { return PickerShown(self); });
        int round = 0;
        PumpUntil([&] {
            if ((copy = CopyScreen(VirtualScreen())).At(yellowAt.x, yellowAt.y) == kPickLabelYellow) return true;
            // Again: pointer events from before the picker showed, handled late on its thread, can undo a move.
            // Now and then by way of a neighbour, since a move to where the pointer already is reports nothing;
            // not every round, or the label would never settle long enough to reach the screen.
            if (++round % 25 == 0) MoveMouse(p.x - 1, p.y);
            MoveMouse(p);
            return false;
        });
        end();
        if (!PumpUntil([&] { return !PickerShown(self); })) PressKey(VK_RETURN);
    });
    const unsigned long color = CPictavoUtil().PickScreenColor();
    driver.join();
    EXPECT_TRUE(shown && !PickerShown(self));
    if (shot) *shot = copy;
    return color;
}

}  // namespace qeltest
