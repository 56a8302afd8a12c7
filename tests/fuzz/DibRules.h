#pragma once
// Packed-DIB arithmetic by the textbook rules, written apart from the transform library so that the fuzz
// targets hold the library to it and the corpus program writes DIBs by it. A packed DIB: biSize bytes of
// header; three DWORD masks after a 40-byte BI_BITFIELDS header (larger headers hold them in their bytes
// 40 to 52); a colour table at 8 bits or less (biClrUsed entries, or 2^bits); rows padded to 4 bytes.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace dibrules {

constexpr uint64_t kMaxBytes = uint64_t{1} << 30;  // the library's bound on a block

inline uint64_t Stride(int64_t width, int bits) { return (static_cast<uint64_t>(width) * bits + 31) / 32 * 4; }

struct Layout {
    bool valid = false;
    bool topDown = false;
    int width = 0;
    int rows = 0;
    int bits = 0;
    uint64_t stride = 0;
    unsigned table = 0;       // colour-table entries
    uint64_t tableOffset = 0;
    uint64_t bitsOffset = 0;
    uint64_t total = 0;       // the whole block
};

// What the header promises; not valid for a header the library must refuse. Only the 40 bytes of
// BITMAPINFOHEADER are read.
inline Layout Read(const BITMAPINFOHEADER& h) {
    Layout l;
    const int b = h.biBitCount;
    const bool masks = h.biCompression == BI_BITFIELDS && (b == 16 || b == 32);
    if (h.biSize < 40 || h.biSize > 124 || h.biWidth <= 0 || h.biHeight == 0) return l;
    if (h.biCompression != BI_RGB && !masks) return l;
    if (masks && h.biSize > 40 && h.biSize < 52) return l;  // the masks would straddle the header's end
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return l;
    if (b <= 8 && h.biClrUsed > (1u << b)) return l;
    const uint64_t rows = h.biHeight < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(h.biHeight)) : static_cast<uint64_t>(h.biHeight);
    const uint64_t stride = Stride(h.biWidth, b);
    if (stride > kMaxBytes || rows > kMaxBytes) return l;
    const uint64_t image = stride * rows;
    if (h.biSizeImage != 0 && h.biSizeImage < image) return l;
    l.table = b <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << b) : 0;
    l.tableOffset = h.biSize + (masks && h.biSize == 40 ? 12 : 0);
    l.bitsOffset = l.tableOffset + 4ull * l.table;
    if (image > kMaxBytes || l.bitsOffset + image > kMaxBytes) return l;
    l.total = l.bitsOffset + image;
    l.width = h.biWidth;
    l.rows = static_cast<int>(rows);
    l.bits = b;
    l.stride = stride;
    l.topDown = h.biHeight < 0;
    l.valid = true;
    return l;
}

inline const BITMAPINFOHEADER& Header(const uint8_t* block) { return *reinterpret_cast<const BITMAPINFOHEADER*>(block); }

// Row y counted from the top.
inline const uint8_t* Row(const uint8_t* block, const Layout& l, int y) {
    return block + l.bitsOffset + static_cast<uint64_t>(l.topDown ? y : l.rows - 1 - y) * l.stride;
}

// The pixel as stored: an index below 8 bits, else the little-endian value of its bytes.
inline uint32_t StoredPixel(const uint8_t* block, const Layout& l, int x, int y) {
    const uint8_t* row = Row(block, l, y);
    if (l.bits < 8) {
        const int bit = x * l.bits;
        return (row[bit / 8] >> (8 - l.bits - bit % 8)) & ((1u << l.bits) - 1);
    }
    uint32_t v = 0;
    std::memcpy(&v, row + static_cast<size_t>(x) * (l.bits / 8), static_cast<size_t>(l.bits / 8));
    return v;
}

// Colour-table entry i without its reserved byte; black past the table.
inline uint32_t TableColour(const uint8_t* block, const Layout& l, uint32_t i) {
    if (i >= l.table) return 0;
    uint32_t v;
    std::memcpy(&v, block + l.tableOffset + 4ull * i, 4);
    return v & 0xFFFFFF;
}

// The red, green and blue masks: read at byte 40 for BI_BITFIELDS, the implied ones otherwise.
inline void Masks(const uint8_t* block, const Layout& l, DWORD out[3]) {
    if (Header(block).biCompression == BI_BITFIELDS) {
        std::memcpy(out, block + 40, 12);
    } else if (l.bits == 16) {
        out[0] = 0x7C00, out[1] = 0x03E0, out[2] = 0x001F;
    } else {
        out[0] = 0xFF0000, out[1] = 0x00FF00, out[2] = 0x0000FF;
    }
}

}  // namespace dibrules
