// GDI objects. Each owns its handle; temporaries from FromHandle are owned by the thread state and
// detached before they are freed.
#include "State.h"

#include <cwchar>
#include <utility>

#include "Handles.h"

namespace afx_detail {

CGdiObject* TempGdiObject(HGDIOBJ handle, GdiKind kind) {
    if (!handle) return nullptr;
    ThreadState* state = CurrentThreadState();
    if (!state) return nullptr;
    try {
        std::unique_ptr<CGdiObject>& slot = state->tempGdi[{handle, kind}];
        if (!slot) {
            switch (kind) {
            case GdiKind::Pen: slot = std::make_unique<CPen>(); break;
            case GdiKind::Brush: slot = std::make_unique<CBrush>(); break;
            case GdiKind::Font: slot = std::make_unique<CFont>(); break;
            case GdiKind::Bitmap: slot = std::make_unique<CBitmap>(); break;
            case GdiKind::Region: slot = std::make_unique<CRgn>(); break;
            default: slot = std::make_unique<CGdiObject>(); break;
            }
            slot->m_hObject = handle;  // not Attach: a temporary never owns
        }
        return slot.get();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace afx_detail

using afx_detail::GdiKind;
using afx_detail::TempGdiObject;

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CGdiObject::~CGdiObject() { DeleteObject(); }
CGdiObject::CGdiObject(CGdiObject&& other) noexcept : CObject(), m_hObject(std::exchange(other.m_hObject, nullptr)) {}
CGdiObject& CGdiObject::operator=(CGdiObject&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
}

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ handle) { return TempGdiObject(handle, GdiKind::Object); }

BOOL CGdiObject::Attach(HGDIOBJ handle) noexcept {
    if (handle == m_hObject) return handle != nullptr;
    DeleteObject();
    m_hObject = handle;
    return handle != nullptr;
}

HGDIOBJ CGdiObject::Detach() noexcept { return std::exchange(m_hObject, nullptr); }

BOOL CGdiObject::DeleteObject() noexcept {
    HGDIOBJ handle = Detach();
    return handle ? ::DeleteObject(handle) : FALSE;
}

BOOL CGdiObject::CreateStockObject(int index) noexcept { return Attach(::GetStockObject(index)); }
int CGdiObject::GetObject(int size, LPVOID buffer) const noexcept {
    return m_hObject ? ::GetObjectW(m_hObject, size, buffer) : 0;
}
UINT CGdiObject::GetObjectType() const noexcept { return m_hObject ? ::GetObjectType(m_hObject) : 0; }
BOOL CGdiObject::UnrealizeObject() noexcept { return m_hObject ? ::UnrealizeObject(m_hObject) : FALSE; }

CPen::CPen(int style, int width, COLORREF color) noexcept { CreatePen(style, width, color); }
CPen::CPen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles) noexcept {
    CreatePen(style, width, brush, styleCount, styles);
}
CPen::~CPen() = default;
CPen* PASCAL CPen::FromHandle(HPEN handle) { return static_cast<CPen*>(TempGdiObject(handle, GdiKind::Pen)); }
BOOL CPen::CreatePen(int style, int width, COLORREF color) noexcept { return Attach(::CreatePen(style, width, color)); }
BOOL CPen::CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles) noexcept {
    return brush ? Attach(::ExtCreatePen(static_cast<DWORD>(style), static_cast<DWORD>(width), brush,
                                         static_cast<DWORD>(styleCount), styles))
                 : FALSE;
}
BOOL CPen::CreatePenIndirect(LPLOGPEN logPen) noexcept { return logPen ? Attach(::CreatePenIndirect(logPen)) : FALSE; }
int CPen::GetLogPen(LOGPEN* logPen) const noexcept { return GetObject(sizeof(LOGPEN), logPen); }

CBrush::CBrush(COLORREF color) noexcept { CreateSolidBrush(color); }
CBrush::CBrush(int hatchIndex, COLORREF color) noexcept { CreateHatchBrush(hatchIndex, color); }
CBrush::CBrush(CBitmap* pattern) noexcept { CreatePatternBrush(pattern); }
CBrush::~CBrush() = default;
CBrush* PASCAL CBrush::FromHandle(HBRUSH handle) { return static_cast<CBrush*>(TempGdiObject(handle, GdiKind::Brush)); }
BOOL CBrush::CreateSolidBrush(COLORREF color) noexcept { return Attach(::CreateSolidBrush(color)); }
BOOL CBrush::CreateHatchBrush(int index, COLORREF color) noexcept { return Attach(::CreateHatchBrush(index, color)); }
BOOL CBrush::CreatePatternBrush(CBitmap* pattern) noexcept {
    return pattern && pattern->m_hObject ? Attach(::CreatePatternBrush(static_cast<HBITMAP>(pattern->m_hObject)))
                                         : FALSE;
}
BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush) noexcept {
    return logBrush ? Attach(::CreateBrushIndirect(logBrush)) : FALSE;
}
BOOL CBrush::CreateSysColorBrush(int index) noexcept { return Attach(::GetSysColorBrush(index)); }
int CBrush::GetLogBrush(LOGBRUSH* logBrush) const noexcept { return GetObject(sizeof(LOGBRUSH), logBrush); }

