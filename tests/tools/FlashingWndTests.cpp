// The flashing frame on the real screen: its shapes, its flash steps and the drag that moves it.
#include <gtest/gtest.h>

#include <QelPictavo/FlashingWnd.h>

#include "TestSupport.h"
#include "ToolTestSupport.h"
#include "tools/ToolGeometry.h"

namespace {

using tooltest::CopyScreen;
using tooltest::CountDifferences;
using tooltest::ScreenCopy;

bool InShape(const qel::FrameShape& s, LONG x, LONG y) {
    auto in = [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
    if (!in(s.outer)) return false;
    for (const RECT& h : s.holes) {
        if (in(h)) return false;
    }
    return true;
}

// Pixels where "changed" and "inside the shape placed at origin" disagree.
size_t ShapeMismatches(const ScreenCopy& a, const ScreenCopy& b, const qel::FrameShape& shape, POINT origin) {
    size_t n = 0;
    for (LONG y = a.area.top; y < a.area.bottom; ++y) {
        for (LONG x = a.area.left; x < a.area.right; ++x) {
            const bool changed = a.At(x, y) != b.At(x, y);
            if (changed != InShape(shape, x - origin.x, y - origin.y)) ++n;
        }
    }
    return n;
}

RECT Grown(const RECT& r, LONG by) { return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by}; }

class FlashingFrame : public ::testing::Test {
protected:
    void SetUp() override {
        screen_ = tooltest::VirtualScreen();
        backdrop_ = tooltest::PatternWindow(screen_);
        ASSERT_TRUE(backdrop_);
    }

    // Creates and shows the window; `plain` is the screen around it unflashed.
    void Show(CFlashingWnd& wnd, RECT r, bool thin) {
        ASSERT_NE(wnd.CreateFlashing(L"flash", r, thin ? 1 : 0), 0);
        wnd.ShowWindow(SW_SHOWNOACTIVATE);
        qeltest::PumpFor(200);
        around_ = Grown(r, 30);
        plain_ = CopyScreen(around_);
    }

    ScreenCopy Step(CFlashingWnd& wnd) {
        wnd.DrawFlashingRect(false, false);
        qeltest::PumpFor(150);
        return CopyScreen(around_);
    }

