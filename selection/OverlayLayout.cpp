#include "selection/OverlayLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include "windows/Rectangles.h"

namespace OverlayLayout {

namespace {

using Rects::Inside;
using Rects::Overlaps;

bool Fits(const Gdiplus::Rect& r, const Gdiplus::Rect& monitor, const Gdiplus::Rect& selection, bool allowOverlap) {
    return Inside(r, monitor) && (allowOverlap || !Overlaps(r, selection));
}

std::wstring Format(int a) { return std::to_wstring(a); }

std::wstring FormatPair(int a, int b) { return std::to_wstring(a) + L" x " + std::to_wstring(b); }

}  // namespace

int ZoomerSide(const Gdiplus::Rect& monitor) {
    const int side = std::min(monitor.Width, monitor.Height) / 5;
    return side - side % 4;
}

ZoomerPlacement PlaceZoomer(const Gdiplus::Rect& monitor, POINT pos, const Gdiplus::Rect& current,
                            const Gdiplus::Rect& selection) {
    const int side = ZoomerSide(monitor);
    // The current target is offset in 64 bits: a fresh magnifier starts from a target far off screen.
    const long long cx = static_cast<long long>(current.X) + pos.x, cy = static_cast<long long>(current.Y) + pos.y;
    const bool currentRepresentable = cx >= INT32_MIN && cx <= INT32_MAX && cy >= INT32_MIN && cy <= INT32_MAX;
    const Gdiplus::Rect placedCurrent(static_cast<int>(cx), static_cast<int>(cy), current.Width, current.Height);
    const POINT offsets[4] = {{kZoomerGap, kZoomerGap},
                              {-kZoomerGap - side, kZoomerGap},
                              {kZoomerGap, -kZoomerGap - side},
                              {-kZoomerGap - side, -kZoomerGap - side}};
    for (const bool allowOverlap : {false, true}) {
        if (currentRepresentable && Fits(placedCurrent, monitor, selection, allowOverlap))
            return {true, current};
        for (const POINT& o : offsets) {
            const Gdiplus::Rect candidate(pos.x + o.x, pos.y + o.y, side, side);
            if (Fits(candidate, monitor, selection, allowOverlap))
                return {false, Gdiplus::Rect(o.x, o.y, side, side)};
        }
    }
    return {false, Gdiplus::Rect(0, 0, side, side)};
}

Gdiplus::Rect NormalisedRectangle(POINT a, POINT b) {
    return Gdiplus::Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y));
}

SizeTexts SelectionTexts(const Gdiplus::Rect& c, int labelEdge, int readoutEdge) {
    return {Format(c.Width + labelEdge), Format(c.Height + labelEdge),
            FormatPair(c.Width + readoutEdge, c.Height + readoutEdge)};
}

int LabelEdge(int mode) { return mode == 4 ? 0 : 1; }

int ReadoutEdge(int mode) { return mode == 1 || mode == 11 ? 1 : 0; }

Gdiplus::Rect PlaceAtAnchor(POINT p, int anchor, int width, int height, const Gdiplus::Rect& current) {
    Gdiplus::Rect r(current.X, current.Y, width, height);
    switch (anchor) {
        case 0: r.X = p.x; r.Y = p.y; break;
        case 1: r.X = p.x - width; r.Y = p.y; break;
        case 2: r.X = p.x - width; r.Y = p.y - height; break;
        case 3: r.X = p.x; r.Y = p.y - height; break;
        case 4: r.X = p.x - width / 2; r.Y = p.y - height / 2; break;
        default: break;
    }
    return r;
}

Gdiplus::Rect LabelledRepaintBox(const Gdiplus::Rect& old, const Gdiplus::Rect& now, int labelWidth, int labelHeight) {
    const Gdiplus::Rect both = Rects::Union(old, now);
    const long long left = static_cast<long long>(both.X) - 2 - labelWidth - 15;
    const long long top = static_cast<long long>(both.Y) - 2 - 10 - labelHeight;
    const long long right = Rects::Right(both) + 2, bottom = Rects::Bottom(both) + 2;
    return Gdiplus::Rect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                         static_cast<int>(bottom - top));
}