CFont::~CFont() = default;
CFont* PASCAL CFont::FromHandle(HFONT handle) { return static_cast<CFont*>(TempGdiObject(handle, GdiKind::Font)); }
BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont) noexcept {
    return logFont ? Attach(::CreateFontIndirectW(logFont)) : FALSE;
}
BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, LPCWSTR faceName) noexcept {
    return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}
BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc) noexcept {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = pointSize;
    if (faceName) wcsncpy_s(lf.lfFaceName, LF_FACESIZE, faceName, _TRUNCATE);
    return CreatePointFontIndirect(&lf, dc);
}
namespace {
// Tenths of a point become device pixels through the DC's vertical resolution, then logical units
// through its mapping; the negative height asks for the character height, not the cell height.
LONG PointHeight(HDC dc, LONG tenths) {
    POINT pt{0, ::MulDiv(::GetDeviceCaps(dc, LOGPIXELSY), tenths, 720)};
    ::DPtoLP(dc, &pt, 1);
    POINT origin{0, 0};
    ::DPtoLP(dc, &origin, 1);
    const LONG height = pt.y - origin.y;
    return height < 0 ? height : -height;
}
}  // namespace

BOOL CFont::CreatePointFontIndirect(const LOGFONTW* logFont, CDC* dc) noexcept {
    if (!logFont) return FALSE;
    LOGFONTW lf = *logFont;
    if (dc && dc->m_hAttribDC) {
        lf.lfHeight = PointHeight(dc->m_hAttribDC, lf.lfHeight);
    } else {
        qel::WindowDc screen(nullptr);
        if (!screen) return FALSE;
        lf.lfHeight = PointHeight(screen.get(), lf.lfHeight);
    }
    return CreateFontIndirect(&lf);
}
int CFont::GetLogFont(LOGFONTW* logFont) const noexcept { return GetObject(sizeof(LOGFONTW), logFont); }

CBitmap::~CBitmap() = default;
CBitmap* PASCAL CBitmap::FromHandle(HBITMAP handle) {
    return static_cast<CBitmap*>(TempGdiObject(handle, GdiKind::Bitmap));
}
BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) noexcept {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}
BOOL CBitmap::CreateBitmapIndirect(LPBITMAP bitmap) noexcept {
    return bitmap ? Attach(::CreateBitmapIndirect(bitmap)) : FALSE;
}
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) noexcept {
    return dc && dc->m_hDC ? Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height)) : FALSE;
}
BOOL CBitmap::LoadBitmap(UINT id) noexcept { return LoadBitmap(MAKEINTRESOURCEW(id)); }
BOOL CBitmap::LoadBitmap(LPCWSTR name) noexcept {
    return Attach(::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name));
}
int CBitmap::GetBitmap(BITMAP* info) const noexcept { return GetObject(sizeof(BITMAP), info); }

CRgn::~CRgn() = default;
CRgn* PASCAL CRgn::FromHandle(HRGN handle) { return static_cast<CRgn*>(TempGdiObject(handle, GdiKind::Region)); }
BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) noexcept { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) noexcept { return rect ? Attach(::CreateRectRgnIndirect(rect)) : FALSE; }
BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2) noexcept {
    return Attach(::CreateEllipticRgn(x1, y1, x2, y2));
}
BOOL CRgn::CreateEllipticRgnIndirect(LPCRECT rect) noexcept {
    return rect ? Attach(::CreateEllipticRgnIndirect(rect)) : FALSE;
}
BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode) noexcept {
    return points && count > 0 ? Attach(::CreatePolygonRgn(points, count, fillMode)) : FALSE;
}
BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) noexcept {
    return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}
int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) noexcept {
    if (!a || !a->m_hObject || (mode != RGN_COPY && (!b || !b->m_hObject))) return ERROR;
    if (!m_hObject && !CreateRectRgn(0, 0, 0, 0)) return ERROR;
    return ::CombineRgn(*this, *a, mode == RGN_COPY ? nullptr : static_cast<HRGN>(b->m_hObject), mode);
}
int CRgn::CopyRgn(const CRgn* source) noexcept { return CombineRgn(source, nullptr, RGN_COPY); }
BOOL CRgn::EqualRgn(const CRgn* other) const noexcept {
    return m_hObject && other && other->m_hObject ? ::EqualRgn(*this, *other) : FALSE;
}
int CRgn::OffsetRgn(int dx, int dy) noexcept { return m_hObject ? ::OffsetRgn(*this, dx, dy) : ERROR; }
int CRgn::GetRgnBox(LPRECT rect) const noexcept { return m_hObject && rect ? ::GetRgnBox(*this, rect) : ERROR; }
BOOL CRgn::PtInRegion(int x, int y) const noexcept { return m_hObject ? ::PtInRegion(*this, x, y) : FALSE; }
BOOL CRgn::RectInRegion(LPCRECT rect) const noexcept {
    return m_hObject && rect ? ::RectInRegion(*this, rect) : FALSE;
}
void CRgn::SetRectRgn(int x1, int y1, int x2, int y2) noexcept {
    if (m_hObject) ::SetRectRgn(*this, x1, y1, x2, y2);
    else CreateRectRgn(x1, y1, x2, y2);
}
