#pragma once
// The live selection overlay: a full-screen, topmost window over the frozen screen on which the user
// drags a region (region modes 1 and 11) or picks the window under the cursor (window modes 4 and 5).
// A capture session makes one, runs it modally on its own thread and reads the result back.
#include <QelFramework/Framework.h>

#include <objidl.h>
#include <gdiplus.h>

#include "Handles.h"
#include "capture/Capture.h"
#include "selection/AnimatingForm.h"
#include "selection/FrozenScreenBuffer.h"
#include "selection/OverlayLayout.h"
#include "selection/OverlayPaint.h"
#include "selection/OverlayZoomer.h"
#include "windows/WindowDetails.h"
#include "windows/WindowListHolder.h"

class CaptureForm : public AnimatingForm {
    DECLARE_DYNAMIC(CaptureForm)
public:
    // capture and windows are borrowed and must outlive the form. A form still waiting for the user
    // is displaced: its loop ends with 2 (its own session gives up and deletes it).
    CaptureForm(ICapture* capture, WindowListHolder* windows);
    // Destroys the window if it still exists and releases both animators.
    ~CaptureForm() override;

    // Creates the window over the capture's screen bounds and runs its modal loop until the user
    // confirms (Enter, mouse up) or cancels (Escape). 1 when the loop ran, 0 when the window could
    // not be created.
    int RunForm();

    // 1 rectangle, 2 ellipse, 3 rounded rectangle; any other value draws no shape.
    void SetSelectionShape(int shape) { m_selectionShape = shape; }
    int SelectionShape() const { return m_selectionShape; }
    // True once the selection was confirmed.
    bool IsAccepted() const { return m_accepted; }
    // The loop's own result: 1 confirmed, 2 cancelled or displaced, 0 before it ended.
    int ModalResult() const { return m_modalResult; }
    int Mode() const { return m_captureMode; }
    // The window under the cursor at the last tick; a record of the session's list, or null.
    WindowDetails* SelectedWindow() const { return m_selectedWindow; }
    // Relative to the screen-bounds origin.
    const Gdiplus::Rect& CaptureRectangle() const { return m_captureRect; }
    bool ShowsDetails() const { return m_showDetails; }
    bool IsTopmost() const { return m_topmost; }
    // The magnifier's animator, null while the magnifier was never on.
    const RectangleAnimator* ZoomAnimator() const { return m_zoomer.Animator(); }
    const RectangleAnimator* WindowAnimator() const { return m_windowAnimator.get(); }
    CPoint CursorPosition() const { return m_cursorPosition; }

    // The form that currently exists, or null.
    static CaptureForm* Current();

    void Animate() override;

protected:
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    void Finish();
    void End(int result, bool accepted);
    void SwitchMode();
    void ToggleTopmost();
    void SetZoomer(bool on);
    WindowDetails* HitTest(POINT screenPoint);
    Gdiplus::Rect ScreenBounds();

    // Painting (CaptureFormPaint.cpp).
    void PaintSelection(OverlayFrame& frame, Gdiplus::Graphics& graphics);
    // The capture rectangle c, cut to the screen, and the rectangle r the selection is drawn in.
    void DrawnSelection(Gdiplus::Rect& r, Gdiplus::Rect& c);
    // The selection's labels for r and c, measured on graphics unless the last ones still hold.
    const SelectionLabels& LaidOutLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c);
    // What a drag tick repaints: where the selection shown now and the one to be shown differ.
    void InvalidateSelectionChange();

    CPoint m_cursorPosition;
    int m_captureMode;
    int m_selectionShape;
    WindowListHolder* m_windows;
    WindowDetails* m_selectedWindow;
    Gdiplus::Rect m_captureRect;
    ICapture* m_capture;
    UniqueRectangleAnimator m_windowAnimator;
    OverlayZoomer m_zoomer;
    bool m_showDetails;
    bool m_accepted;
    bool m_topmost;
    int m_modalResult;
    FrozenScreenBuffer m_buffer;
    // The selection as the last paint drew it (drawn false when it drew none).
    OverlayLayout::SelectionExtent m_shownSelection;
    // The last labels laid out, for the drawn rectangle and the selection they were laid out for.
    SelectionLabels m_labels;
    Gdiplus::Rect m_labelsR, m_labelsC;
    bool m_labelsValid = false;
};