std::vector<Gdiplus::Rect> BandCover(const POINT* points, size_t count, int band, int margin) {
    std::vector<Gdiplus::Rect> cover;
    if (!count || band <= 0) return cover;
    const Gdiplus::Rect bounds = PointBounds(points, count);
    for (long top = bounds.Y; top <= static_cast<long>(bounds.Y) + bounds.Height; top += band) {
        const double low = static_cast<double>(top), high = static_cast<double>(top + band);
        double left = 0, right = 0;
        bool any = false;
        // Within the band, the inside lies between the edges that cross it: their parts in the band bound it.
        for (size_t i = 0; i < count; ++i) {
            const POINT a = points[i], b = points[(i + 1) % count];
            const double y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
            if (y1 < low || y0 >= high) continue;
            double xa = a.x, xb = b.x;
            if (a.y != b.y) {
                const double t0 = std::clamp((low - a.y) / (b.y - a.y), 0.0, 1.0);
                const double t1 = std::clamp((high - a.y) / (b.y - a.y), 0.0, 1.0);
                xa = a.x + (b.x - a.x) * t0;
                xb = a.x + (b.x - a.x) * t1;
            }
            const double l = std::min(xa, xb), r = std::max(xa, xb);
            left = any ? std::min(left, l) : l;
            right = any ? std::max(right, r) : r;
            any = true;
        }
        if (!any) continue;
        const int x = static_cast<int>(std::floor(left)) - margin;
        cover.emplace_back(x, static_cast<int>(top) - margin, static_cast<int>(std::ceil(right)) + margin + 1 - x,
                           band + 2 * margin);
    }
    return cover;
}

Gdiplus::Rect PointBounds(const POINT* points, size_t count) {
    if (!count) return Gdiplus::Rect(0, 0, 0, 0);
    int left = points[0].x, top = points[0].y, right = left, bottom = top;
    for (size_t i = 1; i < count; ++i) {
        left = std::min(left, static_cast<int>(points[i].x));
        right = std::max(right, static_cast<int>(points[i].x));
        top = std::min(top, static_cast<int>(points[i].y));
        bottom = std::max(bottom, static_cast<int>(points[i].y));
    }
    return Gdiplus::Rect(left, top, right - left, bottom - top);
}

std::wstring CoordinateText(POINT cursor) { return FormatPair(cursor.x, cursor.y); }

