#include "selection/CatchFixedRgnScreenWnd.h"

#include <algorithm>
#include <string>

#include "selection/OverlayHelpers.h"
#include "windows/Rectangles.h"

IMPLEMENT_DYNAMIC(CCatchFixedRgnScrrenWnd, CCatchScreenWnd)

BEGIN_MESSAGE_MAP(CCatchFixedRgnScrrenWnd, CCatchScreenWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_LBUTTONDOWN()
    ON_WM_PAINT()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CCatchFixedRgnScrrenWnd::CCatchFixedRgnScrrenWnd(bool includeCursor, int width, int height)
    : CCatchScreenWnd(includeCursor), m_width(width), m_height(height), m_anchor(TopLeft), m_anchorChanged(false) {}

CCatchFixedRgnScrrenWnd::~CCatchFixedRgnScrrenWnd() {
    if (m_hWnd) DestroyWindow();
}

int CCatchFixedRgnScrrenWnd::OnCreate(LPCREATESTRUCTW cs) {
    if (CCatchScreenWnd::OnCreate(cs) == -1) return -1;
    RECT client{};
    GetClientRect(&client);
    m_width = std::min<int>(m_width, client.right);
    m_height = std::min<int>(m_height, client.bottom);
    return 0;
}

void CCatchFixedRgnScrrenWnd::OnDestroy() {
    CCatchScreenWnd::OnDestroy();
    ::ClipCursor(nullptr);
}

void CCatchFixedRgnScrrenWnd::PlaceAt(POINT p) {
    m_captureRect = OverlayLayout::PlaceAtAnchor(p, m_anchor, m_width, m_height, m_captureRect);
    m_shapePath.Reset();
    m_shapePath.AddRectangle(m_captureRect);
}

void CCatchFixedRgnScrrenWnd::OnLButtonDown(UINT flags, CPoint point) {
    CWnd::OnLButtonDown(flags, point);
    PlaceAt(point);
    EndModalLoop(1);
}

void CCatchFixedRgnScrrenWnd::SetAnchor(int anchor) {
    if (anchor == m_anchor) return;
    m_anchor = anchor;
    m_anchorChanged = true;
}

void CCatchFixedRgnScrrenWnd::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    switch (ch) {
        case 'U': SetAnchor(TopLeft); return;
        case 'R': SetAnchor(TopRight); return;
        case 'B': SetAnchor(BottomRight); return;
        case 'L': SetAnchor(BottomLeft); return;
        case 'C': SetAnchor(Centre); return;
        case VK_RETURN:
            // The shape is what the last tick placed: nothing before the first tick.
            EndModalLoop(1);
            return;
        default:
            CCatchScreenWnd::OnKeyDown(ch, repeat, flags);
    }
}

void CCatchFixedRgnScrrenWnd::Animate() {
    if (!m_hWnd) return;
    const CPoint old = m_cursorPosition;
    const Gdiplus::Rect oldRect = m_captureRect;
    m_cursorPosition = MousePosition();
    PlaceAt(m_cursorPosition);
    // Nothing moved and nothing changes: an idle tick repaints nothing.
    const bool idle = old == m_cursorPosition && !m_anchorChanged && Rects::Same(oldRect, m_captureRect);
    if (idle && !m_zoomer.Moving()) return;
    m_anchorChanged = false;
    const Gdiplus::Rect change = LabelledSelectionBox(old, oldRect);
    RepaintTick(old, &change, true);
}

void CCatchFixedRgnScrrenWnd::OnPaint() {
    const bool placed = m_shapePath.GetPointCount() > 0;
    OverlayLayout::SizeTexts texts = OverlayLayout::SelectionTexts(Gdiplus::Rect(0, 0, m_width, m_height), 0, 0);
    PaintOverlay(!IsRemoteSession(), placed ? &texts : nullptr, 1.0f);
}
