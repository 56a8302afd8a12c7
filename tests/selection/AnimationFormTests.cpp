// The animating overlay base on real windows: its timer, and mouse tracking under real input with the
// Shift axis lock, relative to the screen-bounds origin of each display layout.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include "TestSupport.h"
#include "selection/AnimatingForm.h"
#include "windows/ScreenGeometry.h"

namespace {

class TestForm : public AnimatingForm {
public:
    explicit TestForm(bool animationWanted) { m_animationWanted = animationWanted; }
    BOOL Create(const Gdiplus::Rect& r) {
        return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(CS_DBLCLKS), L"", WS_POPUP | WS_VISIBLE,
                        r.X, r.Y, r.Width, r.Height, nullptr, nullptr);
    }
    void Animate() override { ++ticks; }
    int ticks = 0;
    int paints = 0;
    CRect painted;
    bool erase = false;

protected:
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        HandleSharedKeyDown(ch);
        CWnd::OnKeyDown(ch, repeat, flags);
    }
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        ++paints;
        painted = dc.m_ps.rcPaint;
        erase = dc.m_ps.fErase != FALSE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestForm, AnimatingForm)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_PAINT()
END_MESSAGE_MAP()

void Send(const INPUT& in) {
    INPUT copy = in;
    ::SendInput(1, &copy, sizeof(INPUT));
    qeltest::PumpFor(150);
}

void MoveTo(POINT p) {
    ::SetCursorPos(p.x, p.y);
    INPUT in{};  // a zero relative move makes the system post the move to the window under the cursor
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    Send(in);
}

void Key(WORD vk, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    Send(in);
}

void Button(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(in);
}

// A full-screen form in front, with the keyboard focus.
class Overlay : public ::testing::Test {
protected:
    void SetUp() override {
        bounds_ = ScreenGeometry::VirtualScreenBounds();
        ASSERT_TRUE(form_.Create(bounds_));
        form_.SetForegroundWindow();
        form_.SetFocus();
        qeltest::PumpFor(200);
    }
    // A point of the leftmost monitor, so the left layout's negative coordinates are part of the test.
    POINT Start() const { return POINT{bounds_.X + 300, bounds_.Y + 400}; }
    CPoint Relative(POINT p) const { return CPoint(p.x - bounds_.X, p.y - bounds_.Y); }

    Gdiplus::Rect bounds_;
    TestForm form_{false};
};

}  // namespace

TEST(AnimatingForm, TimerTicksAnimateOnlyWhenTheAnimationIsWanted) {
    TestForm wanted(true), unwanted(false);
    ASSERT_TRUE(wanted.Create(Gdiplus::Rect(10, 10, 50, 50)));
    ASSERT_TRUE(unwanted.Create(Gdiplus::Rect(70, 10, 50, 50)));
    qeltest::PumpFor(700);
    EXPECT_GE(wanted.ticks, 3);
    EXPECT_EQ(unwanted.ticks, 0);
    // A timer with the animation id exists on the one window only.
    EXPECT_TRUE(wanted.KillTimer(AnimatingForm::AnimationTimerId));
    EXPECT_FALSE(unwanted.KillTimer(AnimatingForm::AnimationTimerId));
    const int ticks = wanted.ticks;
    qeltest::PumpFor(200);
    EXPECT_EQ(wanted.ticks, ticks);
}

TEST_F(Overlay, MouseMovesAreTrackedRelativeToTheScreenBounds) {
    const POINT p = Start();
    MoveTo(p);
    EXPECT_EQ(form_.MousePosition(), Relative(p));
    const POINT q{p.x + 123, p.y + 45};
    MoveTo(q);
    EXPECT_EQ(form_.MousePosition(), Relative(q));
    EXPECT_FALSE(form_.IsMouseDown());
}

TEST_F(Overlay, ShiftLocksTheFirstMovedAxisUntilReleased) {
    const POINT p = Start();
    MoveTo(p);
    Key(VK_SHIFT, true);
    EXPECT_EQ(form_.GetAxisLock(), AxisLock::Pending);

    // x and y both change: x is tested first, so y is held from here on.
    MoveTo(POINT{p.x + 30, p.y + 40});
    EXPECT_EQ(form_.GetAxisLock(), AxisLock::HorizontalOnly);
    EXPECT_EQ(form_.MousePosition(), Relative(POINT{p.x + 30, p.y + 40}));
    MoveTo(POINT{p.x + 60, p.y + 90});
    EXPECT_EQ(form_.MousePosition(), Relative(POINT{p.x + 60, p.y + 40}));

    Key(VK_SHIFT, false);
    EXPECT_EQ(form_.GetAxisLock(), AxisLock::None);
    MoveTo(POINT{p.x + 70, p.y + 100});
    EXPECT_EQ(form_.MousePosition(), Relative(POINT{p.x + 70, p.y + 100}));

    // Only y changes: x is held.
    Key(VK_SHIFT, true);
    MoveTo(POINT{p.x + 70, p.y + 120});
    EXPECT_EQ(form_.GetAxisLock(), AxisLock::VerticalOnly);
    MoveTo(POINT{p.x + 5, p.y + 130});
    EXPECT_EQ(form_.MousePosition(), Relative(POINT{p.x + 70, p.y + 130}));
    Key(VK_SHIFT, false);
}

TEST_F(Overlay, PressRecordsTheCursorAndRepaintsTheWholeWindow) {
    const POINT p = Start();
    MoveTo(p);
    const int paints = form_.paints;
    Button(true);
    EXPECT_TRUE(form_.IsMouseDown());
    EXPECT_EQ(form_.MouseDownPosition(), Relative(p));
    EXPECT_EQ(form_.MousePosition(), Relative(p));
    EXPECT_GT(form_.paints, paints);
    CRect client;
    form_.GetClientRect(&client);
    EXPECT_EQ(form_.painted, client);
    EXPECT_TRUE(form_.erase);
    Button(false);
    // The base leaves ending the press to the derived window.
    EXPECT_TRUE(form_.IsMouseDown());
}

TEST_F(Overlay, ArrowKeysStepTheCursorTenPixelsWhileCtrlIsHeld) {
    const POINT p = Start();
    MoveTo(p);
    form_.SendMessage(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(form_.MousePosition(), Relative(POINT{p.x + 1, p.y}));
    form_.SendMessage(WM_KEYDOWN, VK_CONTROL);
    EXPECT_TRUE(form_.IsCtrlHeld());
    form_.SendMessage(WM_KEYDOWN, VK_DOWN);
    form_.SendMessage(WM_KEYDOWN, VK_LEFT);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, p.x - 9);
    EXPECT_EQ(cursor.y, p.y + 10);
    EXPECT_EQ(form_.MousePosition(), Relative(cursor));
    form_.SendMessage(WM_KEYUP, VK_CONTROL);
    EXPECT_FALSE(form_.IsCtrlHeld());
    form_.SendMessage(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(form_.MousePosition(), Relative(POINT{p.x - 9, p.y + 9}));
}
