#pragma once
// Points, sizes and rectangles over the plain Win32 structures. Header-only and free of window or
// device calls: the rectangle rules below are the ones user32 applies (empty means width or height
// not positive; right and bottom are exclusive).
#include <windows.h>

class CSize;
class CRect;

class CPoint : public tagPOINT {
public:
    CPoint() noexcept { x = 0; y = 0; }
    CPoint(int initX, int initY) noexcept { x = initX; y = initY; }
    CPoint(POINT p) noexcept { x = p.x; y = p.y; }
    CPoint(SIZE s) noexcept { x = s.cx; y = s.cy; }
    // Packed coordinates as in a mouse message's lParam: signed low and high words.
    explicit CPoint(LPARAM packed) noexcept {
        x = static_cast<short>(LOWORD(packed));
        y = static_cast<short>(HIWORD(packed));
    }

    void Offset(int dx, int dy) noexcept { x += dx; y += dy; }
    void Offset(POINT p) noexcept { Offset(p.x, p.y); }
    void Offset(SIZE s) noexcept { Offset(s.cx, s.cy); }
    void SetPoint(int X, int Y) noexcept { x = X; y = Y; }

    bool operator==(POINT p) const noexcept { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const noexcept { return !(*this == p); }
    CPoint& operator+=(SIZE s) noexcept { Offset(s); return *this; }
    CPoint& operator-=(SIZE s) noexcept { Offset(-s.cx, -s.cy); return *this; }
    CPoint& operator+=(POINT p) noexcept { Offset(p); return *this; }
    CPoint& operator-=(POINT p) noexcept { Offset(-p.x, -p.y); return *this; }
    CPoint operator+(SIZE s) const noexcept { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const noexcept { return CPoint(x - s.cx, y - s.cy); }
    CPoint operator+(POINT p) const noexcept { return CPoint(x + p.x, y + p.y); }
    inline CSize operator-(POINT p) const noexcept;
    CPoint operator-() const noexcept { return CPoint(-x, -y); }
    inline CRect operator+(const RECT* r) const noexcept;
    inline CRect operator-(const RECT* r) const noexcept;
};

class CSize : public tagSIZE {
public:
    CSize() noexcept { cx = 0; cy = 0; }
    CSize(int initCX, int initCY) noexcept { cx = initCX; cy = initCY; }
    CSize(SIZE s) noexcept { cx = s.cx; cy = s.cy; }
    CSize(POINT p) noexcept { cx = p.x; cy = p.y; }

    void SetSize(int CX, int CY) noexcept { cx = CX; cy = CY; }
    bool operator==(SIZE s) const noexcept { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const noexcept { return !(*this == s); }
    CSize& operator+=(SIZE s) noexcept { cx += s.cx; cy += s.cy; return *this; }
    CSize& operator-=(SIZE s) noexcept { cx -= s.cx; cy -= s.cy; return *this; }
    CSize operator+(SIZE s) const noexcept { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const noexcept { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const noexcept { return CSize(-cx, -cy); }
    CPoint operator+(POINT p) const noexcept { return CPoint(cx + p.x, cy + p.y); }
    CPoint operator-(POINT p) const noexcept { return CPoint(cx - p.x, cy - p.y); }
};

inline CSize CPoint::operator-(POINT p) const noexcept { return CSize(x - p.x, y - p.y); }

class CRect : public tagRECT {
public:
    CRect() noexcept { SetRectEmpty(); }
    CRect(int l, int t, int r, int b) noexcept { SetRect(l, t, r, b); }
    CRect(const RECT& r) noexcept { CopyRect(&r); }
    CRect(LPCRECT r) noexcept { if (r) CopyRect(r); else SetRectEmpty(); }
    CRect(POINT topLeft, SIZE size) noexcept { SetRect(topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy); }
    CRect(POINT topLeft, POINT bottomRight) noexcept { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    // Views of the two corners inside the rectangle, so that assigning to them moves that corner.
    CPoint& TopLeft() noexcept { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() noexcept { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const noexcept { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const noexcept { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }

    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }

    BOOL IsRectEmpty() const noexcept { return left >= right || top >= bottom; }
    BOOL IsRectNull() const noexcept { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const noexcept { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    BOOL EqualRect(LPCRECT r) const noexcept {
        return r && left == r->left && top == r->top && right == r->right && bottom == r->bottom;
    }

    void SetRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
    void SetRect(POINT topLeft, POINT bottomRight) noexcept { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
    void SetRectEmpty() noexcept { SetRect(0, 0, 0, 0); }
    void CopyRect(LPCRECT r) noexcept { SetRect(r->left, r->top, r->right, r->bottom); }

    void InflateRect(int dx, int dy) noexcept { InflateRect(dx, dy, dx, dy); }
    void InflateRect(SIZE s) noexcept { InflateRect(s.cx, s.cy); }
    void InflateRect(LPCRECT r) noexcept { InflateRect(r->left, r->top, r->right, r->bottom); }
    void InflateRect(int l, int t, int r, int b) noexcept { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
    void DeflateRect(SIZE s) noexcept { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(LPCRECT r) noexcept { InflateRect(-r->left, -r->top, -r->right, -r->bottom); }
    void DeflateRect(int l, int t, int r, int b) noexcept { InflateRect(-l, -t, -r, -b); }

    void OffsetRect(int dx, int dy) noexcept { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(POINT p) noexcept { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) noexcept { OffsetRect(s.cx, s.cy); }
    void MoveToX(int x) noexcept { right = Width() + x; left = x; }
    void MoveToY(int y) noexcept { bottom = Height() + y; top = y; }
    void MoveToXY(int x, int y) noexcept { MoveToX(x); MoveToY(y); }
    void MoveToXY(POINT p) noexcept { MoveToXY(p.x, p.y); }

    // Swaps reversed edges so that left <= right and top <= bottom.
    void NormalizeRect() noexcept {
        if (left > right) { LONG t = left; left = right; right = t; }
        if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
    }

    // Both operands may alias this rectangle. An empty result is stored as (0, 0, 0, 0).
    BOOL IntersectRect(LPCRECT a, LPCRECT b) noexcept {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty() || rb.IsRectEmpty() || ra.left >= rb.right || rb.left >= ra.right ||
            ra.top >= rb.bottom || rb.top >= ra.bottom) {
            SetRectEmpty();
            return FALSE;
        }
        SetRect(Max(ra.left, rb.left), Max(ra.top, rb.top), Min(ra.right, rb.right), Min(ra.bottom, rb.bottom));
        return TRUE;
    }
    // The bounding rectangle of the non-empty operands; empty operands are ignored.
    BOOL UnionRect(LPCRECT a, LPCRECT b) noexcept {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) {
            if (rb.IsRectEmpty()) {
                SetRectEmpty();
                return FALSE;
            }
            *this = rb;
        } else if (rb.IsRectEmpty()) {
            *this = ra;
        } else {
            SetRect(Min(ra.left, rb.left), Min(ra.top, rb.top), Max(ra.right, rb.right), Max(ra.bottom, rb.bottom));
        }
        return TRUE;
    }
    // a less b, where the difference is itself a rectangle; otherwise a unchanged.
    BOOL SubtractRect(LPCRECT a, LPCRECT b) noexcept {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) {
            SetRectEmpty();
            return FALSE;
        }
        CRect cut;
        *this = ra;
        if (cut.IntersectRect(&ra, &rb)) {
            if (cut == ra) {
                SetRectEmpty();
                return FALSE;
            }
            if (cut.top == ra.top && cut.bottom == ra.bottom) {
                if (cut.left == ra.left) left = cut.right;
                else if (cut.right == ra.right) right = cut.left;
            } else if (cut.left == ra.left && cut.right == ra.right) {
                if (cut.top == ra.top) top = cut.bottom;
                else if (cut.bottom == ra.bottom) bottom = cut.top;
            }
        }
        return TRUE;
    }

    CRect& operator=(const RECT& r) noexcept { CopyRect(&r); return *this; }
    bool operator==(const RECT& r) const noexcept { return EqualRect(&r) != FALSE; }
    bool operator!=(const RECT& r) const noexcept { return !(*this == r); }
    CRect& operator+=(POINT p) noexcept { OffsetRect(p); return *this; }
    CRect& operator+=(SIZE s) noexcept { OffsetRect(s); return *this; }
    CRect& operator+=(LPCRECT r) noexcept { InflateRect(r); return *this; }
    CRect& operator-=(POINT p) noexcept { OffsetRect(-p.x, -p.y); return *this; }
    CRect& operator-=(SIZE s) noexcept { OffsetRect(-s.cx, -s.cy); return *this; }
    CRect& operator-=(LPCRECT r) noexcept { DeflateRect(r); return *this; }
    CRect& operator&=(const RECT& r) noexcept { IntersectRect(this, &r); return *this; }
    CRect& operator|=(const RECT& r) noexcept { UnionRect(this, &r); return *this; }
    CRect operator+(POINT p) const noexcept { CRect r(*this); r.OffsetRect(p); return r; }
    CRect operator+(SIZE s) const noexcept { CRect r(*this); r.OffsetRect(s); return r; }
    CRect operator+(LPCRECT d) const noexcept { CRect r(*this); r.InflateRect(d); return r; }
    CRect operator-(POINT p) const noexcept { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
    CRect operator-(SIZE s) const noexcept { CRect r(*this); r.OffsetRect(-s.cx, -s.cy); return r; }
    CRect operator-(LPCRECT d) const noexcept { CRect r(*this); r.DeflateRect(d); return r; }
    CRect operator&(const RECT& o) const noexcept { CRect r; r.IntersectRect(this, &o); return r; }
    CRect operator|(const RECT& o) const noexcept { CRect r; r.UnionRect(this, &o); return r; }

private:
    static LONG Min(LONG a, LONG b) noexcept { return a < b ? a : b; }
    static LONG Max(LONG a, LONG b) noexcept { return a > b ? a : b; }
};

inline CRect CPoint::operator+(const RECT* r) const noexcept { CRect c(r); c.OffsetRect(x, y); return c; }
inline CRect CPoint::operator-(const RECT* r) const noexcept { CRect c(r); c.OffsetRect(-x, -y); return c; }
