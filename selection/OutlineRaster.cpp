#include "selection/OutlineRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace OutlineRaster {

namespace {

struct Edge {
    long top, bottom;  // the rows it crosses: top <= y < bottom
    double x, slope;   // x at row top, and its change per row
};

// r cut to the target; empty when they share nothing.
RECT Within(const Target& target, const RECT& r) {
    RECT out{std::max(r.left, target.area.left), std::max(r.top, target.area.top), std::min(r.right, target.area.right),
             std::min(r.bottom, target.area.bottom)};
    if (out.right < out.left) out.right = out.left;
    if (out.bottom < out.top) out.bottom = out.top;
    return out;
}

// The part t0..t1 of the line a + t (b - a), t in [0, 1], inside the rectangle [left, right] x [top,
// bottom]; false when none is.
bool ClipLine(POINT a, POINT b, double left, double top, double right, double bottom, double& t0, double& t1) {
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
    }
    return t0 <= t1;
}

uint32_t* Row(const Target& target, long y) {
    return target.pixels + static_cast<ptrdiff_t>(y - target.area.top) * target.stride - target.area.left;
}

}  // namespace

uint32_t BlendOver(uint32_t dst, uint32_t color) {
    const uint32_t a = color >> 24, keep = 255 - a;
    uint32_t out = dst & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= (((color >> shift & 0xFF) * a + (dst >> shift & 0xFF) * keep + 127) / 255) << shift;
    return out;
}

uint32_t BlendFill(uint32_t dst, uint32_t color) {
    const uint32_t a = color >> 24, keep = 255 - a;
    uint32_t out = dst & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= (((color >> shift & 0xFF) * a + 127) / 255 + ((dst >> shift & 0xFF) * keep + 127) / 255) << shift;
    return out;
}

void BlendRectangle(const Target& target, const RECT* clips, size_t clipCount, const RECT& rect, uint32_t color,
                    Rounding rounding) {
    const uint32_t a = color >> 24;
    if (!a) return;
    // Each channel's result by its old value: three tables of 256 instead of the arithmetic per pixel.
    uint8_t table[3][256];
    for (int c = 0; c < 3; ++c)
        for (uint32_t v = 0; v < 256; ++v) {
            const uint32_t pixel = v << (8 * c);
            const uint32_t blended = rounding == Rounding::Brush ? BlendFill(pixel, color) : BlendOver(pixel, color);
            table[c][v] = static_cast<uint8_t>(blended >> (8 * c));
        }
    for (size_t c = 0; c < clipCount; ++c) {
        RECT area = Within(target, clips[c]);
        area = RECT{std::max(area.left, rect.left), std::max(area.top, rect.top), std::min(area.right, rect.right),
                    std::min(area.bottom, rect.bottom)};
        if (area.left >= area.right || area.top >= area.bottom) continue;
        for (long y = area.top; y < area.bottom; ++y) {
            uint32_t* row = Row(target, y);
            for (long x = area.left; x < area.right; ++x) {
                const uint32_t p = row[x];
                row[x] = (p & 0xFF000000u) | static_cast<uint32_t>(table[2][p >> 16 & 0xFF]) << 16 |
                         static_cast<uint32_t>(table[1][p >> 8 & 0xFF]) << 8 | table[0][p & 0xFF];
            }
        }
    }
}

