#pragma once
// Filling and stroking a long outline (a polygon or a free-hand trail of thousands of points) straight
// into 32-bit pixels, limited to the areas being repainted. A path library flattens and rasterises the
// whole outline on every paint, however little of it is repainted: with a few thousand points that
// alone takes longer than a frame. Pure: no window or device calls.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace OutlineRaster {

// Pixels 0x??RRGGBB in rows top to bottom; pixel (x, y) of area (client coordinates) is at
// pixels[(y - area.top) * stride + (x - area.left)].
struct Target {
    uint32_t* pixels;
    int stride;  // in pixels
    RECT area;
};

// color (0xAARRGGBB, straight alpha) composed over the pixel dst; dst's top byte is kept. Rounded as a
// translucent 1-pixel pen of GDI+ composes: each channel (color * a + dst * (255 - a)) / 255, half up.
uint32_t BlendOver(uint32_t dst, uint32_t color);
// The same, rounded as a translucent solid brush of GDI+ fills: the colour is premultiplied first, and
// each channel is color * a / 255 plus dst * (255 - a) / 255, both half up.
uint32_t BlendFill(uint32_t dst, uint32_t color);

// How a rectangle's pixels are composed: as a 1-pixel pen or as a solid brush draws them.
enum class Rounding { Pen, Brush };
// Composes color over every pixel of rect (client coordinates) within the clip rectangles (not
// overlapping), each exactly once.
void BlendRectangle(const Target& target, const RECT* clips, size_t clipCount, const RECT& rect, uint32_t color,
                    Rounding rounding);

// Blends color over every pixel inside the closed polygon through the points (even-odd rule), within
// the clip rectangles (client coordinates, not overlapping). A pixel is inside when its point (x, y)
// is; on an edge, the left and top edges belong to the polygon. Fewer than 3 points fill nothing.
void FillPolygon(const Target& target, const RECT* clips, size_t clipCount, const POINT* points, size_t count,
                 uint32_t color);

// Blends color once over every pixel the lines between consecutive points cover (and the line back to
// the first point when closed), width 1 or 2 pixels, within the clip rectangles.
void StrokePolyline(const Target& target, const RECT* clips, size_t clipCount, const POINT* points, size_t count,
                    bool closed, int width, uint32_t color);

}  // namespace OutlineRaster
