#include "selection/CatchPolygonScreenWnd.h"

#include <algorithm>

#include "selection/OverlayHelpers.h"

namespace {

// Appends with geometric growth: a long free-hand trail must not be copied again every few points.
void Append(CArray<CPoint, CPoint>& points, CPoint p) {
    const INT_PTR size = points.GetSize();
    if (size == points.GetCapacity()) points.SetSize(size, std::max<INT_PTR>(size, 4));
    points.Add(p);
}

}  // namespace

IMPLEMENT_DYNAMIC(CCatchPolygonScreenWnd, CCatchScreenWnd)

BEGIN_MESSAGE_MAP(CCatchPolygonScreenWnd, CCatchScreenWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CCatchPolygonScreenWnd::CCatchPolygonScreenWnd(bool includeCursor) : CCatchScreenWnd(includeCursor), m_closed(0) {}

void CCatchPolygonScreenWnd::RebuildShapePath() {
    m_shapePath.Reset();
    const INT_PTR count = m_points.GetSize();
    if (count < 2) return;
    std::vector<Gdiplus::Point> line;
    line.reserve(static_cast<size_t>(count) + 1);
    for (INT_PTR i = 0; i < count; ++i) line.emplace_back(m_points[i].x, m_points[i].y);
    if (count >= 3) line.push_back(line.front());
    m_shapePath.AddLines(line.data(), static_cast<INT>(line.size()));
}

void CCatchPolygonScreenWnd::UpdateShapeBounds() {
    m_captureRect = OverlayLayout::PointBounds(m_points.GetData(), static_cast<size_t>(m_points.GetSize()));
}

void CCatchPolygonScreenWnd::Close() {
    m_closed = 1;
    if (m_points.GetSize() < 3) {
        EndModalLoop(2);
        return;
    }
    // The result is cut along the points as they are now, not as the last tick saw them.
    RebuildShapePath();
    UpdateShapeBounds();
    EndModalLoop(1);
}

void CCatchPolygonScreenWnd::OnLButtonDown(UINT flags, CPoint point) {
    if (!m_closed) {
        // The first click lays two points: the second follows the cursor as the rubber band.
        if (m_points.IsEmpty()) Append(m_points, point);
        Append(m_points, point);
    }
    AnimatingForm::OnLButtonDown(flags, point);
}

void CCatchPolygonScreenWnd::OnLButtonDblClk(UINT flags, CPoint point) {
    Close();
    CWnd::OnLButtonDblClk(flags, point);
}

void CCatchPolygonScreenWnd::OnRButtonDown(UINT flags, CPoint point) {
    m_points.RemoveAll();
    m_shapePath.Reset();
    Invalidate(TRUE);
    CWnd::OnRButtonDown(flags, point);
}

void CCatchPolygonScreenWnd::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    if (ch != VK_RETURN) {
        CCatchScreenWnd::OnKeyDown(ch, repeat, flags);
        return;
    }
    // The first Enter presses where the cursor is; the next one closes the outline.
    if (!m_mouseDown)
        MouseDownStep();
    else
        Close();
}

void CCatchPolygonScreenWnd::FollowCursor() {
    if (m_points.GetSize() < 2) return;
    m_points[m_points.GetUpperBound()] = m_cursorPosition;
    RebuildShapePath();
    UpdateShapeBounds();
}

void CCatchPolygonScreenWnd::Animate() {
    if (!m_hWnd) return;
    const CPoint old = m_cursorPosition;
    const Gdiplus::Rect oldRect = m_captureRect;
    m_cursorPosition = MousePosition();
    if (old == m_cursorPosition && !m_zoomer.Moving()) return;
    FollowCursor();
    RepaintTick(old, oldRect, !m_points.IsEmpty());
}

void CCatchPolygonScreenWnd::OnPaint() {
    if (m_shapePath.GetPointCount() <= 0) {
        PaintOverlay(!IsRemoteSession(), nullptr, 1.0f);
        return;
    }
    // The far edge pixels belong to the outline.
    const OverlayLayout::SizeTexts texts = OverlayLayout::SelectionTexts(m_captureRect, 1, 1);
    // Below 3 points the path is one open line, drawn thicker.
    PaintOverlay(false, &texts, m_points.GetSize() < 3 ? 2.0f : 1.0f);
}

IMPLEMENT_DYNAMIC(CCatchFreehandScreenWnd, CCatchPolygonScreenWnd)

BEGIN_MESSAGE_MAP(CCatchFreehandScreenWnd, CCatchPolygonScreenWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

CCatchFreehandScreenWnd::CCatchFreehandScreenWnd(bool includeCursor) : CCatchPolygonScreenWnd(includeCursor) {}

void CCatchFreehandScreenWnd::OnLButtonDown(UINT flags, CPoint point) {
    if (m_points.IsEmpty()) Append(m_points, point);
    Append(m_points, point);
    RebuildShapePath();
    UpdateShapeBounds();
    AnimatingForm::OnLButtonDown(flags, point);
}

void CCatchFreehandScreenWnd::OnMouseMove(UINT flags, CPoint point) {
    if (flags & MK_LBUTTON) m_pendingPoints.push_back(point);
    AnimatingForm::OnMouseMove(flags, point);
}

void CCatchFreehandScreenWnd::FollowCursor() {
    if (m_pendingPoints.empty()) {
        CCatchPolygonScreenWnd::FollowCursor();
        return;
    }
    for (const CPoint& p : m_pendingPoints) Append(m_points, p);
    m_pendingPoints.clear();
    RebuildShapePath();
    UpdateShapeBounds();
}
