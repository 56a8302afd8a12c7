#pragma once
// GDI objects and device contexts. Each object owns the handle it created or was given with Attach
// and deletes it when destroyed; Detach hands it back. FromHandle wrappers are temporary and never
// own: they belong to the calling thread and are freed at idle time (see CWinThread::OnIdle).
// GDI objects move (the moved-from object is empty) but do not copy.
#include <windows.h>

#include "Export.h"
#include "Object.h"
#include "String.h"
#include "Types.h"

class CBitmap;
class CDC;
class CWnd;

class QELFRAMEWORK_API CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
public:
    HGDIOBJ m_hObject;

    CGdiObject() noexcept : m_hObject(nullptr) {}
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept;
    CGdiObject& operator=(CGdiObject&& other) noexcept;

    operator HGDIOBJ() const noexcept { return m_hObject; }
    HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }
    static CGdiObject* PASCAL FromHandle(HGDIOBJ handle);

    // Takes ownership; an object already held is deleted first.
    BOOL Attach(HGDIOBJ handle) noexcept;
    HGDIOBJ Detach() noexcept;
    BOOL DeleteObject() noexcept;
    // Stock objects are never deleted.
    BOOL CreateStockObject(int index) noexcept;

    int GetObject(int size, LPVOID buffer) const noexcept;
    UINT GetObjectType() const noexcept;
    BOOL UnrealizeObject() noexcept;
    bool operator==(const CGdiObject& o) const noexcept { return m_hObject == o.m_hObject; }
    bool operator!=(const CGdiObject& o) const noexcept { return m_hObject != o.m_hObject; }
};

class QELFRAMEWORK_API CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() noexcept = default;
    CPen(int style, int width, COLORREF color) noexcept;
    CPen(int style, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr) noexcept;
    CPen(CPen&&) noexcept = default;
    CPen& operator=(CPen&&) noexcept = default;
    ~CPen() override;

    static CPen* PASCAL FromHandle(HPEN handle);
    operator HPEN() const noexcept { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int style, int width, COLORREF color) noexcept;
    BOOL CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr) noexcept;
    BOOL CreatePenIndirect(LPLOGPEN logPen) noexcept;
    int GetLogPen(LOGPEN* logPen) const noexcept;
};

class QELFRAMEWORK_API CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() noexcept = default;
    explicit CBrush(COLORREF color) noexcept;
    CBrush(int hatchIndex, COLORREF color) noexcept;
    explicit CBrush(CBitmap* pattern) noexcept;
    CBrush(CBrush&&) noexcept = default;
    CBrush& operator=(CBrush&&) noexcept = default;
    ~CBrush() override;

    static CBrush* PASCAL FromHandle(HBRUSH handle);
    operator HBRUSH() const noexcept { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF color) noexcept;
    BOOL CreateHatchBrush(int index, COLORREF color) noexcept;
    BOOL CreatePatternBrush(CBitmap* pattern) noexcept;
    BOOL CreateBrushIndirect(const LOGBRUSH* logBrush) noexcept;
    BOOL CreateSysColorBrush(int index) noexcept;
    int GetLogBrush(LOGBRUSH* logBrush) const noexcept;
};

class QELFRAMEWORK_API CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    CFont() noexcept = default;
    CFont(CFont&&) noexcept = default;
    CFont& operator=(CFont&&) noexcept = default;
    ~CFont() override;

    static CFont* PASCAL FromHandle(HFONT handle);
    operator HFONT() const noexcept { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTW* logFont) noexcept;
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName) noexcept;
    // A font of pointSize tenths of a point, measured for dc (the screen when null).
    BOOL CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc = nullptr) noexcept;
    // As above with lfHeight in tenths of a point.
    BOOL CreatePointFontIndirect(const LOGFONTW* logFont, CDC* dc = nullptr) noexcept;
    int GetLogFont(LOGFONTW* logFont) const noexcept;
};

class QELFRAMEWORK_API CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    CBitmap() noexcept = default;
    CBitmap(CBitmap&&) noexcept = default;
    CBitmap& operator=(CBitmap&&) noexcept = default;
    ~CBitmap() override;

    static CBitmap* PASCAL FromHandle(HBITMAP handle);
    operator HBITMAP() const noexcept { return static_cast<HBITMAP>(m_hObject); }
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) noexcept;
    BOOL CreateBitmapIndirect(LPBITMAP bitmap) noexcept;
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height) noexcept;
    // Loads from the module that holds the resource (see AfxFindResourceHandle).
    BOOL LoadBitmap(UINT id) noexcept;
    BOOL LoadBitmap(LPCWSTR name) noexcept;
    int GetBitmap(BITMAP* info) const noexcept;
};

