// Device contexts. A DC remembers what it held before its first selection of each kind and puts
// that back before it is deleted or released, so the objects selected into it can be deleted.
#include "State.h"

#include <utility>

using afx_detail::GdiKind;

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::CDC() noexcept
    : m_hDC(nullptr), m_hAttribDC(nullptr), m_hOriginalPen(nullptr), m_hOriginalBrush(nullptr),
      m_hOriginalFont(nullptr), m_hOriginalBitmap(nullptr) {}

CDC::~CDC() { DeleteDC(); }

CDC* PASCAL CDC::FromHandle(HDC dc) {
    if (!dc) return nullptr;
    afx_detail::ThreadState* state = afx_detail::CurrentThreadState();
    if (!state) return nullptr;
    try {
        std::unique_ptr<CDC>& slot = state->tempDCs[dc];
        if (!slot) {
            slot = std::make_unique<CDC>();
            slot->m_hDC = slot->m_hAttribDC = dc;  // not Attach: a temporary never owns
        }
        return slot.get();
    } catch (...) {
        return nullptr;
    }
}

CWnd* CDC::GetWindow() const { return m_hDC ? CWnd::FromHandle(::WindowFromDC(m_hDC)) : nullptr; }

BOOL CDC::Attach(HDC dc) noexcept {
    if (dc == m_hDC) return dc != nullptr;
    DeleteDC();
    m_hDC = m_hAttribDC = dc;
    return dc != nullptr;
}

HDC CDC::Detach() noexcept {
    m_hAttribDC = nullptr;
    m_hOriginalPen = m_hOriginalBrush = m_hOriginalFont = m_hOriginalBitmap = nullptr;
    return std::exchange(m_hDC, nullptr);
}

BOOL CDC::CreateCompatibleDC(CDC* dc) noexcept {
    HDC created = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    return created ? Attach(created) : FALSE;
}

BOOL CDC::CreateDC(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const void* initData) noexcept {
    HDC created = ::CreateDCW(driver, device, output, static_cast<const DEVMODEW*>(initData));
    return created ? Attach(created) : FALSE;
}

BOOL CDC::DeleteDC() noexcept {
    if (!m_hDC) return FALSE;
    RestoreOriginalObjects();
    return ::DeleteDC(Detach());
}

int CDC::SaveDC() noexcept { return ::SaveDC(m_hDC); }
BOOL CDC::RestoreDC(int saved) noexcept { return ::RestoreDC(m_hDC, saved); }

void CDC::RestoreOriginalObjects() noexcept {
    if (!m_hDC) return;
    for (HGDIOBJ* original : {&m_hOriginalPen, &m_hOriginalBrush, &m_hOriginalFont, &m_hOriginalBitmap}) {
        if (*original) ::SelectObject(m_hDC, std::exchange(*original, nullptr));
    }
}

void CDC::NoteDisplaced(HGDIOBJ selected, HGDIOBJ previous) noexcept {
    if (!previous || previous == HGDI_ERROR || previous == selected) return;
    HGDIOBJ* slot = nullptr;
    switch (::GetObjectType(previous)) {
    case OBJ_PEN:
    case OBJ_EXTPEN: slot = &m_hOriginalPen; break;
    case OBJ_BRUSH: slot = &m_hOriginalBrush; break;
    case OBJ_FONT: slot = &m_hOriginalFont; break;
    case OBJ_BITMAP: slot = &m_hOriginalBitmap; break;
    default: return;
    }
    if (!*slot) *slot = previous;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) noexcept {
    if (!m_hDC || !object) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, object);
    if (previous == HGDI_ERROR) return nullptr;
    NoteDisplaced(object, previous);
    return previous;
}

CGdiObject* CDC::SelectStockObject(int index) { return CGdiObject::FromHandle(SelectObject(::GetStockObject(index))); }
CPen* CDC::SelectObject(CPen* pen) {
    return CPen::FromHandle(static_cast<HPEN>(SelectObject(pen ? pen->m_hObject : nullptr)));
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(brush ? brush->m_hObject : nullptr)));
}
CFont* CDC::SelectObject(CFont* font) {
    return CFont::FromHandle(static_cast<HFONT>(SelectObject(font ? font->m_hObject : nullptr)));
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return CBitmap::FromHandle(static_cast<HBITMAP>(SelectObject(bitmap ? bitmap->m_hObject : nullptr)));
}
CGdiObject* CDC::SelectObject(CGdiObject* object) {
    return CGdiObject::FromHandle(SelectObject(object ? object->m_hObject : nullptr));
}
// A region is copied into the DC as its clipping region; the result is the region's type.
int CDC::SelectObject(CRgn* region) noexcept {
    return m_hDC && region && region->m_hObject ? ::SelectClipRgn(m_hDC, *region) : ERROR;
}

