// The recording-area selector with real mouse and keyboard input, its marks read back from the screen.
#include <gtest/gtest.h>

#include <QelPictavo/MouseCaptureWnd.h>

#include <algorithm>

#include "TestSupport.h"
#include "ToolTestSupport.h"

namespace {

using tooltest::CopyScreen;
using tooltest::CountDifferences;
using tooltest::MoveMouse;
using tooltest::ScreenCopy;

::testing::AssertionResult RectIs(const CRect& actual, const RECT& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << ", " << actual.top << ", " << actual.right << ", "
                                         << actual.bottom << ") instead of (" << expected.left << ", " << expected.top
                                         << ", " << expected.right << ", " << expected.bottom << ")";
}

class AreaSelector : public ::testing::Test {
protected:
    void SetUp() override {
        screen_ = tooltest::VirtualScreen();
        monitors_ = tooltest::Monitors();
        backdrop_ = tooltest::PatternWindow(screen_);
        ASSERT_TRUE(backdrop_);
        before_ = CopyScreen(screen_);
    }

    // Moves the real mouse and lets the selector see it.
    void MoveTo(LONG x, LONG y) {
        MoveMouse(x, y);
        qeltest::PumpFor(150);
        POINT p{};
        ::GetCursorPos(&p);
        ASSERT_EQ(p.x, x);
        ASSERT_EQ(p.y, y);
    }

    // Pixels changed outside the given rectangle (screen coordinates).
    size_t ChangedOutside(const ScreenCopy& now, const RECT& keep) const {
        return CountDifferences(before_, now) - CountDifferences(before_, now, &keep);
    }

    // The x where the leftmost monitor ends: a drag across it spans two monitors when there are two.
    LONG Boundary() const {
        if (monitors_.size() < 2) return (screen_.left + screen_.right) / 2;
        const auto leftmost = std::min_element(monitors_.begin(), monitors_.end(),
                                               [](const RECT& a, const RECT& b) { return a.left < b.left; });
        return leftmost->right;
    }

    int RunLoop(CMouseCaptureWnd& wnd) {
        tooltest::ModalWatchdog watchdog(wnd.GetSafeHwnd(), 10000, 99);
        return wnd.RunModalLoop();
    }

    RECT screen_{};
    std::vector<RECT> monitors_;
    qel::UniqueHwnd backdrop_;
    ScreenCopy before_;
};

TEST_F(AreaSelector, FixedAreaFollowsTheMouseIsPinnedAtEveryEdgeAndAcceptedByALeftClick) {
    // The window sees the mouse where it is when it appears: put it on the centre, where the rectangle
    // stays where it was given.
    MoveTo(200, 175);
    CMouseCaptureWnd wnd(eRecordFixedArea, CRect(100, 100, 301, 251));
    ASSERT_TRUE(wnd.CreateShiftWindow());
    qeltest::PumpFor(200);
    EXPECT_TRUE(RectIs(wnd.GetCaptureArea(), RECT{100, 100, 301, 251}));
    {
        const ScreenCopy shown = CopyScreen(screen_);
        // The frame inverts its strips; the inside and everything away from the label stay.
        for (LONG x = 100; x < 301; x += 7) {
            EXPECT_NE(shown.At(x, 101), before_.At(x, 101)) << x;
            EXPECT_NE(shown.At(x, 249), before_.At(x, 249)) << x;
        }
        for (LONG y = 104; y < 247; y += 7) {
            EXPECT_NE(shown.At(100, y), before_.At(100, y)) << y;
            EXPECT_NE(shown.At(299, y), before_.At(299, y)) << y;
        }
        const RECT inside{103, 103, 298, 248};
        EXPECT_EQ(CountDifferences(before_, shown, &inside), 0u);
        EXPECT_EQ(ChangedOutside(shown, RECT{100, 60, 600, 300}), 0u);
        tooltest::SaveScreenPng(RECT{60, 60, 700, 320}, L"area-fixed.png");
    }

    // The shift rectangle is 201 x 151 between its edges; its centre is (200, 175).
    const LONG w = 201, h = 151;
    const RECT& first = monitors_.front();
    auto leftmost = *std::min_element(monitors_.begin(), monitors_.end(),
                                      [](const RECT& a, const RECT& b) { return a.left < b.left; });
    auto rightmost = *std::max_element(monitors_.begin(), monitors_.end(),
                                       [](const RECT& a, const RECT& b) { return a.right < b.right; });
    auto tallest = *std::max_element(monitors_.begin(), monitors_.end(),
                                     [](const RECT& a, const RECT& b) { return a.bottom < b.bottom; });
    const LONG lastX = screen_.right - 1, lastY = screen_.bottom - 1;
    struct Step {
        POINT cursor;
        RECT expected;
    };
    const LONG midY = (first.top + first.bottom) / 2;
    const Step steps[] = {
        {{first.left + 500, midY}, {first.left + 400, midY - 75, first.left + 601, midY + 76}},
        {{leftmost.left + 5, 500}, {screen_.left, 425, screen_.left + w, 576}},
        {{first.left + 500, screen_.top + 3}, {first.left + 400, screen_.top, first.left + 601, screen_.top + h}},
        {{rightmost.right - 2, 500}, {lastX - w, 425, lastX, 576}},
        {{tallest.left + 500, tallest.bottom - 1}, {tallest.left + 400, lastY - h, tallest.left + 601, lastY}},
    };
    for (const Step& s : steps) {
        MoveTo(s.cursor.x, s.cursor.y);
        EXPECT_TRUE(RectIs(wnd.GetCaptureArea(), s.expected)) << s.cursor.x << "," << s.cursor.y;
        // Only the current frame and its label are on the screen.
        const RECT& e = s.expected;
        const RECT marks{e.left, e.top - 40, std::max(e.right, e.left + 500), e.bottom + 40};
        EXPECT_EQ(ChangedOutside(CopyScreen(screen_), marks), 0u) << s.cursor.x << "," << s.cursor.y;
    }

    tooltest::Click();
    EXPECT_EQ(RunLoop(wnd), 1);
    EXPECT_TRUE(RectIs(wnd.GetCaptureArea(), steps[4].expected));
    qeltest::PumpFor(200);
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u);
    wnd.DestroyWindow();
}

