#include "selection/CatchPolygonScreenWnd.h"

#include <algorithm>

#include "selection/OutlineRaster.h"
#include "selection/OverlayHelpers.h"
#include "selection/OverlayPaint.h"
#include "windows/Rectangles.h"

namespace {

constexpr int kOutlineMargin = 3;  // the 2-pixel line of an open outline reaches past its points
constexpr int kBand = 16;          // rows per rectangle repainted along a changed outline

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

void CCatchPolygonScreenWnd::OutlineChanged() {
    RebuildShapePath();
    UpdateShapeBounds();
}

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
    OutlineChanged();
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
    OutlineChanged();
}

void CCatchPolygonScreenWnd::Animate() {
    if (!m_hWnd) return;
    const CPoint old = m_cursorPosition;
    const Gdiplus::Rect oldRect = m_captureRect;
    m_cursorPosition = MousePosition();
    if (old == m_cursorPosition && !m_zoomer.Moving()) return;
    // The edges that can change: from the last but one point on, and the closing one back to the first.
    // Old and new ones together enclose all that changes: p[n-2], the old last point, p[0], then the new
    // points back to p[n-2].
    const INT_PTR before = m_points.GetSize();
    std::vector<POINT> changed;
    if (before >= 2) changed = {m_points[before - 2], m_points[before - 1], m_points[0]};
    FollowCursor();
    if (m_points.IsEmpty()) {
        RepaintTick(old, nullptr, true);
        return;
    }
    // The cross-hair is shown only while there is no outline; the first point's press repainted it away.
    const bool crossHair = m_shapePath.GetPointCount() <= 0;
    if (before < 2 || !Rects::Same(oldRect, m_captureRect)) {
        const Gdiplus::Rect change = LabelledSelectionBox(old, oldRect);
        RepaintTick(old, &change, crossHair);
        return;
    }
    // Labels and read-out depend on the bounds alone: only the outline between the old and the new edges
    // is painted again, a sliver of what a long trail's bounds would be.
    for (INT_PTR i = m_points.GetUpperBound(); i >= before - 1; --i) changed.push_back(m_points[i]);
    for (const Gdiplus::Rect& r : OverlayLayout::BandCover(changed.data(), changed.size(), kBand, kOutlineMargin))
        InvalidateGdiRect(r);
    RepaintTick(old, nullptr, crossHair);
}

void CCatchPolygonScreenWnd::PaintShape(OverlayFrame& frame, Gdiplus::Graphics& graphics, float outlineWidth) {
    const OutlineRaster::Target pixels = frame.Pixels();
    if (!pixels.pixels) {
        CCatchScreenWnd::PaintShape(frame, graphics, outlineWidth);
        return;
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    ::GdiFlush();  // GDI may still be drawing into the pixels
    const RECT* clips = frame.Rects().data();
    const size_t clipCount = frame.Rects().size(), count = static_cast<size_t>(m_points.GetSize());
    const POINT* points = m_points.GetData();
    OutlineRaster::FillPolygon(pixels, clips, clipCount, points, count, kSelectionFill);
    OutlineRaster::StrokePolyline(pixels, clips, clipCount, points, count, count >= 3, static_cast<int>(outlineWidth),
                                  kSelectionOutline);
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

CCatchFreehandScreenWnd::CCatchFreehandScreenWnd(bool includeCursor)
    : CCatchPolygonScreenWnd(includeCursor), m_dragging(false) {}

void CCatchFreehandScreenWnd::OnLButtonDown(UINT flags, CPoint point) {
    if (m_points.IsEmpty()) Append(m_points, point);
    Append(m_points, point);
    OutlineChanged();
    AnimatingForm::OnLButtonDown(flags, point);
}

void CCatchFreehandScreenWnd::OnMouseMove(UINT flags, CPoint point) {
    m_dragging = (flags & MK_LBUTTON) != 0;
    if (m_dragging) m_pendingPoints.push_back(point);
    AnimatingForm::OnMouseMove(flags, point);
}

void CCatchFreehandScreenWnd::FollowCursor() {
    if (m_pendingPoints.empty()) {
        CCatchPolygonScreenWnd::FollowCursor();
        return;
    }
    for (const CPoint& p : m_pendingPoints) Append(m_points, p);
    m_pendingPoints.clear();
    // The trail ended and the cursor went on within the same tick: the last point follows it now, as it
    // would have on the next tick, which an unmoving cursor never brings.
    if (!m_dragging) {
        CCatchPolygonScreenWnd::FollowCursor();
        return;
    }
    OutlineChanged();
}
