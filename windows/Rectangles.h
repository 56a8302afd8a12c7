#pragma once
// Arithmetic on (X, Y, Width, Height) rectangles, one meaning per name. Right and bottom edges are
// worked out in 64 bits: rectangles far off screen (a magnifier's start target, parked windows) must
// not wrap. Pure: no window or device calls.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

namespace Rects {

inline long long Right(const Gdiplus::Rect& r) { return static_cast<long long>(r.X) + r.Width; }
inline long long Bottom(const Gdiplus::Rect& r) { return static_cast<long long>(r.Y) + r.Height; }

inline Gdiplus::Rect FromRECT(const RECT& r) {
    return Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline RECT ToRECT(const Gdiplus::Rect& r) {
    return RECT{r.X, r.Y, static_cast<LONG>(Right(r)), static_cast<LONG>(Bottom(r))};
}

inline bool HasArea(const Gdiplus::Rect& r) { return r.Width > 0 && r.Height > 0; }
inline bool Same(const Gdiplus::Rect& a, const Gdiplus::Rect& b) {
    return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height;
}

// Left and top edges inclusive, right and bottom exclusive.
inline bool Contains(const Gdiplus::Rect& r, POINT p) {
    return r.X <= p.x && p.x < Right(r) && r.Y <= p.y && p.y < Bottom(r);
}

// Every pixel of r lies in outer; an empty r at a point inside outer counts as inside.
inline bool Inside(const Gdiplus::Rect& r, const Gdiplus::Rect& outer) {
    return r.X >= outer.X && r.Y >= outer.Y && Right(r) <= Right(outer) && Bottom(r) <= Bottom(outer);
}

// The two share at least one pixel; touching along an edge does not count, and an empty rectangle
// shares none.
inline bool Overlaps(const Gdiplus::Rect& a, const Gdiplus::Rect& b) {
    if (!HasArea(a) || !HasArea(b)) return false;
    return a.X < Right(b) && b.X < Right(a) && a.Y < Bottom(b) && b.Y < Bottom(a);
}

// The common part of a and b; at the larger corner with no width or height when they share nothing.
inline Gdiplus::Rect Intersection(const Gdiplus::Rect& a, const Gdiplus::Rect& b) {
    const int x = std::max(a.X, b.X), y = std::max(a.Y, b.Y);
    const long long right = std::min(Right(a), Right(b)), bottom = std::min(Bottom(a), Bottom(b));
    if (right <= x || bottom <= y) return Gdiplus::Rect(x, y, 0, 0);
    return Gdiplus::Rect(x, y, static_cast<int>(right - x), static_cast<int>(bottom - y));
}

// The smallest rectangle holding both.
inline Gdiplus::Rect Union(const Gdiplus::Rect& a, const Gdiplus::Rect& b) {
    const int x = std::min(a.X, b.X), y = std::min(a.Y, b.Y);
    const long long right = std::max(Right(a), Right(b)), bottom = std::max(Bottom(a), Bottom(b));
    return Gdiplus::Rect(x, y, static_cast<int>(right - x), static_cast<int>(bottom - y));
}

// Grown by dx on the left and on the right, dy on top and at the bottom (shrunk for negative values).
inline Gdiplus::Rect Grown(const Gdiplus::Rect& r, int dx, int dy) {
    return Gdiplus::Rect(r.X - dx, r.Y - dy, r.Width + 2 * dx, r.Height + 2 * dy);
}
inline Gdiplus::Rect Grown(const Gdiplus::Rect& r, int margin) { return Grown(r, margin, margin); }

inline Gdiplus::Rect Offset(Gdiplus::Rect r, POINT by) {
    r.X += by.x;
    r.Y += by.y;
    return r;
}

}  // namespace Rects
