#pragma once
// The recording-area selector: a borderless topmost window over the whole virtual screen on which the
// user moves a rectangle of a given size or drags out a new one. The chosen area is marked by a hatched
// XOR frame and a label "Left : .. Top : .. Width : .. Height : ..", one frame part and one label per
// monitor the area touches.
//
// The class runs no modal loop itself: its creator runs the window's modal loop (RunModalLoop), which
// ends with 1 when the area is accepted and 2 when it is cancelled, then reads GetCaptureArea and
// destroys the window. All rectangles are screen pixels and count both edges (right and bottom are the
// last pixels of the area).
#include <QelFramework/Framework.h>

#include <memory>

#include "Export.h"

enum eRecordType {
    eRecordFixedArea = 0,  // the given rectangle follows the mouse; a left click accepts it
    eRecordNewArea = 1,    // the user drags out a new rectangle with the left button
};

class QELPICTAVO_API CMouseCaptureWnd : public CWnd {
    DECLARE_DYNAMIC(CMouseCaptureWnd)

public:
    CMouseCaptureWnd(eRecordType type, const CRect& rect);
    virtual ~CMouseCaptureWnd();

    // Freezes the screen under the window, creates and shows the window with the mouse captured, and in
    // eRecordFixedArea shows the rectangle at once. False when the window cannot be created.
    bool CreateShiftWindow();
    // Installs rect, normalised and brought inside the virtual screen, as the moving rectangle and draws it.
    int InitDrawShiftWindow(const CRect& rect);
    CRect GetCaptureArea();
    // Does nothing: the creator runs the modal loop.
    void RunModelFrameWnd();

protected:
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    struct Marks;  // the frozen screen and the frame parts and labels now shown

    bool CreateAndShow();
    void ShowMarks(const CRect& area);
    void HideMarks();
    CRect VirtualScreen() const;

    int m_nReserved;
    CRect m_rcShift;        // the given rectangle; its size is the moving rectangle's
    CRect m_rcAccepted;     // normalised copy of the drawn rectangle when the button is released
    CRect m_rcCapture;      // the current rectangle
    CRect m_rcDrawn;        // the rectangle whose frame is on the screen
    CRect m_rcShiftOffset;  // the shift rectangle's edges relative to its centre
    CPoint m_ptDragStart;
    eRecordType m_eRecordType;
    BOOL m_bDragging;
    std::unique_ptr<Marks> m_marks;  // null only when it could not be allocated
};
