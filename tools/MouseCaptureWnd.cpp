#include "QelPictavo/MouseCaptureWnd.h"

#include <climits>
#include <new>
#include <vector>

#include "Handles.h"
#include "tools/AreaMarks.h"
#include "tools/ToolGeometry.h"

// The window shows a copy of the screen taken just before it appears: a window that paints nothing
// shows black under a compositor, hiding what the user is choosing. The marks are XOR-drawn into the
// window's own DC, over that copy, so that the window's repaints and the marks never disagree.
struct CMouseCaptureWnd::Marks {
    qel::UniqueHbitmap frozen;  // the virtual screen before the window appeared
    CPoint frozenOrigin;
    std::vector<qel::AreaMark> shown;  // in drawing order; removed in reverse order
};

namespace {

// A fixed area the selector can move: normalised, it has width and height that fit an int counting both
// edges, and it touches the virtual screen (clamping cannot pull in an area wholly beside it).
bool IsShiftArea(const CRect& rect, const CRect& screen) {
    const RECT r = qel::NormalizeRect(rect);
    const long long width = static_cast<long long>(r.right) - r.left, height = static_cast<long long>(r.bottom) - r.top;
    if (width <= 0 || height <= 0 || width >= INT_MAX || height >= INT_MAX) return false;
    return r.right >= screen.left && r.left < screen.right && r.bottom >= screen.top && r.top < screen.bottom;
}

}  // namespace

IMPLEMENT_DYNAMIC(CMouseCaptureWnd, CWnd)