    RECT screen_{};
    RECT around_{};
    qel::UniqueHwnd backdrop_;
    ScreenCopy plain_;
};

TEST_F(FlashingFrame, BracketsAndThinFrameFlashInTheirExactShapes) {
    const RECT r{400, 300, 500, 360};  // 100 x 60
    for (bool thin : {false, true}) {
        const ScreenCopy backdropOnly = CopyScreen(Grown(r, 30));
        CFlashingWnd wnd;
        Show(wnd, r, thin);
        const LONG margin = thin ? 4 : 8;
        CRect placed;
        wnd.GetWindowRect(&placed);
        EXPECT_EQ(placed, CRect(Grown(r, margin))) << thin;
        EXPECT_EQ(wnd.Rect(), CRect(r)) << thin;
        const qel::FrameShape shape = qel::FlashFrameShape(100, 60, thin);
        const POINT origin{r.left - margin, r.top - margin};
        // Outside its region the window shows what lies below.
        size_t outsideChanged = 0;
        for (LONG y = around_.top; y < around_.bottom; ++y)
            for (LONG x = around_.left; x < around_.right; ++x)
                outsideChanged += !InShape(shape, x - origin.x, y - origin.y) && plain_.At(x, y) != backdropOnly.At(x, y);
        EXPECT_EQ(outsideChanged, 0u) << thin;

        const ScreenCopy flashed = Step(wnd);
        EXPECT_EQ(ShapeMismatches(plain_, flashed, shape, origin), 0u) << thin;
        tooltest::SaveScreenPng(around_, thin ? L"flash-thin.png" : L"flash-brackets.png");
        EXPECT_EQ(CountDifferences(plain_, Step(wnd)), 0u) << thin;  // the second step restores

        // A full step through the message is clipped to the same shape.
        wnd.SendMessage(CFlashingWnd::WM_FLASH_WINDOW, 1, 0);
        qeltest::PumpFor(150);
        EXPECT_EQ(ShapeMismatches(plain_, CopyScreen(around_), shape, origin), 0u) << thin;
        // Stopping after that odd step paints one more.
        wnd.StopFlashing();
        qeltest::PumpFor(150);
        EXPECT_EQ(CountDifferences(plain_, CopyScreen(around_)), 0u) << thin;
        wnd.DestroyWindow();
        qeltest::PumpFor(100);
    }
}

TEST_F(FlashingFrame, TimerFlashesUntilStoppedAndStartingTwiceKeepsOneTimer) {
    CFlashingWnd wnd;
    Show(wnd, RECT{600, 400, 760, 520}, false);
    wnd.StartFlashing();
    wnd.StartFlashing();
    int flashedSamples = 0, plainSamples = 0;
    for (int i = 0; i < 12; ++i) {
        qeltest::PumpFor(45);
        (CountDifferences(plain_, CopyScreen(around_)) ? flashedSamples : plainSamples)++;
    }
    EXPECT_GT(flashedSamples, 0);
    EXPECT_GT(plainSamples, 0);
    wnd.StopFlashing();
    qeltest::PumpFor(150);
    EXPECT_EQ(CountDifferences(plain_, CopyScreen(around_)), 0u);
    // No timer is left behind: the frame stays plain.
    for (int i = 0; i < 4; ++i) {
        qeltest::PumpFor(110);
        EXPECT_EQ(CountDifferences(plain_, CopyScreen(around_)), 0u) << i;
    }
    wnd.DestroyWindow();
}

TEST_F(FlashingFrame, DragMovesTheBracketsOnlyWhileMovableAndKeepsThemOnScreen) {
    const RECT r{500, 300, 600, 360};
    CFlashingWnd wnd;
    Show(wnd, r, true);
    // A point on the right-hand bracket, in both the thin frame and the brackets.
    const POINT grab{r.right + 3, r.bottom - 5};
    auto drag = [&](LONG toX, LONG toY) {
        tooltest::MoveMouse(grab.x, grab.y);
        qeltest::PumpFor(150);
        tooltest::MouseButton(MOUSEEVENTF_LEFTDOWN);
        qeltest::PumpFor(150);
        tooltest::MoveMouse(toX, toY);
        qeltest::PumpFor(150);
        tooltest::MouseButton(MOUSEEVENTF_LEFTUP);
        qeltest::PumpFor(250);
    };
    drag(grab.x + 100, grab.y + 100);
    EXPECT_EQ(wnd.Rect(), CRect(r));
    EXPECT_FALSE(wnd.NewRegionUsed());

    wnd.SetMovable(true);
    drag(screen_.left, grab.y - 50);  // far past the left edge of the virtual screen
    const RECT moved{screen_.left, r.top - 50, screen_.left + 100, r.bottom - 50};
    EXPECT_EQ(wnd.Rect(), CRect(moved));
    EXPECT_TRUE(wnd.NewRegionUsed());
    CRect placed;
    wnd.GetWindowRect(&placed);
    EXPECT_EQ(placed, CRect(Grown(moved, 8)));

    // After a move the window carries the brackets around the new place.
    around_ = RECT{moved.left, moved.top - 30, moved.right + 30, moved.bottom + 30};
    plain_ = CopyScreen(around_);
    const ScreenCopy flashed = Step(wnd);
    EXPECT_EQ(ShapeMismatches(plain_, flashed, qel::FlashFrameShape(100, 60, false), POINT{moved.left - 8, moved.top - 8}),
              0u);
    tooltest::SaveScreenPng(around_, L"flash-moved.png");
    wnd.StopFlashing();
    wnd.DestroyWindow();
}

}  // namespace
