#pragma once
// Outlines drawn over the frozen screen: a polygon whose corners are clicked, its last edge following
// the cursor, and a free-hand outline laid down by dragging. A double click or Enter closes the outline;
// a right click clears it.
#include <vector>

#include "selection/CatchScreenWnd.h"

class CCatchPolygonScreenWnd : public CCatchScreenWnd {
    DECLARE_DYNAMIC(CCatchPolygonScreenWnd)
public:
    explicit CCatchPolygonScreenWnd(bool includeCursor);

    // The outline's corners in client coordinates (relative to the screen-bounds origin), in order.
    const CArray<CPoint, CPoint>& Points() const { return m_points; }
    bool IsClosed() const { return m_closed != 0; }

    void Animate() override;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

    // The shape path from the points: a line through them, closed back to the first from 3 points on.
    void RebuildShapePath();
    // The capture rectangle becomes the points' bounding box.
    void UpdateShapeBounds();
    // Both, after the points changed.
    void OutlineChanged();
    // Ends the loop with 1 when the outline has at least 3 points, else 2.
    void Close();
    // Work of a tick after the cursor moved: the free-hand window takes its trail here.
    virtual void FollowCursor();
    // Straight into the frame's pixels, only where it is repainted: a long outline would cost more than
    // a frame through the path.
    void PaintShape(OverlayFrame& frame, Gdiplus::Graphics& graphics, float outlineWidth) override;

    CArray<CPoint, CPoint> m_points;
    int m_closed;
};

class CCatchFreehandScreenWnd : public CCatchPolygonScreenWnd {
    DECLARE_DYNAMIC(CCatchFreehandScreenWnd)
public:
    explicit CCatchFreehandScreenWnd(bool includeCursor);

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

    void FollowCursor() override;

    // Mouse positions reported while the left button is down, taken into the points by the next tick.
    std::vector<CPoint> m_pendingPoints;
    bool m_dragging;  // the last mouse move had the left button down
};