class QELFRAMEWORK_API CRgn : public CGdiObject {
    DECLARE_DYNAMIC(CRgn)
public:
    CRgn() noexcept = default;
    CRgn(CRgn&&) noexcept = default;
    CRgn& operator=(CRgn&&) noexcept = default;
    ~CRgn() override;

    static CRgn* PASCAL FromHandle(HRGN handle);
    operator HRGN() const noexcept { return static_cast<HRGN>(m_hObject); }
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2) noexcept;
    BOOL CreateRectRgnIndirect(LPCRECT rect) noexcept;
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2) noexcept;
    BOOL CreateEllipticRgnIndirect(LPCRECT rect) noexcept;
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode) noexcept;
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) noexcept;
    // Combines into this region; when it holds none yet, an empty one is created first.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) noexcept;
    int CopyRgn(const CRgn* source) noexcept;
    BOOL EqualRgn(const CRgn* other) const noexcept;
    int OffsetRgn(int dx, int dy) noexcept;
    int OffsetRgn(POINT p) noexcept { return OffsetRgn(p.x, p.y); }
    int GetRgnBox(LPRECT rect) const noexcept;
    BOOL PtInRegion(int x, int y) const noexcept;
    BOOL PtInRegion(POINT p) const noexcept { return PtInRegion(p.x, p.y); }
    BOOL RectInRegion(LPCRECT rect) const noexcept;
    void SetRectRgn(int x1, int y1, int x2, int y2) noexcept;
    void SetRectRgn(LPCRECT rect) noexcept { SetRectRgn(rect->left, rect->top, rect->right, rect->bottom); }
};

// A device context. One made with CreateCompatibleDC/CreateDC or given with Attach is deleted
// with the object. Whatever the DC held before the first SelectObject of each kind (pen, brush,
// font, bitmap) is selected back before the DC is deleted or released, so objects selected into
// it can always be deleted afterwards.
class QELFRAMEWORK_API CDC : public CObject {
    DECLARE_DYNAMIC(CDC)
public:
    HDC m_hDC;
    HDC m_hAttribDC;

    CDC() noexcept;
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const noexcept { return m_hDC; }
    HDC GetSafeHdc() const noexcept { return m_hDC; }
    static CDC* PASCAL FromHandle(HDC dc);
    CWnd* GetWindow() const;

    BOOL Attach(HDC dc) noexcept;
    HDC Detach() noexcept;
    BOOL CreateCompatibleDC(CDC* dc) noexcept;
    BOOL CreateDC(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const void* initData) noexcept;
    BOOL DeleteDC() noexcept;
    int SaveDC() noexcept;
    BOOL RestoreDC(int saved) noexcept;
    // Puts back what the DC held before this object first selected into it.
    void RestoreOriginalObjects() noexcept;

