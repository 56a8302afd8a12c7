#include "selection/AnimatingForm.h"

#include <windowsx.h>

#include "Handles.h"
#include "module/ModuleState.h"
#include "selection/OverlayLayout.h"
#include "windows/Rectangles.h"
#include "windows/ScreenGeometry.h"

IMPLEMENT_DYNAMIC(AnimatingForm, CWnd)

BEGIN_MESSAGE_MAP(AnimatingForm, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

AnimatingForm::AnimatingForm() noexcept
    : m_ctrlHeld(false),
      m_animationWanted(false),
      m_mouseDownPosition(0, 0),
      m_mouseDown(false),
      m_mousePosition(0, 0),
      m_previousCursor(0, 0),
      m_axisLock(AxisLock::None) {}

AnimatingForm::~AnimatingForm() = default;

void AnimatingForm::Animate() {}

int AnimatingForm::OnCreate(LPCREATESTRUCTW cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    // The timer ends with the window; nothing kills it earlier.
    if (m_animationWanted) SetTimer(AnimationTimerId, AnimationPeriod);
    // Listed before the window shows, so that a window list read meanwhile never offers the overlay.
    qel::IgnoredWindows().Add(m_hWnd);
    // The cursor is tracked from the start, not only from the first move.
    TrackMouse();
    return 0;
}

void AnimatingForm::OnDestroy() {
    CWnd::OnDestroy();
    qel::IgnoredWindows().Remove(m_hWnd);
}

BOOL AnimatingForm::OnEraseBkgnd(CDC*) { return TRUE; }

bool AnimatingForm::PrepareOverlay(const Gdiplus::Rect& bounds) {
    if (m_hWnd) return true;
    const LPCWSTR windowClass = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, nullptr, nullptr, nullptr);
    if (!windowClass || !CreateEx(WS_EX_TOPMOST | WS_EX_COMPOSITED | WS_EX_LAYERED | WS_EX_TRANSPARENT, windowClass, L"",
                                  WS_POPUP, bounds.X, bounds.Y, bounds.Width, bounds.Height, nullptr, nullptr))
        return false;
    // Visible for the system, so that its pixels exist, without taking the activation from the user's window.
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (qel::WindowDc dc(m_hWnd); dc) ::PatBlt(dc.get(), 0, 0, bounds.Width, bounds.Height, BLACKNESS);
    ::GdiFlush();
    return true;
}

bool AnimatingForm::CreateOverlay(const Gdiplus::Rect& bounds) {
    if (!PrepareOverlay(bounds)) return false;
    // The frozen screen is in place before the window shows.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ModifyStyleEx(WS_EX_TRANSPARENT, 0);
    if (!::SetLayeredWindowAttributes(m_hWnd, 0, 255, LWA_ALPHA)) ModifyStyleEx(WS_EX_LAYERED, 0);
    SetForegroundWindow();
    BringWindowToTop();
    SetFocus();
    return true;
}

void AnimatingForm::InvalidateCrossHair(POINT old, POINT now) {
    RECT client{};
    GetClientRect(&client);
    Gdiplus::Rect strips[4];
    const int n = OverlayLayout::CrossHairStrips(old, now, client.right, client.bottom, strips);
    for (int i = 0; i < n; ++i) InvalidateGdiRect(strips[i]);
}

void AnimatingForm::InvalidateGdiRect(const Gdiplus::Rect& r) {
    const RECT rect = Rects::ToRECT(r);
    InvalidateRect(&rect, FALSE);
}

void AnimatingForm::OnTimer(UINT_PTR id) {
    Animate();
    CWnd::OnTimer(id);
}

// The message's own coordinates are not used: the cursor is read from the system, so positions on
// every monitor come out the same whatever window sent the move.
void AnimatingForm::OnMouseMove(UINT flags, CPoint point) {
    TrackMouse();
    CWnd::OnMouseMove(flags, point);
}

void AnimatingForm::OnLButtonDown(UINT flags, CPoint point) {
    CWnd::OnLButtonDown(flags, point);
    // Where the button went down: by the time the press is handled, a hand that moves on at once has
    // taken the cursor elsewhere, and the selection would start there.
    const DWORD message = ::GetMessagePos();
    POINT pressed{GET_X_LPARAM(message), GET_Y_LPARAM(message)};
    ::LogicalToPhysicalPoint(m_hWnd, &pressed);  // the cursor is read in physical coordinates
    MouseDownStep(pressed);
}

void AnimatingForm::OnKeyUp(UINT ch, UINT repeat, UINT flags) {
    if (ch == VK_SHIFT) m_axisLock = AxisLock::None;
    if (ch == VK_CONTROL) m_ctrlHeld = false;
    CWnd::OnKeyUp(ch, repeat, flags);
}

void AnimatingForm::TrackMouse() {
    const Gdiplus::Rect bounds = ScreenGeometry::VirtualScreenBounds();
    const POINT p = ApplyAxisLock(ScreenGeometry::CursorPosition(), m_previousCursor, m_axisLock);
    m_previousCursor = p;
    m_mousePosition = CPoint(p.x - bounds.X, p.y - bounds.Y);
}

void AnimatingForm::MouseDownStep() { MouseDownStep(ScreenGeometry::CursorPosition()); }

void AnimatingForm::MouseDownStep(POINT pressed) {
    const Gdiplus::Rect bounds = ScreenGeometry::VirtualScreenBounds();
    m_mouseDownPosition = CPoint(pressed.x - bounds.X, pressed.y - bounds.Y);
    m_mouseDown = true;
    TrackMouse();
    InvalidateRect(nullptr, TRUE);
}

bool AnimatingForm::HandleSharedKeyDown(UINT key) {
    int dx = 0, dy = 0;
    switch (key) {
        case VK_SHIFT:
            if (m_axisLock == AxisLock::None) m_axisLock = AxisLock::Pending;
            return true;
        case VK_CONTROL:
            m_ctrlHeld = true;
            return true;
        case VK_LEFT: dx = -ArrowStep(); break;
        case VK_RIGHT: dx = ArrowStep(); break;
        case VK_UP: dy = -ArrowStep(); break;
        case VK_DOWN: dy = ArrowStep(); break;
        default: return false;
    }
    POINT cursor{};
    if (::GetCursorPos(&cursor)) ::SetCursorPos(cursor.x + dx, cursor.y + dy);
    POINT client{};
    ::GetCursorPos(&client);
    ScreenToClient(&client);
    SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    return true;
}
