#pragma once
// Stateless operations on GDI+ images shared by the capture model and the screen and window copies.
// A returned object belongs to the caller.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <memory>

namespace ImageHelpers {

// A copy of image cropped to rect (clipped in place to the image). Null when the image is not a bitmap,
// is empty, or the clipped rectangle has no width or no height.
std::unique_ptr<Gdiplus::Bitmap> CropImage(Gdiplus::Image* image, Gdiplus::Rect& rect);

// A copy of area in format (0 = choose from the image's own format); an area without width or height
// means the whole image, other areas are clipped to it. Formats other than 32-bit (P)ARGB/RGB and
// 24-bit RGB become 32-bit ARGB when they carry alpha, else 24-bit RGB; alpha dropped by the target
// format is composed onto white. Resolution and property items are kept. Null on failure or when the
// area misses the image.
Gdiplus::Bitmap* CloneArea(Gdiplus::Image* image, Gdiplus::PixelFormat format, Gdiplus::Rect area);

// A 32-bit ARGB bitmap cleared to *color, or to transparent white without one. format is not read.
Gdiplus::Bitmap* CreateEmptyBitmap(int width, int height, Gdiplus::PixelFormat format, const Gdiplus::ARGB* color,
                                   float dpiX, float dpiY);

// Pixels whose red, green and blue equal those of color; alpha is ignored. 0 for a non-bitmap.
unsigned CountColor(Gdiplus::Image* image, Gdiplus::ARGB color);

// A new 32-bit packed DIB, bottom-up, the size of the path's bounds (each side rounded half up), holding
// source's pixels inside the path, both moved by minus the bounds' corner. Every other pixel, and every
// part of the path beyond source, is fully transparent; edge pixels are blended. Null when it cannot be
// made or the fill fails. The caller owns the DIB (ReleaseDIB).
BITMAPINFOHEADER* CutAlongPath(Gdiplus::Image* source, const Gdiplus::GraphicsPath& path);

// True when the four corners (x, y) .. (x + width, y + height) are all inside region.
bool RegionContainsRectangle(Gdiplus::Region* region, int x, int y, int width, int height);

}  // namespace ImageHelpers
