#pragma once
// Base of the shape windows: a full-screen overlay over a still image of every monitor, taken when the
// object is made, on which a derived window builds a shape (a fixed-size rectangle, a polygon, a
// free-hand outline). The result is the frozen pixels inside the shape, cut to its bounding box.
#include <QelFramework/Framework.h>

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "capture/Capture.h"
#include "module/Worker.h"
#include "selection/AnimatingForm.h"
#include "selection/FrozenScreenBuffer.h"
#include "selection/OverlayLayout.h"
#include "selection/OverlayZoomer.h"

class CCatchScreenWnd : public AnimatingForm {
    DECLARE_DYNAMIC(CCatchScreenWnd)
public:
    // Freezes the screen now; the cursor is drawn into it when includeCursor and the pointer setting are
    // both on. The screenshot is read on a worker thread: whatever needs it first waits for it.
    explicit CCatchScreenWnd(bool includeCursor);
    ~CCatchScreenWnd() override;

    // Creates the window over the frozen screen and runs its modal loop once: 1 when the shape was
    // confirmed, 2 when cancelled, 0 when the window could not be created.
    int RunForm();
    // The frozen pixels inside the shape as a 32-bit packed DIB the caller owns, cut to the shape's
    // bounds; transparent outside the shape and where it reaches past the screenshot. Null for an empty
    // shape.
    BITMAPINFOHEADER* GetResult();

    // Relative to the screen-bounds origin.
    const Gdiplus::Rect& CaptureRectangle() const { return m_captureRect; }
    CPoint CursorPosition() const { return m_cursorPosition; }
    ICapture* GetCapture() { return Frozen(); }
    Gdiplus::GraphicsPath& ShapePath() { return m_shapePath; }
    // The magnifier's animator, null while the magnifier was never on.
    const RectangleAnimator* ZoomAnimator() const { return m_zoomer.Animator(); }

protected:
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

    // The keys every shape window shares: Escape cancels, M shows or hides the cursor, Z the magnifier,
    // Shift, Ctrl and the arrows as on every overlay. True when the key was one of these.
    bool HandleBaseKey(UINT key);
    Gdiplus::Rect ScreenBounds() const { return m_screenBounds; }
    // The capture once its screenshot is read; the first call waits for it.
    ICapture* Frozen();

    // One paint: the frozen screen, then the cross-hair with the cursor's coordinates when crossHair,
    // then (with texts) the shape path filled and outlined outlineWidth pixels wide with its labels and
    // read-out, then the magnifier.
    void PaintOverlay(bool crossHair, const OverlayLayout::SizeTexts* texts, float outlineWidth);
    // Fills and outlines the shape; by default the shape path through the graphics.
    virtual void PaintShape(OverlayFrame& frame, Gdiplus::Graphics& graphics, float outlineWidth);

    // The old and the new selection with room for their labels, after the cursor moved from old and the
    // selection from oldRect.
    Gdiplus::Rect LabelledSelectionBox(CPoint old, const Gdiplus::Rect& oldRect);
    // The repaint of a tick in which the cursor moved from old: what changed of the selection (when
    // given), the cross-hair strips (when it is shown), the magnifier. The window is then painted at once.
    void RepaintTick(CPoint old, const Gdiplus::Rect* selectionChange, bool crossHair);

    // Declared before the worker that fills it, so that the worker is joined first.
    std::unique_ptr<ICapture> m_capture;
    Gdiplus::Rect m_screenBounds;
    qel::Worker m_screenshot;
    bool m_screenshotPending = false;
    OverlayZoomer m_zoomer;
    CPoint m_cursorPosition;
    Gdiplus::Rect m_captureRect;
    Gdiplus::GraphicsPath m_shapePath;
    FrozenScreenBuffer m_buffer;
};