COLORREF CDC::GetBkColor() const noexcept { return ::GetBkColor(m_hAttribDC); }
COLORREF CDC::SetBkColor(COLORREF color) noexcept { return ::SetBkColor(m_hDC, color); }
COLORREF CDC::GetTextColor() const noexcept { return ::GetTextColor(m_hAttribDC); }
COLORREF CDC::SetTextColor(COLORREF color) noexcept { return ::SetTextColor(m_hDC, color); }
int CDC::GetBkMode() const noexcept { return ::GetBkMode(m_hAttribDC); }
int CDC::SetBkMode(int mode) noexcept { return ::SetBkMode(m_hDC, mode); }
int CDC::GetROP2() const noexcept { return ::GetROP2(m_hAttribDC); }
int CDC::SetROP2(int mode) noexcept { return ::SetROP2(m_hDC, mode); }
int CDC::SetStretchBltMode(int mode) noexcept { return ::SetStretchBltMode(m_hDC, mode); }
int CDC::SetPolyFillMode(int mode) noexcept { return ::SetPolyFillMode(m_hDC, mode); }
UINT CDC::SetTextAlign(UINT flags) noexcept { return ::SetTextAlign(m_hDC, flags); }
int CDC::GetMapMode() const noexcept { return ::GetMapMode(m_hAttribDC); }
int CDC::SetMapMode(int mode) noexcept { return ::SetMapMode(m_hDC, mode); }
int CDC::GetDeviceCaps(int index) const noexcept { return ::GetDeviceCaps(m_hAttribDC, index); }

CPoint CDC::GetViewportOrg() const noexcept {
    POINT p{};
    ::GetViewportOrgEx(m_hAttribDC, &p);
    return p;
}
CPoint CDC::SetViewportOrg(int x, int y) noexcept {
    POINT p{};
    ::SetViewportOrgEx(m_hDC, x, y, &p);
    return p;
}
CPoint CDC::OffsetViewportOrg(int dx, int dy) noexcept {
    POINT p{};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &p);
    return p;
}
CPoint CDC::GetWindowOrg() const noexcept {
    POINT p{};
    ::GetWindowOrgEx(m_hAttribDC, &p);
    return p;
}
CPoint CDC::SetWindowOrg(int x, int y) noexcept {
    POINT p{};
    ::SetWindowOrgEx(m_hDC, x, y, &p);
    return p;
}
void CDC::DPtoLP(LPPOINT points, int count) const noexcept { ::DPtoLP(m_hAttribDC, points, count); }
void CDC::DPtoLP(LPRECT rect) const noexcept { ::DPtoLP(m_hAttribDC, reinterpret_cast<LPPOINT>(rect), 2); }
void CDC::LPtoDP(LPPOINT points, int count) const noexcept { ::LPtoDP(m_hAttribDC, points, count); }
void CDC::LPtoDP(LPRECT rect) const noexcept { ::LPtoDP(m_hAttribDC, reinterpret_cast<LPPOINT>(rect), 2); }

int CDC::GetClipBox(LPRECT rect) const noexcept { return ::GetClipBox(m_hDC, rect); }
int CDC::SelectClipRgn(CRgn* region) noexcept {
    return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(region->m_hObject) : nullptr);
}
int CDC::SelectClipRgn(CRgn* region, int mode) noexcept {
    return ::ExtSelectClipRgn(m_hDC, region ? static_cast<HRGN>(region->m_hObject) : nullptr, mode);
}
int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) noexcept { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::ExcludeClipRect(LPCRECT r) noexcept { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) noexcept {
    return ::IntersectClipRect(m_hDC, x1, y1, x2, y2);
}
int CDC::IntersectClipRect(LPCRECT r) noexcept { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
BOOL CDC::PtVisible(int x, int y) const noexcept { return ::PtVisible(m_hDC, x, y); }
BOOL CDC::RectVisible(LPCRECT rect) const noexcept { return ::RectVisible(m_hDC, rect); }

CPoint CDC::MoveTo(int x, int y) noexcept {
    POINT p{};
    ::MoveToEx(m_hDC, x, y, &p);
    return p;
}
BOOL CDC::LineTo(int x, int y) noexcept { return ::LineTo(m_hDC, x, y); }
BOOL CDC::Polyline(const POINT* points, int count) noexcept { return ::Polyline(m_hDC, points, count); }
BOOL CDC::Polygon(const POINT* points, int count) noexcept { return ::Polygon(m_hDC, points, count); }
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) noexcept { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Rectangle(LPCRECT r) noexcept { return Rectangle(r->left, r->top, r->right, r->bottom); }
BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) noexcept {
    return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}
BOOL CDC::RoundRect(LPCRECT r, POINT corner) noexcept {
    return RoundRect(r->left, r->top, r->right, r->bottom, corner.x, corner.y);
}
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) noexcept { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Ellipse(LPCRECT r) noexcept { return Ellipse(r->left, r->top, r->right, r->bottom); }
void CDC::FillRect(LPCRECT rect, CBrush* brush) noexcept {
    if (brush && brush->m_hObject) ::FillRect(m_hDC, rect, *brush);
}
void CDC::FrameRect(LPCRECT rect, CBrush* brush) noexcept {
    if (brush && brush->m_hObject) ::FrameRect(m_hDC, rect, *brush);
}
void CDC::InvertRect(LPCRECT rect) noexcept { ::InvertRect(m_hDC, rect); }
BOOL CDC::FillRgn(CRgn* region, CBrush* brush) noexcept {
    return region && brush ? ::FillRgn(m_hDC, *region, *brush) : FALSE;
}
BOOL CDC::FrameRgn(CRgn* region, CBrush* brush, int width, int height) noexcept {
    return region && brush ? ::FrameRgn(m_hDC, *region, *brush, width, height) : FALSE;
}
BOOL CDC::InvertRgn(CRgn* region) noexcept { return region ? ::InvertRgn(m_hDC, *region) : FALSE; }
BOOL CDC::PaintRgn(CRgn* region) noexcept { return region ? ::PaintRgn(m_hDC, *region) : FALSE; }

// An opaque text output with no text fills with the background colour; the DC's own background
// colour is put back afterwards.
void CDC::FillSolidRect(LPCRECT rect, COLORREF color) noexcept {
    const COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}
void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) noexcept {
    const RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, color);
}
void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) noexcept {
    Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}