TEST_F(AreaSelector, FixedAreaIsCancelledByARightClickOrEscape) {
    for (bool escape : {false, true}) {
        CMouseCaptureWnd wnd(eRecordFixedArea, CRect(50, 60, 250, 200));
        ASSERT_TRUE(wnd.CreateShiftWindow());
        MoveTo(screen_.left + 700, 400);
        EXPECT_GT(CountDifferences(before_, CopyScreen(screen_)), 0u);
        if (escape) {
            tooltest::PressKey(VK_ESCAPE);
        } else {
            tooltest::Click(false);
        }
        EXPECT_EQ(RunLoop(wnd), 2) << escape;
        qeltest::PumpFor(200);
        EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u) << escape;
        wnd.DestroyWindow();
    }
}

TEST_F(AreaSelector, NewAreaDragAcrossMonitorsShowsOneLabelEachAndGivesTheNormalisedRectangle) {
    CMouseCaptureWnd wnd(eRecordNewArea, CRect(0, 0, 0, 0));
    ASSERT_TRUE(wnd.CreateShiftWindow());
    qeltest::PumpFor(200);
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u);  // nothing before a drag

    const LONG b = Boundary();
    const POINT start{b + 150, 300};
    MoveTo(start.x, start.y);
    tooltest::MouseButton(MOUSEEVENTF_LEFTDOWN);
    qeltest::PumpFor(150);
    MoveTo(b - 200, 120);  // up and to the left of the start
    EXPECT_TRUE(RectIs(wnd.GetCaptureArea(), RECT{b - 200, 120, b + 150, 300}));
    {
        const ScreenCopy across = CopyScreen(screen_);
        const RECT leftPart{b - 200, 60, b, 310}, rightPart{b, 60, b + 151, 310};
        EXPECT_GT(CountDifferences(before_, across, &leftPart), 0u);
        EXPECT_GT(CountDifferences(before_, across, &rightPart), 0u);
        tooltest::SaveScreenPng(RECT{b - 260, 40, std::min(b + 700, screen_.right), 360}, L"area-new-across.png");
        if (monitors_.size() > 1) {
            // Each part has a label above it: white boxes 5 to 25 pixels above the top edge.
            auto whiteAbove = [&](LONG x) {
                int white = 0;
                for (LONG y = 90; y < 118; ++y) white += across.At(x, y) == 0xFFFFFF;
                return white;
            };
            EXPECT_GT(whiteAbove(b - 180), 5);  // the left part's label starts 10 pixels right of b - 200
            EXPECT_GT(whiteAbove(b + 20), 5);   // the right part's label starts at b + 10
        }
    }

    // Back onto the start's monitor only: the other monitor is clean again, its label removed too.
    MoveTo(b + 300, 250);
    EXPECT_TRUE(RectIs(wnd.GetCaptureArea(), RECT{b + 150, 250, b + 300, 300}));
    const RECT otherSide{std::max(screen_.left, b - 700), screen_.top, b, screen_.bottom};
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_), &otherSide), 0u);

    tooltest::MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(RunLoop(wnd), 1);
    EXPECT_TRUE(RectIs(wnd.GetCaptureArea(), RECT{b + 150, 250, b + 300, 300}));
    wnd.DestroyWindow();
    qeltest::PumpFor(300);
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u);
}

TEST_F(AreaSelector, NewAreaEscapeBeforeADragGivesAnEmptyArea) {
    CMouseCaptureWnd wnd(eRecordNewArea, CRect(10, 10, 500, 500));
    ASSERT_TRUE(wnd.CreateShiftWindow());
    qeltest::PumpFor(100);
    tooltest::PressKey(VK_ESCAPE);
    EXPECT_EQ(RunLoop(wnd), 2);
    EXPECT_TRUE(wnd.GetCaptureArea().IsRectEmpty());
    wnd.DestroyWindow();
}

}  // namespace