    CGdiObject* SelectStockObject(int index);
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* region) noexcept;
    CGdiObject* SelectObject(CGdiObject* object);
    HGDIOBJ SelectObject(HGDIOBJ object) noexcept;

    COLORREF GetBkColor() const noexcept;
    COLORREF SetBkColor(COLORREF color) noexcept;
    COLORREF GetTextColor() const noexcept;
    COLORREF SetTextColor(COLORREF color) noexcept;
    int GetBkMode() const noexcept;
    int SetBkMode(int mode) noexcept;
    int GetROP2() const noexcept;
    int SetROP2(int mode) noexcept;
    int SetStretchBltMode(int mode) noexcept;
    int SetPolyFillMode(int mode) noexcept;
    UINT SetTextAlign(UINT flags) noexcept;
    int GetMapMode() const noexcept;
    int SetMapMode(int mode) noexcept;
    int GetDeviceCaps(int index) const noexcept;

    CPoint GetViewportOrg() const noexcept;
    CPoint SetViewportOrg(int x, int y) noexcept;
    CPoint SetViewportOrg(POINT p) noexcept { return SetViewportOrg(p.x, p.y); }
    CPoint OffsetViewportOrg(int dx, int dy) noexcept;
    CPoint GetWindowOrg() const noexcept;
    CPoint SetWindowOrg(int x, int y) noexcept;
    CPoint SetWindowOrg(POINT p) noexcept { return SetWindowOrg(p.x, p.y); }
    void DPtoLP(LPPOINT points, int count = 1) const noexcept;
    void DPtoLP(LPRECT rect) const noexcept;
    void LPtoDP(LPPOINT points, int count = 1) const noexcept;
    void LPtoDP(LPRECT rect) const noexcept;

    int GetClipBox(LPRECT rect) const noexcept;
    int SelectClipRgn(CRgn* region) noexcept;
    int SelectClipRgn(CRgn* region, int mode) noexcept;
    int ExcludeClipRect(int x1, int y1, int x2, int y2) noexcept;
    int ExcludeClipRect(LPCRECT rect) noexcept;
    int IntersectClipRect(int x1, int y1, int x2, int y2) noexcept;
    int IntersectClipRect(LPCRECT rect) noexcept;
    BOOL PtVisible(int x, int y) const noexcept;
    BOOL RectVisible(LPCRECT rect) const noexcept;

    CPoint MoveTo(int x, int y) noexcept;
    CPoint MoveTo(POINT p) noexcept { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) noexcept;
    BOOL LineTo(POINT p) noexcept { return LineTo(p.x, p.y); }
    BOOL Polyline(const POINT* points, int count) noexcept;
    BOOL Polygon(const POINT* points, int count) noexcept;
    BOOL Rectangle(int x1, int y1, int x2, int y2) noexcept;
    BOOL Rectangle(LPCRECT rect) noexcept;
    BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) noexcept;
    BOOL RoundRect(LPCRECT rect, POINT corner) noexcept;
    BOOL Ellipse(int x1, int y1, int x2, int y2) noexcept;
    BOOL Ellipse(LPCRECT rect) noexcept;
    void FillRect(LPCRECT rect, CBrush* brush) noexcept;
    void FrameRect(LPCRECT rect, CBrush* brush) noexcept;
    void InvertRect(LPCRECT rect) noexcept;
    BOOL FillRgn(CRgn* region, CBrush* brush) noexcept;
    BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height) noexcept;
    BOOL InvertRgn(CRgn* region) noexcept;
    BOOL PaintRgn(CRgn* region) noexcept;
    void FillSolidRect(LPCRECT rect, COLORREF color) noexcept;
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color) noexcept;
    // Top and left edges in the first colour, bottom and right edges in the second, one pixel wide.
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight) noexcept;
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) noexcept;
    void DrawFocusRect(LPCRECT rect) noexcept;
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags) noexcept;
    BOOL DrawIcon(int x, int y, HICON icon) noexcept;
    BOOL DrawIcon(POINT p, HICON icon) noexcept { return DrawIcon(p.x, p.y, icon); }

    BOOL PatBlt(int x, int y, int width, int height, DWORD rop) noexcept;
    BOOL PatBlt(LPCRECT rect, DWORD rop) noexcept;
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) noexcept;
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, DWORD rop) noexcept;
    COLORREF GetPixel(int x, int y) const noexcept;
    COLORREF GetPixel(POINT p) const noexcept { return GetPixel(p.x, p.y); }
    COLORREF SetPixel(int x, int y, COLORREF color) noexcept;
    COLORREF SetPixel(POINT p, COLORREF color) noexcept { return SetPixel(p.x, p.y, color); }
    BOOL SetPixelV(int x, int y, COLORREF color) noexcept;

    BOOL TextOut(int x, int y, LPCWSTR text, int count) noexcept;
    BOOL TextOut(int x, int y, const CString& text) noexcept;
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT count, LPINT dx) noexcept;
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, LPINT dx) noexcept;
    int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) noexcept;
    int DrawText(const CString& text, LPRECT rect, UINT format) noexcept;
    CSize GetTextExtent(LPCWSTR text, int count) const noexcept;
    CSize GetTextExtent(const CString& text) const noexcept;
    BOOL GetTextMetrics(LPTEXTMETRICW metrics) const noexcept;

private:
    friend class CWnd;
    void NoteDisplaced(HGDIOBJ selected, HGDIOBJ previous) noexcept;

    HGDIOBJ m_hOriginalPen;
    HGDIOBJ m_hOriginalBrush;
    HGDIOBJ m_hOriginalFont;
    HGDIOBJ m_hOriginalBitmap;
};

// WM_PAINT drawing: BeginPaint on construction, EndPaint on destruction.
class QELFRAMEWORK_API CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};

// The client area's DC (the screen's for a null window), released on destruction.
class QELFRAMEWORK_API CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// The whole window's DC, frame included (the screen's for a null window), released on destruction.
class QELFRAMEWORK_API CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
