// The recording-area selector with real mouse and keyboard input, its marks read back from the screen.
#include <QelPictavo/MouseCaptureWnd.h>

#include <algorithm>

#include "TestSupport.h"
#include "ToolTestSupport.h"

namespace {

using namespace tooltest;

class AreaSelector : public ScreenTest {
protected:
    // Moves the real mouse and lets the selector see it.
    static void MoveTo(LONG x, LONG y) {
        MoveMouse(x, y);
        qeltest::PumpFor(150);
        POINT p{};
        ::GetCursorPos(&p);
        ASSERT_TRUE(p.x == x && p.y == y) << p.x << "," << p.y;
    }

    size_t ChangedOutside(const RECT& keep) const {
        const ScreenCopy now = CopyScreen(screen_);
        return CountDifferences(before_, now) - CountDifferences(before_, now, &keep);
    }

    // Ends the loop with 99 if the input failed to end it.
    static int RunLoop(CMouseCaptureWnd& wnd) {
        static CMouseCaptureWnd* running;
        running = &wnd;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { running->EndModalLoop(99); });
        const int result = wnd.RunModalLoop();
        ::KillTimer(nullptr, timer);
        return result;
    }
};

TEST_F(AreaSelector, FixedAreaFollowsTheMouseIsPinnedAtEveryEdgeAndEndsByClickOrEscape) {
    const auto extreme = [&](auto better) { return *std::max_element(monitors_.begin(), monitors_.end(), better); };
    const RECT leftmost = extreme([](const RECT& a, const RECT& b) { return a.left > b.left; });
    const RECT rightmost = extreme([](const RECT& a, const RECT& b) { return a.right < b.right; });
    const RECT tallest = extreme([](const RECT& a, const RECT& b) { return a.bottom < b.bottom; });
    const RECT& first = monitors_.front();
    // The rectangle is 201 x 151 between its edges; its centre is (200, 175).
    const LONG w = 201, h = 151, lastX = screen_.right - 1, lastY = screen_.bottom - 1, midY = (first.top + first.bottom) / 2;
    const struct {
        POINT cursor;
        CRect expected;
    } steps[] = {
        {{first.left + 500, midY}, {first.left + 400, midY - 75, first.left + 601, midY + 76}},
        {{leftmost.left + 5, 500}, {screen_.left, 425, screen_.left + w, 576}},
        {{first.left + 500, screen_.top + 3}, {first.left + 400, screen_.top, first.left + 601, screen_.top + h}},
        {{rightmost.right - 2, 500}, {lastX - w, 425, lastX, 576}},
        {{tallest.left + 500, tallest.bottom - 1}, {tallest.left + 400, lastY - h, tallest.left + 601, lastY}},
    };
    for (int ending : {0, 1, 2}) {  // left click, right click, Escape
        // The window sees the mouse where it is when it appears: on the centre the rectangle stays.
        MoveTo(200, 175);
        CMouseCaptureWnd wnd(eRecordFixedArea, CRect(100, 100, 301, 251));
        ASSERT_TRUE(wnd.CreateShiftWindow());
        qeltest::PumpFor(200);
        EXPECT_EQ(wnd.GetCaptureArea(), CRect(100, 100, 301, 251));
        // The frame inverts its strips; the inside and everything away from the label stay.
        const ScreenCopy shown = CopyScreen(screen_);
        for (LONG x = 100; x < 301; x += 7)
            EXPECT_TRUE(shown.At(x, 101) != before_.At(x, 101) && shown.At(x, 249) != before_.At(x, 249)) << x;
        for (LONG y = 104; y < 247; y += 7)
            EXPECT_TRUE(shown.At(100, y) != before_.At(100, y) && shown.At(299, y) != before_.At(299, y)) << y;
        const RECT inside{103, 103, 298, 248};
        EXPECT_EQ(CountDifferences(before_, shown, &inside), 0u);
        EXPECT_EQ(ChangedOutside(RECT{100, 60, 600, 300}), 0u);
        if (ending == 0) SaveScreenPng(RECT{60, 60, 700, 320}, L"area-fixed.png");

        for (const auto& s : steps) {
            MoveTo(s.cursor.x, s.cursor.y);
            EXPECT_EQ(wnd.GetCaptureArea(), s.expected) << s.cursor.x << "," << s.cursor.y;
            // Only the current frame and its label are on the screen.
            const CRect& e = s.expected;
            EXPECT_EQ(ChangedOutside(RECT{e.left, e.top - 40, std::max(e.right, e.left + 500), e.bottom + 40}), 0u);
        }
        if (ending == 2) {
            PressKey(VK_ESCAPE);
        } else {
            Click(ending == 0);
        }
        EXPECT_EQ(RunLoop(wnd), ending == 0 ? 1 : 2);
        if (ending == 0) {
            EXPECT_EQ(wnd.GetCaptureArea(), steps[4].expected);
        }
        qeltest::PumpFor(200);
        EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u) << ending;
        wnd.DestroyWindow();
    }
}

TEST_F(AreaSelector, NewAreaGivesNothingOnEscapeAndTheNormalisedRectangleOfADragAcrossMonitors) {
    {
        CMouseCaptureWnd wnd(eRecordNewArea, CRect(10, 10, 500, 500));
        ASSERT_TRUE(wnd.CreateShiftWindow());
        qeltest::PumpFor(200);
        EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u);  // nothing before a drag
        PressKey(VK_ESCAPE);
        EXPECT_EQ(RunLoop(wnd), 2);
        EXPECT_TRUE(wnd.GetCaptureArea().IsRectEmpty());
        wnd.DestroyWindow();
    }
    CMouseCaptureWnd wnd(eRecordNewArea, CRect(0, 0, 0, 0));
    ASSERT_TRUE(wnd.CreateShiftWindow());
    // Where the leftmost monitor ends: a drag across it spans two monitors when there are two.
    LONG b = (screen_.left + screen_.right) / 2;
    if (monitors_.size() > 1)
        b = std::min_element(monitors_.begin(), monitors_.end(), [](auto& m, auto& n) { return m.left < n.left; })->right;
    MoveTo(b + 150, 300);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    qeltest::PumpFor(150);
    MoveTo(b - 200, 120);  // up and to the left of the start
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b - 200, 120, b + 150, 300));
    const ScreenCopy across = CopyScreen(screen_);
    const RECT leftPart{b - 200, 60, b, 310}, rightPart{b, 60, b + 151, 310};
    EXPECT_GT(CountDifferences(before_, across, &leftPart), 0u);
    EXPECT_GT(CountDifferences(before_, across, &rightPart), 0u);
    SaveScreenPng(RECT{b - 260, 40, std::min(b + 700, screen_.right), 360}, L"area-new-across.png");
    // With two monitors each part has its label: a white box 5 to 25 pixels above its top edge, from
    // 10 pixels right of its left edge.
    for (LONG x : {b - 180, b + 20}) {
        int white = 0;
        for (LONG y = 90; y < 118; ++y) white += across.At(x, y) == 0xFFFFFF;
        EXPECT_TRUE(monitors_.size() < 2 || white > 5) << x;
    }
    // Back onto the start's monitor only: the other monitor is clean again, its label removed too.
    MoveTo(b + 300, 250);
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b + 150, 250, b + 300, 300));
    const RECT otherSide{std::max(screen_.left, b - 700), screen_.top, b, screen_.bottom};
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_), &otherSide), 0u);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(RunLoop(wnd), 1);
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b + 150, 250, b + 300, 300));
    wnd.DestroyWindow();
    qeltest::PumpFor(300);
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u);
}

}  // namespace
