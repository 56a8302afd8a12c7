#pragma once
// Placement and shape rules of the recording-area selector, the flashing frame and the colour picker.
// Plain rectangle arithmetic in screen pixels: nothing here touches a window or a device.
#include <windows.h>

#include <string>
#include <vector>

namespace qel {

// Left/right and top/bottom swapped where reversed.
RECT NormalizeRect(RECT r);
bool IsEmptyRect(const RECT& r);  // right <= left or bottom <= top
RECT IntersectRects(const RECT& a, const RECT& b);  // empty (all 0) when they do not meet

// The virtual screen as a rectangle, right and bottom exclusive.
RECT VirtualScreenRect(int x0, int y0, int cx, int cy);

// ---- Recording-area selector. Its rectangles count both edges: right and bottom are the last pixels.

// The shift rectangle normalised and brought inside the screen: a side longer than the screen becomes the
// whole screen, otherwise an edge beyond the screen is cut back to it.
RECT ClampShiftRect(RECT r, const RECT& screen);
// The shift rectangle's edges relative to its centre (integer halves, truncated toward zero).
RECT ShiftOffsets(const RECT& shift);
// Where the moving rectangle goes for a cursor position: the cursor plus the offsets, pushed back inside
// the screen with its size (the shift rectangle's right - left and bottom - top) kept.
RECT PlaceShiftRect(POINT cursor, const RECT& offsets, int width, int height, const RECT& screen);

// The four 3-pixel strips of the hatched frame (top, left, right, bottom), each pixel of the frame in
// exactly one strip; strips with no area are left out.
std::vector<RECT> FrameStrips(const RECT& r);
// "Left : %d Top : %d Width : %d Height : %d"; width and height count both edges.
std::wstring AreaLabelText(const RECT& r);
// Origin of the label text: 10 pixels right of the left edge, 5 pixels above the rectangle, or 5 pixels
// below it when there is no room above within bounds (the monitor the part lies on).
POINT AreaLabelOrigin(const RECT& r, SIZE text, const RECT& bounds);
// The label's rounded box: the text box grown by 4 pixels on each side.
RECT AreaLabelBox(POINT origin, SIZE text);

// One part of r (both edges counted) per monitor it touches, with that monitor's rectangle (right and
// bottom exclusive), in monitor order. Parts without area are left out.
struct MonitorPart {
    RECT part;
    RECT monitor;
};
std::vector<MonitorPart> SplitByMonitors(const RECT& r, const std::vector<RECT>& monitors);

// ---- Flashing frame.

// The window region as one rectangle minus others, in window coordinates, for a marked rectangle of
// w x h: thin, a closed frame 4 pixels wide on the left and top and 3 on the right and bottom around a
// window grown by 4; thick, four corner brackets 8 and 7 pixels wide, with arms of 24 pixels from the
// left and top edges and 27 from the right and bottom ones, around a window grown by 8. A band that
// would be inverted (a rectangle too small to part its brackets) is left out.
struct FrameShape {
    RECT outer;
    std::vector<RECT> holes;
};
FrameShape FlashFrameShape(int w, int h, bool thin);
// How far the window reaches beyond the marked rectangle on each side.
int FlashFrameMargin(bool thin);
// The rectangle moved by (dx, dy) and pushed back inside the screen with its size kept.
RECT MoveInsideScreen(RECT r, int dx, int dy, const RECT& screen);

// ---- Colour picker.

// Height of the picker's label box; its width is the text width plus 35.
constexpr int kPickLabelHeight = 24;
// Top-left corner of the label box for a cursor at p: 30 pixels right of and below it, moving left of
// the cursor near the right edge of bounds and above it near the bottom edge.
POINT PickLabelPosition(POINT p, int boxWidth, const RECT& bounds);
// "R:%d G:%d B:%d" of a COLORREF.
std::wstring PickLabelText(COLORREF color);
// The colour of pixel (x, y), counted from the top-left, of a packed 24- or 32-bit DIB. False, and color
// left as it is, outside the image or for another depth.
bool DibPixelColor(const BITMAPINFOHEADER* dib, int x, int y, COLORREF* color);

}  // namespace qel
