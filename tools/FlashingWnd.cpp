#include "QelPictavo/FlashingWnd.h"

#include <climits>

#include "Handles.h"
#include "tools/ToolGeometry.h"

namespace {

constexpr UINT_PTR kFlashTimerId = 1345;
constexpr UINT kFlashPeriodMs = 100;

RECT VirtualScreen() {
    return qel::VirtualScreenRect(::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                                  ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

// The region of a frame shape; null when it cannot be made.
qel::UniqueHrgn MakeFrameRegion(const qel::FrameShape& shape) {
    qel::UniqueHrgn region(::CreateRectRgnIndirect(&shape.outer));
    if (!region) return region;
    for (const RECT& hole : shape.holes) {
        qel::UniqueHrgn cut(::CreateRectRgnIndirect(&hole));
        if (!cut || ::CombineRgn(region.get(), region.get(), cut.get(), RGN_DIFF) == ERROR) return qel::UniqueHrgn();
    }
    return region;
}

// An area the frame can mark: not empty, not inverted, touching the virtual screen, and with its window
// and frame shape (the margin on each side, 16 pixels beyond its size) inside the int range.
bool IsFrameArea(const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top) return false;
    const long long margin = 16;
    if (r.left - margin < INT_MIN || r.top - margin < INT_MIN || r.right + margin > INT_MAX || r.bottom + margin > INT_MAX)
        return false;
    if (static_cast<long long>(r.right) - r.left + 2 * margin > INT_MAX ||
        static_cast<long long>(r.bottom) - r.top + 2 * margin > INT_MAX)
        return false;
    const RECT screen = VirtualScreen();
    return r.left < screen.right && r.right > screen.left && r.top < screen.bottom && r.bottom > screen.top;
}

}  // namespace

const UINT CFlashingWnd::WM_FLASH_WINDOW = WM_APP + 200;

BEGIN_MESSAGE_MAP(CFlashingWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(CFlashingWnd::WM_FLASH_WINDOW, &CFlashingWnd::OnFlashWindow)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CFlashingWnd::CFlashingWnd()
    : m_crFlash(RGB(255, 255, 180)),
      m_crSecond(RGB(0, 255, 80)),
      m_rcRegion(0, 0, 0, 0),
      m_hMoveCursor(::LoadCursorW(nullptr, IDC_SIZEALL)),
      m_bMovable(false),
      m_ptDragStart(0, 0),
      m_bDragging(false),
      m_bNewRegionUsed(false),
      m_bDrawn(false),
      m_nTimer(0),
      m_bThin(false) {}

CFlashingWnd::~CFlashingWnd() = default;

int CFlashingWnd::CreateFlashing(const wchar_t* title, RECT& rect, int thin) {
    if (m_hWnd || !IsFrameArea(rect)) return 0;
    CRect outer(rect);
    const int margin = qel::FlashFrameMargin(thin != 0);
    outer.InflateRect(margin, margin);
    const LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr);
    const BOOL created = CreateEx(WS_EX_TOPMOST, cls, title, WS_POPUP, outer, nullptr, 0);
    if (!created) return 0;
    SetUpRegion(CRect(rect), thin);
    return created;
}

void CFlashingWnd::SetUpRegion(const CRect& rect, int thin) {
    if (!IsFrameArea(rect)) return;  // the marked area stays as it was
    m_rcRegion = rect;
    InstallRegion(thin != 0);
}

bool CFlashingWnd::InstallRegion(bool thin) {
    if (!m_hWnd) return false;
    const int margin = qel::FlashFrameMargin(thin);
    CRect outer(m_rcRegion);
    outer.InflateRect(margin, margin);
    qel::UniqueHrgn region;
    try {
        region = MakeFrameRegion(qel::FlashFrameShape(m_rcRegion.Width(), m_rcRegion.Height(), thin));
    } catch (...) {
        return false;
    }
    if (!region) return false;
    ::SetWindowPos(m_hWnd, nullptr, outer.left, outer.top, outer.Width(), outer.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (!::SetWindowRgn(m_hWnd, region.get(), TRUE)) return false;
    region.release();  // the system owns an installed region
    m_bThin = thin;
    return true;
}

void CFlashingWnd::StartFlashing() {
    if (m_nTimer == 0 && m_hWnd) m_nTimer = ::SetTimer(m_hWnd, kFlashTimerId, kFlashPeriodMs, nullptr);
}

void CFlashingWnd::StopFlashing() {
    if (m_nTimer != 0 && m_hWnd) ::KillTimer(m_hWnd, m_nTimer);
    m_nTimer = 0;
    if (m_bDrawn) FlashStep(false);
}

void CFlashingWnd::DrawFlashingRect(bool full, bool other) {
    PaintBorder(full, other);
    m_bDrawn = !m_bDrawn;
}

void CFlashingWnd::FlashStep(bool full) { DrawFlashingRect(full, false); }

void CFlashingWnd::OnTimer(UINT_PTR id) {
    FlashStep(false);
    CWnd::OnTimer(id);
}

LRESULT CFlashingWnd::OnFlashWindow(WPARAM wParam, LPARAM) {
    FlashStep(wParam != 0);
    return 1;
}

void CFlashingWnd::PaintBorder(bool full, bool) {
    if (m_rcRegion.right <= m_rcRegion.left || m_rcRegion.bottom <= m_rcRegion.top || !m_hWnd) return;
    qel::WindowDc dc = qel::WindowDc::Whole(m_hWnd);
    if (!dc) return;
    qel::UniqueHbrush brush(::CreateSolidBrush(m_crFlash));
    qel::UniqueHpen pen(::CreatePen(PS_SOLID, 1, m_crFlash));
    if (!brush || !pen) return;
    const int oldRop = ::SetROP2(dc.get(), R2_XORPEN);
    {
        qel::SelectScope selectBrush(dc.get(), brush.get());
        qel::SelectScope selectPen(dc.get(), pen.get());
        // The window region clips either paint to the frame or the brackets.
        if (full) {
            ::PatBlt(dc.get(), 0, 0, ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN),
                     PATINVERT);
        } else {
            ::Rectangle(dc.get(), 0, 0, m_rcRegion.Width() + 16, m_rcRegion.Height() + 16);
        }
    }
    ::SetROP2(dc.get(), oldRop);
}

CRect CFlashingWnd::Rect() const { return m_rcRegion; }

bool CFlashingWnd::NewRegionUsed() const { return m_bNewRegionUsed; }

bool CFlashingWnd::NewRegionUsed(bool value) {
    m_bNewRegionUsed = value;
    return value;
}

void CFlashingWnd::SetMovable(bool movable) { m_bMovable = movable; }

bool CFlashingWnd::Movable() const { return m_bMovable; }

BOOL CFlashingWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CFlashingWnd::OnLButtonDown(UINT flags, CPoint point) {
    if (m_bMovable && !m_bDragging) {
        ::GetCursorPos(&m_ptDragStart);
        m_bDragging = true;
        SetCapture();
    }
    CWnd::OnLButtonDown(flags, point);
}

void CFlashingWnd::OnMouseMove(UINT flags, CPoint point) {
    if (m_bDragging && m_hMoveCursor) ::SetCursor(m_hMoveCursor);
    CWnd::OnMouseMove(flags, point);
}

void CFlashingWnd::OnLButtonUp(UINT flags, CPoint point) {
    if (m_bDragging) {
        CPoint p;
        ::GetCursorPos(&p);
        ::ReleaseCapture();
        m_bDragging = false;
        MoveRegion(p.x - m_ptDragStart.x, p.y - m_ptDragStart.y);
    }
    CWnd::OnLButtonUp(flags, point);
}

void CFlashingWnd::CheckRect(int dx, int dy) { m_rcRegion = CRect(qel::MoveInsideScreen(m_rcRegion, dx, dy, VirtualScreen())); }

void CFlashingWnd::MoveRegion(int dx, int dy) {
    // A flash showing is taken off and put back around the new place, so the drawn flag stays true.
    const bool wasDrawn = m_bDrawn;
    if (wasDrawn) FlashStep(false);
    CheckRect(dx, dy);
    if (InstallRegion(false)) UpdateRegionMove();
    if (wasDrawn) FlashStep(false);
}

void CFlashingWnd::UpdateRegionMove() { m_bNewRegionUsed = true; }
