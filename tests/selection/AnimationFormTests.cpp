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
    int ticks = 0, paints = 0;
    CRect painted;

protected:
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        HandleSharedKeyDown(ch);
        CWnd::OnKeyDown(ch, repeat, flags);
    }
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        ++paints;
        painted = dc.m_ps.rcPaint;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestForm, AnimatingForm)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_PAINT()
END_MESSAGE_MAP()

// Real input, then this thread's messages pumped so that the form sees it.
void Send(DWORD type, WORD vk, DWORD flags) {
    INPUT in{};
    in.type = type;
    if (type == INPUT_KEYBOARD) in.ki = KEYBDINPUT{vk, 0, flags, 0, 0};
    else in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof(INPUT));
    qeltest::PumpFor(150);
}
void MoveTo(POINT p) {
    ::SetCursorPos(p.x, p.y);
    Send(INPUT_MOUSE, 0, MOUSEEVENTF_MOVE);  // a zero relative move posts the move to the window under the cursor
}
void Shift(bool down) { Send(INPUT_KEYBOARD, VK_SHIFT, down ? 0 : KEYEVENTF_KEYUP); }

}  // namespace

TEST(AnimatingForm, TimerTicksAnimateOnlyWhenTheAnimationIsWanted) {
    TestForm wanted(true), unwanted(false);
    ASSERT_TRUE(wanted.Create(Gdiplus::Rect(10, 10, 50, 50)));
    ASSERT_TRUE(unwanted.Create(Gdiplus::Rect(70, 10, 50, 50)));
    qeltest::PumpFor(700);
    EXPECT_TRUE(wanted.ticks >= 3 && unwanted.ticks == 0);
    // A timer with the animation id exists on the one window only.
    EXPECT_TRUE(wanted.KillTimer(AnimatingForm::AnimationTimerId));
    EXPECT_FALSE(unwanted.KillTimer(AnimatingForm::AnimationTimerId));
    const int ticks = wanted.ticks;
    qeltest::PumpFor(200);
    EXPECT_EQ(wanted.ticks, ticks);
}

// A full-screen form in front, with the keyboard focus, and the cursor on the leftmost monitor so that the
// left layout's negative coordinates are part of the test.
TEST(AnimatingForm, TracksTheMouseRelativeToTheScreenBoundsShiftLocksAnAxisAndCtrlArrowsStepTen) {
    const Gdiplus::Rect bounds = ScreenGeometry::VirtualScreenBounds();
    TestForm form(false);
    ASSERT_TRUE(form.Create(bounds));
    form.SetForegroundWindow();
    form.SetFocus();
    qeltest::PumpFor(200);
    const POINT p{bounds.X + 300, bounds.Y + 400};
    const auto relative = [&](LONG x, LONG y) { return CPoint(p.x + x - bounds.X, p.y + y - bounds.Y); };
    MoveTo(p);
    EXPECT_EQ(form.MousePosition(), relative(0, 0));
    MoveTo(POINT{p.x + 123, p.y + 45});
    EXPECT_TRUE(form.MousePosition() == relative(123, 45) && !form.IsMouseDown());

    // x and y both change: x is tested first, so y is held from here on, until Shift goes up.
    MoveTo(p);
    Shift(true);
    EXPECT_EQ(form.GetAxisLock(), AxisLock::Pending);
    MoveTo(POINT{p.x + 30, p.y + 40});
    EXPECT_TRUE(form.GetAxisLock() == AxisLock::HorizontalOnly && form.MousePosition() == relative(30, 40));
    MoveTo(POINT{p.x + 60, p.y + 90});
    EXPECT_EQ(form.MousePosition(), relative(60, 40));
    Shift(false);
    EXPECT_EQ(form.GetAxisLock(), AxisLock::None);
    MoveTo(POINT{p.x + 70, p.y + 100});
    EXPECT_EQ(form.MousePosition(), relative(70, 100));
    // Only y changes: x is held.
    Shift(true);
    MoveTo(POINT{p.x + 70, p.y + 120});
    EXPECT_EQ(form.GetAxisLock(), AxisLock::VerticalOnly);
    MoveTo(POINT{p.x + 5, p.y + 130});
    EXPECT_EQ(form.MousePosition(), relative(70, 130));
    Shift(false);

    // A press records the cursor and repaints the whole window; the base leaves ending it to the derived one.
    MoveTo(p);
    const int paints = form.paints;
    Send(INPUT_MOUSE, 0, MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(form.IsMouseDown() && form.MouseDownPosition() == relative(0, 0) && form.paints > paints);
    CRect client;
    form.GetClientRect(&client);
    EXPECT_EQ(form.painted, client);
    Send(INPUT_MOUSE, 0, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(form.IsMouseDown());

    // Arrow keys step the cursor one pixel, ten while Ctrl is held.
    form.SendMessage(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(form.MousePosition(), relative(1, 0));
    form.SendMessage(WM_KEYDOWN, VK_CONTROL);
    EXPECT_TRUE(form.IsCtrlHeld());
    form.SendMessage(WM_KEYDOWN, VK_DOWN);
    form.SendMessage(WM_KEYDOWN, VK_LEFT);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_TRUE(cursor.x == p.x - 9 && cursor.y == p.y + 10 && form.MousePosition() == relative(-9, 10));
    form.SendMessage(WM_KEYUP, VK_CONTROL);
    form.SendMessage(WM_KEYDOWN, VK_UP);
    EXPECT_TRUE(!form.IsCtrlHeld() && form.MousePosition() == relative(-9, 9));
}