std::wstring WindowLabelText(HWND wnd, const std::wstring& title, const std::wstring& processPath) {
    wchar_t handle[24];
    std::swprintf(handle, 24, L"%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(wnd)));
    std::wstring name = title;
    if (name.empty()) {
        const size_t slash = processPath.find_last_of(L"\\/");
        name = slash == std::wstring::npos ? processPath : processPath.substr(slash + 1);
        const size_t dot = name.find_last_of(L'.');
        if (dot != std::wstring::npos) name.erase(dot);
    }
    return L"#" + std::wstring(handle) + L" - " + name;
}

DimensionLabel WidthLabel(const Gdiplus::Rect& r, Gdiplus::Size measured) {
    DimensionLabel label;
    const int w1 = measured.Width, h1 = measured.Height;
    if (r.Width <= w1 + 6) return label;
    label.shown = true;
    label.measured = measured;
    const int a = (w1 + 3) / 2;
    const int x0 = r.X + r.Width / 2 - a;
    label.box = Gdiplus::Rect(x0 + 3, r.Y - 15, w1 - 3, h1);
    label.text = Gdiplus::Point(x0 + 3, r.Y - 15);
    const int y = r.Y - 8;
    label.line[0] = {Gdiplus::Point(r.X, y), Gdiplus::Point(x0, y)};
    label.line[1] = {Gdiplus::Point(r.X + r.Width / 2 + a, y), Gdiplus::Point(r.X + r.Width, y)};
    label.ticks[0] = {Gdiplus::Point(r.X, r.Y - 11), Gdiplus::Point(r.X, r.Y - 5)};
    label.ticks[1] = {Gdiplus::Point(r.X + r.Width, r.Y - 11), Gdiplus::Point(r.X + r.Width, r.Y - 5)};
    return label;
}

DimensionLabel HeightLabel(const Gdiplus::Rect& r, Gdiplus::Size measured) {
    DimensionLabel label;
    const int w2 = measured.Width, h2 = measured.Height;
    if (r.Height <= h2 + 6) return label;
    label.shown = true;
    label.measured = measured;
    const int b = (h2 + 3) / 2;
    const int y0 = r.Y + r.Height / 2 - b;
    const int x1 = r.X - w2 + 1;
    label.box = Gdiplus::Rect(x1, y0 + 2, w2 - 3, h2 - 1);
    label.text = Gdiplus::Point(x1, y0 + 2);
    const int x = r.X - 8;
    label.line[0] = {Gdiplus::Point(x, r.Y), Gdiplus::Point(x, y0)};
    label.line[1] = {Gdiplus::Point(x, r.Y + b + r.Height / 2), Gdiplus::Point(x, r.Y + r.Height)};
    label.ticks[0] = {Gdiplus::Point(r.X - 11, r.Y), Gdiplus::Point(r.X - 5, r.Y)};
    label.ticks[1] = {Gdiplus::Point(r.X - 11, r.Y + r.Height), Gdiplus::Point(r.X - 5, r.Y + r.Height)};
    return label;
}

Gdiplus::Rect CoordinateLabelBox(POINT cursor, Gdiplus::Size measured) {
    return Gdiplus::Rect(cursor.x + 5, cursor.y + 5, measured.Width - 3, measured.Height);
}

float ReadoutPointSize(const Gdiplus::Rect& c, float mw, float mh) {
    if (mw <= 0.0f || mh <= 0.0f) return 0.0f;
    const float scale = std::min(static_cast<float>(c.Height) / (2.0f * mh), static_cast<float>(c.Width) / (2.0f * mw));
    const float size = 12.0f * scale;
    if (!(size >= 4.0f)) return 0.0f;
    return std::min(size, 20.0f);
}

Gdiplus::PointF ReadoutOrigin(const Gdiplus::Rect& r, const Gdiplus::Rect& c, float mw, float fh) {
    const int x = r.X + c.Width / 2 - static_cast<int>(mw * 0.5f);
    const int y = r.Y + c.Height / 2 - static_cast<int>(fh * 0.5f);
    return Gdiplus::PointF(static_cast<float>(x), static_cast<float>(y));
}

int CrossHairStrips(POINT old, POINT now, int clientWidth, int clientHeight, Gdiplus::Rect out[4]) {
    int n = 0;
    if (old.y != now.y) {
        out[n++] = Gdiplus::Rect(0, old.y - 2, clientWidth + 2, 45);
        out[n++] = Gdiplus::Rect(0, now.y - 2, clientWidth + 2, 45);
    }
    if (old.x != now.x) {
        out[n++] = Gdiplus::Rect(old.x - 2, 0, 75, clientHeight + 2);
        out[n++] = Gdiplus::Rect(now.x - 2, 0, 75, clientHeight + 2);
    }
    return n;
}

namespace {

// The box holding both points, edges included.
Gdiplus::Rect SegmentBox(const Segment& s) {
    const int x = std::min(s.from.X, s.to.X), y = std::min(s.from.Y, s.to.Y);
    return Gdiplus::Rect(x, y, std::abs(s.to.X - s.from.X) + 1, std::abs(s.to.Y - s.from.Y) + 1);
}

// The union of the rectangles that have an area (a and b each may have none).
Gdiplus::Rect UnionOfAreas(const Gdiplus::Rect& a, const Gdiplus::Rect& b) {
    if (!Rects::HasArea(a)) return b;
    if (!Rects::HasArea(b)) return a;
    return Rects::Union(a, b);
}

bool SameLabel(const DimensionLabel& a, const std::wstring& aText, const DimensionLabel& b, const std::wstring& bText) {
    if (a.shown != b.shown) return false;
    if (!a.shown) return true;
    return aText == bText && Rects::Same(a.box, b.box) && a.text.X == b.text.X && a.text.Y == b.text.Y &&
           Rects::Same(DimensionLabelArea(a), DimensionLabelArea(b));
}

// Both places of a part whose place or text changed.
void AppendMoved(bool same, const Gdiplus::Rect& old, const Gdiplus::Rect& now, std::vector<Gdiplus::Rect>& out) {
    if (same) return;
    if (Rects::HasArea(old)) out.push_back(old);
    if (Rects::HasArea(now)) out.push_back(now);
}

}  // namespace

Gdiplus::Rect DimensionLabelArea(const DimensionLabel& label) {
    if (!label.shown) return Gdiplus::Rect(0, 0, 0, 0);
    Gdiplus::Rect area = UnionOfAreas(Gdiplus::Rect(label.box.X, label.box.Y, label.box.Width + 1, label.box.Height + 1),
                                      Gdiplus::Rect(label.text.X, label.text.Y, label.measured.Width, label.measured.Height));
    for (const Segment& s : label.line) area = UnionOfAreas(area, SegmentBox(s));
    for (const Segment& s : label.ticks) area = UnionOfAreas(area, SegmentBox(s));
    return Rects::Grown(area, kInkMargin);
}

int RectangleOutline(const Gdiplus::Rect& r, Gdiplus::Rect outline[4]) {
    if (!Rects::HasArea(r)) return 0;
    outline[0] = Gdiplus::Rect(r.X, r.Y, r.Width + 1, 1);                  // top
    outline[1] = Gdiplus::Rect(r.X, r.Y + r.Height, r.Width + 1, 1);       // bottom
    outline[2] = Gdiplus::Rect(r.X, r.Y + 1, 1, r.Height - 1);             // left, between them
    outline[3] = Gdiplus::Rect(r.X + r.Width, r.Y + 1, 1, r.Height - 1);   // right
    return 4;
}

void AppendDifference(const Gdiplus::Rect& a, const Gdiplus::Rect& b, std::vector<Gdiplus::Rect>& out) {
    if (!Rects::HasArea(a)) return;
    const Gdiplus::Rect common = Rects::Intersection(a, b);
    if (!Rects::HasArea(common)) {
        out.push_back(a);
        return;
    }
    const int aRight = a.X + a.Width, aBottom = a.Y + a.Height;
    const int cRight = common.X + common.Width, cBottom = common.Y + common.Height;
    const Gdiplus::Rect parts[4] = {Gdiplus::Rect(a.X, a.Y, a.Width, common.Y - a.Y),
                                    Gdiplus::Rect(a.X, cBottom, a.Width, aBottom - cBottom),
                                    Gdiplus::Rect(a.X, common.Y, common.X - a.X, common.Height),
                                    Gdiplus::Rect(cRight, common.Y, aRight - cRight, common.Height)};
    for (const Gdiplus::Rect& part : parts)
        if (Rects::HasArea(part)) out.push_back(part);
}

std::vector<Gdiplus::Rect> SelectionChange(const SelectionExtent& old, const SelectionExtent& now) {
    static const SelectionExtent none;
    const SelectionExtent& a = old.drawn ? old : none;
    const SelectionExtent& b = now.drawn ? now : none;
    std::vector<Gdiplus::Rect> out;

    // The shape.
    const bool aRectangle = a.drawn && a.shape == 1, bRectangle = b.drawn && b.shape == 1;
    const bool aOther = a.drawn && (a.shape == 2 || a.shape == 3), bOther = b.drawn && (b.shape == 2 || b.shape == 3);
    const bool sameShape = a.drawn == b.drawn && a.shape == b.shape && Rects::Same(a.r, b.r);
    if (!sameShape && (aOther || bOther)) {
        // An ellipse or rounded rectangle changes all over: the box of both, outlines included.
        const Gdiplus::Rect aBox = aOther ? Gdiplus::Rect(a.r.X, a.r.Y, a.r.Width + 1, a.r.Height + 1) : Gdiplus::Rect();
        const Gdiplus::Rect bBox = bOther ? Gdiplus::Rect(b.r.X, b.r.Y, b.r.Width + 1, b.r.Height + 1) : Gdiplus::Rect();
        const Gdiplus::Rect both = UnionOfAreas(aBox, bBox);
        if (Rects::HasArea(both)) out.push_back(Rects::Grown(both, kInkMargin));
    }
    if (!sameShape && (aRectangle || bRectangle)) {
        // A rectangle: the fill changes only between the two, the outlines wherever either runs.
        const Gdiplus::Rect aFill = aRectangle ? a.r : Gdiplus::Rect(), bFill = bRectangle ? b.r : Gdiplus::Rect();
        AppendDifference(aFill, bFill, out);
        AppendDifference(bFill, aFill, out);
        Gdiplus::Rect strips[4];
        for (int i = 0, n = RectangleOutline(aFill, strips); i < n; ++i) out.push_back(strips[i]);
        for (int i = 0, n = RectangleOutline(bFill, strips); i < n; ++i) out.push_back(strips[i]);
    }

    // The labels, the read-out and the window label, where they moved or read differently.
    AppendMoved(SameLabel(a.width, a.widthText, b.width, b.widthText), DimensionLabelArea(a.width),
                DimensionLabelArea(b.width), out);
    AppendMoved(SameLabel(a.height, a.heightText, b.height, b.heightText), DimensionLabelArea(a.height),
                DimensionLabelArea(b.height), out);
    const auto grown = [](const Gdiplus::Rect& r) { return Rects::HasArea(r) ? Rects::Grown(r, kInkMargin) : r; };
    AppendMoved(Rects::Same(a.readout, b.readout) && a.readoutText == b.readoutText, grown(a.readout),
                grown(b.readout), out);
    AppendMoved(Rects::Same(a.windowLabel, b.windowLabel) && a.windowText == b.windowText, grown(a.windowLabel),
                grown(b.windowLabel), out);
    return out;
}

ZoomerBars ZoomerCrossHair(const Gdiplus::Rect& d, int sourceSide) {
    ZoomerBars z{};
    const int p = sourceSide > 0 ? d.Width / sourceSide : 0;
    const int h = p / 2;
    const int cx = d.X + d.Width / 2, cy = d.Y + d.Height / 2;
    const int gx = d.Width / 2 - h, gy = d.Height / 2 - h;
    z.pixel = p;
    z.bars[0] = {Gdiplus::Point(cx, d.Y + p), Gdiplus::Point(cx, d.Y - p + gy)};
    z.bars[1] = {Gdiplus::Point(cx, d.Y + 2 * p + gy), Gdiplus::Point(cx, d.Y - p + d.Width)};
    z.bars[2] = {Gdiplus::Point(d.X + p, cy), Gdiplus::Point(d.X - p + gx, cy)};
    z.bars[3] = {Gdiplus::Point(d.X + 2 * p + gx, cy), Gdiplus::Point(d.X - p + d.Width, cy)};
    z.outlines[0] = Gdiplus::Rect(cx - h, d.Y + p, p - 1, gy - 2 * p - 1);
    z.outlines[1] = Gdiplus::Rect(cx - h, d.Y + 2 * p + gy, p - 1, gy - 2 * p - 1);
    z.outlines[2] = Gdiplus::Rect(d.X + p, cy - h, gx - 2 * p - 1, p - 1);
    z.outlines[3] = Gdiplus::Rect(d.X + 2 * p + gx, cy - h, gx - 2 * p - 1, p - 1);
    return z;
}

}  // namespace OverlayLayout