BEGIN_MESSAGE_MAP(CMouseCaptureWnd, CWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CMouseCaptureWnd::CMouseCaptureWnd(eRecordType type, const CRect& rect)
    : m_nReserved(0),
      m_rcShift(rect),
      m_rcAccepted(0, 0, 0, 0),
      m_rcCapture(0, 0, 0, 0),
      m_rcDrawn(0, 0, 0, 0),
      m_rcShiftOffset(0, 0, 0, 0),
      m_ptDragStart(0, 0),
      m_eRecordType(type),
      m_bDragging(FALSE),
      m_marks(new (std::nothrow) Marks) {}

CMouseCaptureWnd::~CMouseCaptureWnd() = default;

CRect CMouseCaptureWnd::VirtualScreen() const {
    const RECT r = qel::VirtualScreenRect(::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                                          ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return CRect(r);
}

bool CMouseCaptureWnd::CreateShiftWindow() {
    try {
        return CreateAndShow();
    } catch (...) {
        return false;
    }
}

bool CMouseCaptureWnd::CreateAndShow() {
    if (!m_marks) return false;
    const CRect screen = VirtualScreen();
    // Refused before the screen is frozen or a window made: nothing shows.
    if (m_eRecordType == eRecordFixedArea && !IsShiftArea(m_rcShift, screen)) return false;
    {
        qel::WindowDc screenDc(nullptr);
        qel::UniqueHdc mem(::CreateCompatibleDC(screenDc.get()));
        qel::UniqueHbitmap frozen(::CreateCompatibleBitmap(screenDc.get(), screen.Width(), screen.Height()));
        if (mem && frozen) {
            qel::SelectScope select(mem.get(), frozen.get());
            ::BitBlt(mem.get(), 0, 0, screen.Width(), screen.Height(), screenDc.get(), screen.left, screen.top, SRCCOPY);
        }
        m_marks->frozen = std::move(frozen);
        m_marks->frozenOrigin = screen.TopLeft();
    }
    const LPCTSTR cls = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, nullptr, nullptr, nullptr);
    if (!CreateEx(WS_EX_TOPMOST, cls, L"", WS_POPUP | WS_VISIBLE, screen.left, screen.top, screen.Width(),
                  screen.Height(), nullptr, nullptr)) {
        return false;
    }
    // Paint the frozen screen now, so that no later first paint covers a mark drawn below.
    UpdateWindow();
    SetForegroundWindow();
    BringWindowToTop();
    SetFocus();
    SetCapture();
    if (m_eRecordType == eRecordFixedArea) InitDrawShiftWindow(m_rcShift);
    return true;
}

int CMouseCaptureWnd::InitDrawShiftWindow(const CRect& rect) {
    if (!IsShiftArea(rect, VirtualScreen())) return 0;
    m_rcShift = CRect(qel::ClampShiftRect(rect, VirtualScreen()));
    m_rcCapture = m_rcShift;
    try {
        HideMarks();
        ShowMarks(m_rcCapture);
    } catch (...) {
        // Without memory for the marks the area is still chosen, only not shown.
    }
    m_rcDrawn = m_rcCapture;
    m_rcShiftOffset = CRect(qel::ShiftOffsets(m_rcShift));
    return 0;
}

CRect CMouseCaptureWnd::GetCaptureArea() { return m_rcCapture; }

void CMouseCaptureWnd::RunModelFrameWnd() {}

void CMouseCaptureWnd::ShowMarks(const CRect& area) {
    if (!m_marks || !m_hWnd || area.IsRectEmpty()) return;
    qel::WindowDc dc(m_hWnd);
    if (!dc) return;
    CPoint origin(0, 0);
    ClientToScreen(&origin);
    std::vector<RECT> monitors = qel::MonitorRects();
    if (monitors.empty()) monitors.push_back(VirtualScreen());
    std::vector<qel::AreaMark> marks = qel::LayOutAreaMarks(dc.get(), area, monitors, origin);
    // Room first: a mark drawn must never go unrecorded.
    m_marks->shown.reserve(m_marks->shown.size() + marks.size());
    for (qel::AreaMark& m : marks) {
        qel::XorAreaFrame(dc.get(), m.frame);
        qel::SaveUnderLabel(dc.get(), m);
        qel::DrawAreaLabel(dc.get(), m);
        m_marks->shown.push_back(std::move(m));
    }
}

void CMouseCaptureWnd::HideMarks() {
    if (!m_marks || m_marks->shown.empty()) return;
    if (m_hWnd) {
        qel::WindowDc dc(m_hWnd);
        if (dc) {
            // Reverse order: a label may lie over another part's frame.
            for (auto it = m_marks->shown.rbegin(); it != m_marks->shown.rend(); ++it) {
                qel::RestoreUnderLabel(dc.get(), *it);
                qel::XorAreaFrame(dc.get(), it->frame);
            }
        }
    }
    m_marks->shown.clear();
}

void CMouseCaptureWnd::OnMouseMove(UINT flags, CPoint point) {
    CPoint p;
    ::GetCursorPos(&p);
    if (m_eRecordType == eRecordFixedArea) {
        m_rcCapture = CRect(qel::PlaceShiftRect(p, m_rcShiftOffset, m_rcShift.Width(), m_rcShift.Height(),
                                                VirtualScreen()));
        if (m_rcCapture != m_rcDrawn) {
            HideMarks();
            ShowMarks(m_rcCapture);
            m_rcDrawn = m_rcCapture;
        }
    } else if (m_eRecordType == eRecordNewArea && m_bDragging) {
        // Where the pointer was when it moved: on a busy thread the cursor has gone on by now.
        p = point;
        ClientToScreen(&p);
        HideMarks();
        m_rcCapture = CRect(qel::NormalizeRect(RECT{m_ptDragStart.x, m_ptDragStart.y, p.x, p.y}));
        ShowMarks(m_rcCapture);
        m_rcDrawn = m_rcCapture;
    }
    CWnd::OnMouseMove(flags, point);
}

void CMouseCaptureWnd::OnLButtonDown(UINT flags, CPoint point) {
    if (m_eRecordType == eRecordNewArea) {
        // Where the button went down, not where the cursor is when the press is handled.
        CPoint p = point;
        ClientToScreen(&p);
        m_ptDragStart = p;
        m_rcCapture = CRect(p, p);
        m_bDragging = TRUE;
    } else if (m_eRecordType == eRecordFixedArea) {
        HideMarks();
        m_rcDrawn = m_rcCapture;
        EndModalLoop(1);
    }
    CWnd::OnLButtonDown(flags, point);
}

void CMouseCaptureWnd::OnLButtonUp(UINT flags, CPoint point) {
    CWnd::OnLButtonUp(flags, point);
    if (m_eRecordType == eRecordFixedArea) {
        HideMarks();
        m_rcDrawn = m_rcCapture;
    } else if (m_eRecordType == eRecordNewArea) {
        m_rcCapture.NormalizeRect();
        m_bDragging = FALSE;
        m_rcDrawn = m_rcCapture;  // its frame stays until the window goes
    }
    if (!m_rcDrawn.IsRectEmpty()) {
        m_rcDrawn.NormalizeRect();
        m_rcAccepted = m_rcDrawn;
    }
    EndModalLoop(1);
}

void CMouseCaptureWnd::OnRButtonDown(UINT flags, CPoint point) {
    if (m_eRecordType == eRecordFixedArea) {
        HideMarks();
        EndModalLoop(2);
    }
    CWnd::OnRButtonDown(flags, point);
}

void CMouseCaptureWnd::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (key != VK_ESCAPE) {
        CWnd::OnKeyDown(key, repeat, flags);
        return;
    }
    if (m_eRecordType == eRecordFixedArea) {
        HideMarks();
    } else {
        if (m_eRecordType == eRecordNewArea) {
            m_rcCapture.NormalizeRect();
            m_rcDrawn = m_rcCapture;
            m_bDragging = FALSE;
        }
    }
    EndModalLoop(2);
}

HBRUSH CMouseCaptureWnd::OnCtlColor(CDC*, CWnd*, UINT) { return nullptr; }

BOOL CMouseCaptureWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CMouseCaptureWnd::OnPaint() {
    CPaintDC paint(this);
    const HDC dc = paint.GetSafeHdc();
    const RECT& area = paint.m_ps.rcPaint;
    if (!m_marks) return;
    if (m_marks->frozen) {
        CPoint origin(0, 0);
        ClientToScreen(&origin);
        qel::UniqueHdc mem(::CreateCompatibleDC(dc));
        if (mem) {
            qel::SelectScope select(mem.get(), m_marks->frozen.get());
            ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, mem.get(),
                     area.left + origin.x - m_marks->frozenOrigin.x, area.top + origin.y - m_marks->frozenOrigin.y,
                     SRCCOPY);
        }
    }
    // The repainted pixels are the frozen screen again: put the marks shown back over them. What each
    // label covers is unchanged, so it is not saved again.
    for (const qel::AreaMark& m : m_marks->shown) {
        qel::XorAreaFrame(dc, m.frame);
        if (m.under) qel::DrawAreaLabel(dc, m);
    }
}
