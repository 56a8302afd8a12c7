#pragma once
// Base of every full-screen selection overlay: redraws on a fixed-rate timer, tracks the mouse relative
// to the union of all monitors, and lets Shift lock mouse movement to one axis. Its window is on the
// window ignore list from creation to destruction, so window enumeration never offers an overlay.
#include <QelFramework/Framework.h>

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "selection/Animators.h"
#include "selection/AxisLock.h"

// Animators are held by the window that made them and released with it.
using UniqueRectangleAnimator = std::unique_ptr<RectangleAnimator>;

class AnimatingForm : public CWnd {
    DECLARE_DYNAMIC(AnimatingForm)
public:
    static constexpr UINT_PTR AnimationTimerId = 10234;
    static constexpr UINT AnimationPeriod = 33;  // milliseconds, about 30 frames a second

    AnimatingForm() noexcept;
    ~AnimatingForm() override;

    // One animation tick; derived windows advance their animators and repaint here.
    virtual void Animate();

    bool IsMouseDown() const noexcept { return m_mouseDown; }
    // Relative to the screen-bounds origin, after the axis lock.
    CPoint MousePosition() const noexcept { return m_mousePosition; }
    CPoint MouseDownPosition() const noexcept { return m_mouseDownPosition; }
    AxisLock GetAxisLock() const noexcept { return m_axisLock; }
    bool IsCtrlHeld() const noexcept { return m_ctrlHeld; }

    // Creates the window as every overlay is made: topmost, covering bounds (screen coordinates), on a
    // class without cursor, brush or icon that takes double clicks. Made while the screen it will show is
    // still being read: layered without attributes and click-through, it shows nothing and takes no input
    // until CreateOverlay shows it, and its pixels are written once now, so that its first paint does not
    // wait for new memory. False when the window could not be created.
    bool PrepareOverlay(const Gdiplus::Rect& bounds);

protected:
    // Prepares the window unless that was done, paints it, shows it, then takes the foreground and the
    // focus. False when the window could not be created.
    bool CreateOverlay(const Gdiplus::Rect& bounds);
    // Invalidates r (client coordinates) without erasing.
    void InvalidateGdiRect(const Gdiplus::Rect& r);
    // Invalidates what the cross-hair and its coordinate label cover at the old and the new cursor
    // position, along each axis that changed.
    void InvalidateCrossHair(POINT old, POINT now);

    // The shared mouse-down step, also used by key handlers to simulate a press: records the cursor as
    // the mouse-down position, sets the mouse-down flag, tracks the mouse once and invalidates everything.
    void MouseDownStep();
    // The same with the press at pressed (screen coordinates) rather than at the cursor.
    void MouseDownStep(POINT pressed);
    // Reads the cursor, applies the axis lock and updates the previous cursor and the mouse position.
    void TrackMouse();

    // Keys every overlay shares. Shift starts a pending axis lock (when none is set), Ctrl marks Ctrl
    // held, the arrows move the system cursor by 1 pixel (10 while Ctrl is held) and send the window a
    // WM_MOUSEMOVE so the tracking runs at once. True when the key was one of these.
    bool HandleSharedKeyDown(UINT key);
    // Pixels an arrow key moves the cursor now.
    int ArrowStep() const noexcept { return m_ctrlHeld ? 10 : 1; }

    // Handlers of this class's map.
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnDestroy();
    // Erases nothing: every overlay's paint covers what it repaints.
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    // The key-up handler shared by derived overlays (map it with ON_WM_KEYUP): Shift releases the axis
    // lock, Ctrl clears Ctrl held; then default processing.
    afx_msg void OnKeyUp(UINT ch, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

    bool m_ctrlHeld;
    bool m_animationWanted;  // set by derived constructors: start the animation timer on creation
    CPoint m_mouseDownPosition;
    bool m_mouseDown;
    CPoint m_mousePosition;
    CPoint m_previousCursor;  // absolute screen coordinates, after the axis lock
    AxisLock m_axisLock;
};
