// The flashing frame on the real screen: its shapes, its flash steps, its timer and the drag that moves it.
#include <QelPictavo/FlashingWnd.h>

#include "TestSupport.h"
#include "ToolTestSupport.h"

namespace {

using namespace tooltest;

RECT Grown(const RECT& r, LONG by) { return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by}; }

class FlashingFrame : public ScreenTest {
protected:
    void Show(CFlashingWnd& wnd, RECT r, bool thin) {
        ASSERT_NE(wnd.CreateFlashing(L"flash", r, thin ? 1 : 0), 0);
        wnd.ShowWindow(SW_SHOWNOACTIVATE);
        qeltest::PumpFor(200);
        Watch(Grown(r, 30));
    }
    // Takes the watched area as it is now as the unflashed screen.
    void Watch(const RECT& around) {
        around_ = around;
        plain_ = CopyScreen(around);
    }
    size_t Changed(DWORD afterMs) const {
        qeltest::PumpFor(afterMs);
        return CountDifferences(plain_, CopyScreen(around_));
    }
    // Pixels of the watched area where "differs from then" and "inside the shape at origin" disagree; with
    // outsideOnly, only the pixels outside that differ.
    size_t ShapeMismatches(const ScreenCopy& then, const qel::FrameShape& shape, POINT origin, bool outsideOnly = false) {
        qeltest::PumpFor(150);
        const ScreenCopy now = CopyScreen(around_);
        size_t n = 0;
        for (LONG y = around_.top; y < around_.bottom; ++y)
            for (LONG x = around_.left; x < around_.right; ++x) {
                const bool in = InShape(shape, x - origin.x, y - origin.y);
                n += (now.At(x, y) != then.At(x, y)) != in && !(outsideOnly && in);
            }
        return n;
    }

    RECT around_{};
    ScreenCopy plain_;
};

TEST_F(FlashingFrame, BracketsAndThinFrameFlashInTheirExactShapesAndStopPlain) {
    const RECT r{400, 300, 500, 360};  // 100 x 60
    for (bool thin : {false, true}) {
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
        EXPECT_EQ(ShapeMismatches(before_, shape, origin, true), 0u) << thin;

        wnd.DrawFlashingRect(false, false);
        EXPECT_EQ(ShapeMismatches(plain_, shape, origin), 0u) << thin;
        SaveScreenPng(around_, thin ? L"flash-thin.png" : L"flash-brackets.png");
        wnd.DrawFlashingRect(false, false);
        EXPECT_EQ(Changed(150), 0u) << thin << ": the second step restores";
        // A full step through the message is clipped to the same shape; stopping after it paints one more.
        wnd.SendMessage(CFlashingWnd::WM_FLASH_WINDOW, 1, 0);
        EXPECT_EQ(ShapeMismatches(plain_, shape, origin), 0u) << thin;
        wnd.StopFlashing();
        EXPECT_EQ(Changed(150), 0u) << thin;

        // The timer flashes until stopped; started twice it leaves no second timer behind.
        wnd.StartFlashing();
        wnd.StartFlashing();
        int flashedSamples = 0, plainSamples = 0;
        for (int i = 0; i < 12; ++i) (Changed(45) ? flashedSamples : plainSamples)++;
        EXPECT_TRUE(flashedSamples > 0 && plainSamples > 0) << flashedSamples << " of 12 flashed";
        wnd.StopFlashing();
        for (int i = 0; i < 5; ++i) EXPECT_EQ(Changed(110), 0u) << thin << ", " << i;
        wnd.DestroyWindow();
        qeltest::PumpFor(100);
    }
}

TEST_F(FlashingFrame, DragMovesTheBracketsOnlyWhileMovableAndKeepsThemOnScreen) {
    const RECT r{500, 300, 600, 360};
    CFlashingWnd wnd;
    Show(wnd, r, true);
    // A point on the right-hand side, in both the thin frame and the brackets.
    const POINT grab{r.right + 3, r.bottom - 5};
    auto drag = [&](LONG toX, LONG toY) {
        MoveMouse(grab.x, grab.y);
        qeltest::PumpFor(150);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        qeltest::PumpFor(150);
        MoveMouse(toX, toY);
        qeltest::PumpFor(150);
        MouseButton(MOUSEEVENTF_LEFTUP);
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
    Watch(RECT{moved.left, moved.top - 30, moved.right + 30, moved.bottom + 30});
    wnd.DrawFlashingRect(false, false);
    EXPECT_EQ(ShapeMismatches(plain_, qel::FlashFrameShape(100, 60, false), POINT{moved.left - 8, moved.top - 8}), 0u);
    SaveScreenPng(around_, L"flash-moved.png");
    wnd.StopFlashing();
    wnd.DestroyWindow();
}

}  // namespace
