#pragma once
// Whole rows of pixels at a time, in loops the compiler can keep tight: the conversions a capture makes
// once per image. No device calls here.
#include <cstddef>
#include <cstdint>

namespace PixelRows {

// width pixels of 24-bit blue, green, red into 32-bit ones with an opaque alpha byte.
void OpaqueFromBgr24(const uint8_t* src, uint32_t* dst, int width);
// width 32-bit pixels copied with their top byte made opaque.
void OpaqueFromBgrx32(const uint8_t* src, uint32_t* dst, int width);

// width 32-bit pixels with straight alpha as drawing them over black leaves them: colour multiplied by
// alpha, alpha kept. Opaque and fully transparent pixels, nearly all of a screen copy, go fastest.
void OverBlack(const uint8_t* src, uint32_t* dst, int width);

// How many of width pixels (3 or 4 bytes each) have the colour rgb (0xRRGGBB); any alpha is ignored.
size_t CountRgb(const uint8_t* row, int width, int bytesPerPixel, uint32_t rgb);

// A half-open span of columns.
struct Span {
    int first;
    int last;
};

// One row of 32-bit pixels: those inside the sorted, disjoint spans made opaque, the rest set to
// transparent white, as the parts of a screen copy that lie on no monitor are.
void KeepOnlySpans(uint32_t* row, int width, const Span* spans, size_t count);

}  // namespace PixelRows
