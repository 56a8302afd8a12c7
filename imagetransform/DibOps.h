#pragma once
// The library's operations on packed DIBs in memory. No device calls: the exported wrappers add those.
#include <windows.h>
#include <cstdint>

#include "DibLayout.h"

namespace QelImageTransform {

// A new block of layout.totalBytes with header at its start; zeroed says whether the rest is cleared.
// Null when memory is short.
BITMAPINFOHEADER* AllocateDib(const DibLayout& layout, const BITMAPINFOHEADER& header, bool zeroed);
void FreeDib(BITMAPINFOHEADER* dib);

// A zeroed bottom-up DIB; at 8 bits or less with a grey-ramp colour table of colorsUsed entries.
BITMAPINFOHEADER* CreateDib(int width, int height, int bitCount, int colorsUsed);

BITMAPINFOHEADER* ConvertTo32(const BITMAPINFOHEADER* source, BITMAPINFOHEADER* target, uint8_t alpha,
                              bool keepSourceAlpha);

// Sets the alpha byte inside each rectangle, clipped to the image. False when dib cannot carry alpha.
bool FillAlpha(BITMAPINFOHEADER* dib, const RECT* rects, size_t count, uint8_t alpha);

bool CopyBlock(BITMAPINFOHEADER* target, POINT sourceOrigin, const BITMAPINFOHEADER* source, POINT targetOrigin);

// The span [first, last) of target coordinates a block copy writes along one axis.
struct Span {
    int64_t first = 0;
    int64_t last = 0;
    bool Empty() const { return first >= last; }
};
Span ClipBlockAxis(int64_t targetOrigin, int64_t targetSize, int64_t sourceOrigin, int64_t sourceSize);

}  // namespace QelImageTransform
