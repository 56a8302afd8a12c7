// The animating overlay base under real input: mouse tracking relative to the screen-bounds origin of each
// display layout, and the Shift axis lock. Presses, drags and arrow keys are driven through the capture
// form's own tests.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include "TestSupport.h"
#include "selection/AnimatingForm.h"
#include "windows/ScreenGeometry.h"

namespace {

class TestForm : public AnimatingForm {
public:
    BOOL Create(const Gdiplus::Rect& r) {
        return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(CS_DBLCLKS), L"", WS_POPUP | WS_VISIBLE,
                        r.X, r.Y, r.Width, r.Height, nullptr, nullptr);
    }
    void Animate() override {}

protected:
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        HandleSharedKeyDown(ch);
        CWnd::OnKeyDown(ch, repeat, flags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestForm, AnimatingForm)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
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

// A full-screen form in front, with the keyboard focus, and the cursor on the leftmost monitor so that the
// left layout's negative coordinates are part of the test.
TEST(AnimatingForm, TracksTheMouseRelativeToTheScreenBoundsAndShiftLocksTheFirstMovedAxis) {
    const Gdiplus::Rect bounds = ScreenGeometry::VirtualScreenBounds();
    TestForm form;
    ASSERT_TRUE(form.Create(bounds));
    form.SetForegroundWindow();
    form.SetFocus();
    qeltest::PumpFor(200);
    const POINT p{bounds.X + 300, bounds.Y + 400};
    const auto relative = [&](LONG x, LONG y) { return CPoint(p.x + x - bounds.X, p.y + y - bounds.Y); };
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
}
