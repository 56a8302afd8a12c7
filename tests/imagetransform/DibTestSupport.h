#pragma once
// Packed DIBs for the transform-library tests, and GDI's own reading of them as the reference.
#include <windows.h>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <QelImageTransform.h>

namespace dibtest {

using OwnedDib = std::unique_ptr<BITMAPINFOHEADER, decltype(&QelImageTransform::ReleaseDIB)>;
inline OwnedDib Own(BITMAPINFOHEADER* dib) { return OwnedDib(dib, &QelImageTransform::ReleaseDIB); }

struct Format {
    const char* name;
    int bits;
    DWORD compression;
    DWORD masks[3];  // red, green, blue, for BI_BITFIELDS
    unsigned clrUsed;
};
// Every depth and compression the library takes, with several mask layouts and short colour tables.
const std::vector<Format>& AllFormats();

// A packed DIB in a vector: 40-byte header, masks, table and rows filled with random values.
std::vector<uint8_t> MakeDib(int width, int height, const Format& format, bool topDown, std::mt19937& rng);
inline BITMAPINFOHEADER* Header(std::vector<uint8_t>& dib) { return reinterpret_cast<BITMAPINFOHEADER*>(dib.data()); }

// Byte offset of the rows and bytes per row, by the textbook rule (kept apart from the library's code).
size_t BitsOffset(const BITMAPINFOHEADER* dib);
size_t Stride(const BITMAPINFOHEADER* dib);
// A row counted from the top.
const uint8_t* RowAt(const BITMAPINFOHEADER* dib, int y);

// The DIB drawn by GDI into a 32-bit DIB section: top-down BGRX values.
std::vector<uint32_t> RenderWithGdi(const BITMAPINFOHEADER* dib);
// The same for a bitmap handle, copied with BitBlt.
std::vector<uint32_t> RenderWithGdi(HBITMAP bitmap, int width, int height);
// The pixels of a 32-bit DIB, top-down.
std::vector<uint32_t> Pixels32(const BITMAPINFOHEADER* dib);

}  // namespace dibtest