void FillPolygon(const Target& target, const RECT* clips, size_t clipCount, const POINT* points, size_t count,
                 uint32_t color) {
    if (count < 3 || !(color >> 24)) return;
    std::vector<Edge> edges;
    edges.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        POINT a = points[i], b = points[(i + 1) % count];
        if (a.y == b.y) continue;  // a level edge starts and ends no span
        if (a.y > b.y) std::swap(a, b);
        const double slope = static_cast<double>(b.x - a.x) / static_cast<double>(b.y - a.y);
        edges.push_back(Edge{a.y, b.y, static_cast<double>(a.x), slope});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });

    std::vector<RECT> areas;
    LONG first = 0, last = 0;
    for (size_t c = 0; c < clipCount; ++c) {
        const RECT clip = Within(target, clips[c]);
        if (clip.left >= clip.right || clip.top >= clip.bottom) continue;
        first = areas.empty() ? clip.top : std::min(first, clip.top);
        last = areas.empty() ? clip.bottom : std::max(last, clip.bottom);
        areas.push_back(clip);
    }
    // One pass down the rows, the crossings of each row worked out once for all areas on it.
    std::vector<const Edge*> active;
    std::vector<double> xs;
    size_t next = 0;
    for (long y = first; y < last; ++y) {
        bool wanted = false;
        for (const RECT& a : areas) wanted = wanted || (a.top <= y && y < a.bottom);
        if (!wanted) continue;
        for (; next < edges.size() && edges[next].top <= y; ++next) active.push_back(&edges[next]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->bottom <= y; }),
                     active.end());
        xs.clear();
        for (const Edge* e : active) xs.push_back(e->x + e->slope * static_cast<double>(y - e->top));
        std::sort(xs.begin(), xs.end());
        uint32_t* row = Row(target, y);
        for (const RECT& a : areas) {
            if (y < a.top || y >= a.bottom) continue;
            for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                const LONG from = std::max(a.left, static_cast<LONG>(std::ceil(xs[k])));
                const LONG to = std::min(a.right, static_cast<LONG>(std::ceil(xs[k + 1])));
                for (long x = from; x < to; ++x) row[x] = BlendOver(row[x], color);
            }
        }
    }
}

void StrokePolyline(const Target& target, const RECT* clips, size_t clipCount, const POINT* points, size_t count,
                    bool closed, int width, uint32_t color) {
    if (!count || !(color >> 24)) return;
    const size_t segments = closed && count > 2 ? count : count - 1;
    std::vector<uint8_t> mask;
    for (size_t c = 0; c < clipCount; ++c) {
        const RECT clip = Within(target, clips[c]);
        const long w = clip.right - clip.left, h = clip.bottom - clip.top;
        if (w <= 0 || h <= 0) continue;
        // Every pixel is marked first and blended once, so that crossings and joints are not darker.
        mask.assign(static_cast<size_t>(w) * h, 0);
        auto plot = [&](long x, long y) {
            if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
                mask[static_cast<size_t>(y - clip.top) * w + (x - clip.left)] = 1;
        };
        for (size_t i = 0; i < std::max<size_t>(segments, 1); ++i) {
            const POINT a = points[i], b = segments ? points[(i + 1) % count] : points[i];
            if (std::max(a.x, b.x) + width < clip.left || std::min(a.x, b.x) - width >= clip.right ||
                std::max(a.y, b.y) + width < clip.top || std::min(a.y, b.y) - width >= clip.bottom)
                continue;
            const long dx = b.x - a.x, dy = b.y - a.y;
            const long steps = std::max(std::labs(dx), std::labs(dy));
            const bool steep = std::labs(dy) > std::labs(dx);
            // Only the steps near the clip: a long line crossing a small area is not walked end to end.
            double t0 = 0.0, t1 = 1.0;
            if (!ClipLine(a, b, clip.left - width - 1.0, clip.top - width - 1.0, clip.right + width + 1.0,
                          clip.bottom + width + 1.0, t0, t1))
                continue;
            const long firstStep = std::max(0L, static_cast<long>(std::floor(t0 * steps)) - 1);
            const long lastStep = std::min(steps, static_cast<long>(std::ceil(t1 * steps)) + 1);
            for (long k = firstStep; k <= lastStep; ++k) {
                const long x = steps ? a.x + std::lround(static_cast<double>(dx) * k / steps) : a.x;
                const long y = steps ? a.y + std::lround(static_cast<double>(dy) * k / steps) : a.y;
                plot(x, y);
                if (width > 1) steep ? plot(x + 1, y) : plot(x, y + 1);
            }
        }
        for (long y = clip.top; y < clip.bottom; ++y) {
            const uint8_t* marks = &mask[static_cast<size_t>(y - clip.top) * w];
            uint32_t* row = Row(target, y);
            for (long x = 0; x < w; ++x)
                if (marks[x]) row[clip.left + x] = BlendOver(row[clip.left + x], color);
        }
    }
}

}  // namespace OutlineRaster