// The bottom-right colour owns the top-right and bottom-left corner pixels.
void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) noexcept {
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}
void CDC::DrawFocusRect(LPCRECT rect) noexcept { ::DrawFocusRect(m_hDC, rect); }
BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags) noexcept { return ::DrawEdge(m_hDC, rect, edge, flags); }
BOOL CDC::DrawIcon(int x, int y, HICON icon) noexcept { return ::DrawIcon(m_hDC, x, y, icon); }

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) noexcept {
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}
BOOL CDC::PatBlt(LPCRECT r, DWORD rop) noexcept { return PatBlt(r->left, r->top, r->right - r->left, r->bottom - r->top, rop); }
BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) noexcept {
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}
BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, DWORD rop) noexcept {
    return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, srcWidth, srcHeight,
                        rop);
}
COLORREF CDC::GetPixel(int x, int y) const noexcept { return ::GetPixel(m_hDC, x, y); }
COLORREF CDC::SetPixel(int x, int y, COLORREF color) noexcept { return ::SetPixel(m_hDC, x, y, color); }
BOOL CDC::SetPixelV(int x, int y, COLORREF color) noexcept { return ::SetPixelV(m_hDC, x, y, color); }

BOOL CDC::TextOut(int x, int y, LPCWSTR text, int count) noexcept { return ::TextOutW(m_hDC, x, y, text, count); }
BOOL CDC::TextOut(int x, int y, const CString& text) noexcept { return TextOut(x, y, text, text.GetLength()); }
BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT count, LPINT dx) noexcept {
    return ::ExtTextOutW(m_hDC, x, y, options, rect, text, count, dx);
}
BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, LPINT dx) noexcept {
    return ExtTextOut(x, y, options, rect, text, static_cast<UINT>(text.GetLength()), dx);
}
int CDC::DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) noexcept {
    return ::DrawTextW(m_hDC, text, count, rect, format);
}
int CDC::DrawText(const CString& text, LPRECT rect, UINT format) noexcept {
    return DrawText(text, text.GetLength(), rect, format);
}
CSize CDC::GetTextExtent(LPCWSTR text, int count) const noexcept {
    SIZE s{};
    ::GetTextExtentPoint32W(m_hAttribDC, text, count, &s);
    return s;
}
CSize CDC::GetTextExtent(const CString& text) const noexcept { return GetTextExtent(text, text.GetLength()); }
BOOL CDC::GetTextMetrics(LPTEXTMETRICW metrics) const noexcept { return ::GetTextMetricsW(m_hAttribDC, metrics); }

CPaintDC::CPaintDC(CWnd* wnd) : m_ps{}, m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    if (m_hWnd) m_hDC = m_hAttribDC = ::BeginPaint(m_hWnd, &m_ps);
}
CPaintDC::~CPaintDC() {
    if (!m_hDC) return;
    RestoreOriginalObjects();
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = m_hAttribDC = ::GetDC(m_hWnd); }
CClientDC::~CClientDC() {
    if (!m_hDC) return;
    RestoreOriginalObjects();
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    m_hDC = m_hAttribDC = ::GetWindowDC(m_hWnd);
}
CWindowDC::~CWindowDC() {
    if (!m_hDC) return;
    RestoreOriginalObjects();
    ::ReleaseDC(m_hWnd, Detach());
}

namespace afx_detail {
BorrowedDC::BorrowedDC(HDC dc) noexcept { m_hDC = m_hAttribDC = dc; }
BorrowedDC::~BorrowedDC() {
    RestoreOriginalObjects();
    Detach();
}
}  // namespace afx_detail
