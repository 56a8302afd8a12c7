// The scrolling tests' target program: its client area on the screen after each kind of scroll request.
#include <gtest/gtest.h>

#include "ScrollTargetProcess.h"

using namespace scrolltest;

namespace {

// A scroll request as a capture sends it: the message, then an immediate repaint.
void Send(HWND wnd, UINT msg, WPARAM wp) {
    ::SendMessageW(wnd, msg, wp, 0);
    ::UpdateWindow(wnd);
}

}  // namespace

TEST(ScrollTarget, StepsMoveThePictureByWholeLinesOnTheScreenAndStopAtTheEnds) {
    ScrollTargetOptions o;
    o.contentWidth = 300, o.contentHeight = 1000, o.clientWidth = 200, o.clientHeight = 150, o.header = 12;
    ScrollTargetProcess target(o);
    HWND wnd = target.Hwnd();
    ASSERT_TRUE(wnd) << "no window showing its first picture";
    // Wine answers GetScrollInfo only within the window's own process: the bars are not read here.
    // Each request is on the screen once the repaint returns: a capture with no delay grabs at once.
    const int endY = 1000 - 138, endX = 100;
    const struct { UINT msg; WPARAM wp; int x, y; } steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 16},
        {WM_HSCROLL, SB_LINERIGHT, 16, 16},
        {WM_VSCROLL, SB_BOTTOM, 16, endY},
        {WM_VSCROLL, SB_LINEDOWN, 16, endY},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 16, endY},
        // Half a line's delta waits for the other half.
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 30), 16, endY},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 30), 16, endY - 16},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 500), 16, 500},
        {WM_VSCROLL, SB_PAGEUP, 16, 500 - 138},
        {WM_HSCROLL, SB_RIGHT, endX, 500 - 138},
        {WM_HSCROLL, SB_LINERIGHT, endX, 500 - 138},
        {WM_VSCROLL, SB_TOP, endX, 0},
        {WM_VSCROLL, SB_LINEUP, endX, 0},
    };
    for (const auto& s : steps) {
        Send(wnd, s.msg, s.wp);
        EXPECT_EQ(ViewDifferences(wnd, o, s.x, s.y), 0u) << "message " << s.msg << " " << s.wp << " to " << s.x << "," << s.y;
    }
}

TEST(ScrollTarget, ResizesOrDestroysItsWindowAfterTheAskedStep) {
    ScrollTargetOptions o;
    o.clientWidth = 200, o.clientHeight = 150, o.resizeAfter = 2, o.destroyAfter = 3;
    o.verticalBar = o.horizontalBar = false;
    ScrollTargetProcess target(o);
    HWND wnd = target.Hwnd();
    ASSERT_TRUE(wnd);
    Send(wnd, WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(ViewDifferences(wnd, o, 0, 16), 0u);
    Send(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -60));
    o.clientWidth = 220;
    EXPECT_EQ(ViewDifferences(wnd, o, 0, 32), 0u);
    Send(wnd, WM_HSCROLL, SB_LINERIGHT);
    EXPECT_FALSE(::IsWindow(wnd));
    EXPECT_TRUE(target.WaitForExit(5000));
}
