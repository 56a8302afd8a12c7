#pragma once
// Where the parts of a packed DIB lie, checked before any pixel is touched. No device calls here.
#include <windows.h>
#include <cstddef>
#include <cstdint>

namespace QelImageTransform {

// Bounds a header must stay within to be believed.
constexpr DWORD kMinHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr DWORD kMaxHeaderSize = 124;  // the largest header version there is
constexpr DWORD kMaskBytes = 3 * sizeof(DWORD);  // red, green and blue masks of BI_BITFIELDS
constexpr uint64_t kMaxDibBytes = uint64_t{1} << 30;

struct DibLayout {
    int width = 0;
    int height = 0;  // rows, always above 0
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    size_t stride = 0;  // bytes per row, a multiple of 4
    size_t maskOffset = 0;  // from the block's start, always 40; meaningful with BI_BITFIELDS
    size_t tableOffset = 0;
    unsigned tableEntries = 0;
    size_t bitsOffset = 0;
    size_t imageBytes = 0;
    size_t totalBytes = 0;

    // Row y counted from the top of the image.
    uint8_t* Row(uint8_t* block, int y) const {
        const int stored = topDown ? y : height - 1 - y;
        return block + bitsOffset + static_cast<size_t>(stored) * stride;
    }
    const uint8_t* Row(const uint8_t* block, int y) const { return Row(const_cast<uint8_t*>(block), y); }
};

// Bytes per row for width pixels at bitCount, padded to 4; 0 when width or bitCount is not positive.
uint64_t RowStride(int64_t width, int bitCount);

// Fills layout from header when the header describes a DIB this library handles; false otherwise.
bool ReadLayout(const BITMAPINFOHEADER* header, DibLayout& layout);

// The layout and header of a new bottom-up DIB with a 40-byte header; false when the values are not
// acceptable. tableEntries 0 means 2^bitCount at 8 bits or less.
bool PlanDib(int width, int height, int bitCount, DWORD compression, unsigned tableEntries, DibLayout& layout,
             BITMAPINFOHEADER& header);

// Three colour masks of a BI_BITFIELDS DIB, or the implied ones of a BI_RGB DIB above 8 bits.
struct ColorMasks {
    DWORD red = 0, green = 0, blue = 0;
};
ColorMasks ReadMasks(const uint8_t* block, const DibLayout& layout);

// A 32-bit DIB whose top byte no colour mask uses, so it can carry alpha.
bool HasAlphaByte(const uint8_t* block, const DibLayout& layout);

}  // namespace QelImageTransform
