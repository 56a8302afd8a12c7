#include "tools/ToolGeometry.h"

#include <QelImageTransform.h>

#include <algorithm>
#include <cwchar>

namespace qel {

RECT NormalizeRect(RECT r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT IntersectRects(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return IsEmptyRect(r) ? RECT{0, 0, 0, 0} : r;
}

RECT VirtualScreenRect(int x0, int y0, int cx, int cy) { return RECT{x0, y0, x0 + cx, y0 + cy}; }

RECT ClampShiftRect(RECT r, const RECT& screen) {
    r = NormalizeRect(r);
    const LONG lastX = screen.right - 1, lastY = screen.bottom - 1;
    if (r.right - r.left + 1 > screen.right - screen.left) {
        r.left = screen.left;
        r.right = lastX;
    } else {
        r.left = std::max(r.left, screen.left);
        r.right = std::min(r.right, lastX);
    }
    if (r.bottom - r.top + 1 > screen.bottom - screen.top) {
        r.top = screen.top;
        r.bottom = lastY;
    } else {
        r.top = std::max(r.top, screen.top);
        r.bottom = std::min(r.bottom, lastY);
    }
    return r;
}

RECT ShiftOffsets(const RECT& shift) {
    const LONG cx = (shift.left + shift.right) / 2, cy = (shift.top + shift.bottom) / 2;
    return RECT{shift.left - cx, shift.top - cy, shift.right - cx, shift.bottom - cy};
}

// Pushes r back onto the screen at whichever edge it crosses, keeping width and height.
static RECT PinToScreen(RECT r, LONG width, LONG height, const RECT& screen) {
    const LONG lastX = screen.right - 1, lastY = screen.bottom - 1;
    if (r.left < screen.left) {
        r.left = screen.left;
        r.right = screen.left + width;
    }
    if (r.top < screen.top) {
        r.top = screen.top;
        r.bottom = screen.top + height;
    }
    if (r.right > lastX) {
        r.right = lastX;
        r.left = lastX - width;
    }
    if (r.bottom > lastY) {
        r.bottom = lastY;
        r.top = lastY - height;
    }
    return r;
}

RECT PlaceShiftRect(POINT cursor, const RECT& offsets, int width, int height, const RECT& screen) {
    const RECT r{cursor.x + offsets.left, cursor.y + offsets.top, cursor.x + offsets.right, cursor.y + offsets.bottom};
    return PinToScreen(r, width, height, screen);
}

std::vector<RECT> FrameStrips(const RECT& r) {
    constexpr LONG kThick = 3;
    const RECT strips[] = {
        {r.left, r.top, r.right, r.top + kThick},
        {r.left, r.top + kThick, r.left + kThick, r.bottom - kThick},
        {r.right - kThick, r.top + kThick, r.right, r.bottom - kThick},
        {r.left, r.bottom - kThick, r.right, r.bottom},
    };
    std::vector<RECT> out;
    for (const RECT& s : strips) {
        if (!IsEmptyRect(s)) out.push_back(s);
    }
    return out;
}

std::wstring AreaLabelText(const RECT& r) {
    wchar_t text[128];
    std::swprintf(text, 128, L"Left : %d Top : %d Width : %d Height : %d", static_cast<int>(r.left),
                  static_cast<int>(r.top), static_cast<int>(r.right - r.left + 1), static_cast<int>(r.bottom - r.top + 1));
    return text;
}

POINT AreaLabelOrigin(const RECT& r, SIZE text, const RECT& bounds) {
    const LONG y = r.top - bounds.top < text.cy + 5 ? r.bottom + 5 : r.top - text.cy - 5;
    return POINT{r.left + 10, y};
}

RECT AreaLabelBox(POINT origin, SIZE text) {
    return RECT{origin.x - 4, origin.y - 4, origin.x + text.cx + 4, origin.y + text.cy + 4};
}

std::vector<MonitorPart> SplitByMonitors(const RECT& r, const std::vector<RECT>& monitors) {
    std::vector<MonitorPart> parts;
    for (const RECT& m : monitors) {
        // The area counts both edges, a monitor's rectangle only its left and top one.
        const RECT part{std::max(r.left, m.left), std::max(r.top, m.top), std::min(r.right, m.right - 1),
                        std::min(r.bottom, m.bottom - 1)};
        if (!IsEmptyRect(part)) parts.push_back(MonitorPart{part, m});
    }
    return parts;
}

int FlashFrameMargin(bool thin) { return thin ? 4 : 8; }

FrameShape FlashFrameShape(int w, int h, bool thin) {
    FrameShape shape;
    if (thin) {
        shape.outer = RECT{0, 0, w + 8, h + 8};
        shape.holes.push_back(RECT{4, 4, w + 5, h + 5});
        return shape;
    }
    shape.outer = RECT{0, 0, w + 16, h + 16};
    shape.holes.push_back(RECT{8, 8, w + 9, h + 9});
    // Below 35 pixels the arms meet and the brackets close into a frame.
    if (h - 11 > 24) shape.holes.push_back(RECT{0, 24, w + 16, h - 11});
    if (w - 11 > 24) shape.holes.push_back(RECT{24, 0, w - 11, h + 16});
    return shape;
}

RECT MoveInsideScreen(RECT r, int dx, int dy, const RECT& screen) {
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    return PinToScreen(RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}, width, height, screen);
}

POINT PickLabelPosition(POINT p, int boxWidth, const RECT& bounds) {
    const LONG x = p.x - bounds.left, y = p.y - bounds.top;
    const LONG right = bounds.right - bounds.left, bottom = bounds.bottom - bounds.top;
    const bool roomRight = x + boxWidth + 30 < right;
    const bool roomBelow = y + 54 < bottom;
    if (roomRight && roomBelow) return POINT{p.x + 30, p.y + 30};
    if (roomRight && y > 54) return POINT{p.x + 30, p.y - 54};
    if (x > boxWidth + 30 && roomBelow) return POINT{p.x - boxWidth - 30, p.y + 30};
    return POINT{p.x - boxWidth - 30, p.y - 54};
}

std::wstring PickLabelText(COLORREF color) {
    wchar_t text[64];
    std::swprintf(text, 64, L"R:%d G:%d B:%d", static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
    return text;
}

bool DibPixelColor(const BITMAPINFOHEADER* dib, int x, int y, COLORREF* color) {
    if (!dib || (dib->biBitCount != 24 && dib->biBitCount != 32)) return false;
    const LONG width = dib->biWidth, height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    const size_t stride = ((static_cast<size_t>(width) * dib->biBitCount + 31) / 32) * 4;
    const size_t offset = QelImageTransform::DibBitsOffset(dib);
    if (offset == 0) return false;
    const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + offset;
    const size_t row = dib->biHeight > 0 ? static_cast<size_t>(height - 1 - y) : static_cast<size_t>(y);
    const BYTE* px = bits + row * stride + static_cast<size_t>(x) * (dib->biBitCount / 8);
    // Stored blue, green, red; COLORREF is 0x00BBGGRR.
    *color = (static_cast<COLORREF>(px[0]) << 16) | (static_cast<COLORREF>(px[1]) << 8) | px[2];
    return true;
}

}  // namespace qel
