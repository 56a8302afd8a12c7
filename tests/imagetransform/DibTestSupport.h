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
const Format& Bgra();  // 32-bit BI_RGB
const Format& Bgr();   // 24-bit

// A packed DIB in a vector: 40-byte header, masks, table and rows filled with random values.
std::vector<uint8_t> MakeDib(int width, int height, const Format& format, bool topDown, std::mt19937& rng);
inline BITMAPINFOHEADER* Header(std::vector<uint8_t>& dib) { return reinterpret_cast<BITMAPINFOHEADER*>(dib.data()); }
inline const BITMAPINFOHEADER* Header(const std::vector<uint8_t>& dib) {
    return reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
}

// Byte offset of the rows and bytes per row, by the textbook rule (kept apart from the library's code).
size_t BitsOffset(const BITMAPINFOHEADER* dib);
size_t Stride(const BITMAPINFOHEADER* dib);
// A row counted from the top, and the stored value of a pixel at any depth.
const uint8_t* RowAt(const BITMAPINFOHEADER* dib, int y);
unsigned StoredPixel(const BITMAPINFOHEADER* dib, int x, int y);

// A bitmap or a packed DIB as GDI reads it into 32 bits: top-down BGRX values.
std::vector<uint32_t> RenderWithGdi(HBITMAP bitmap, int width, int height);
std::vector<uint32_t> RenderWithGdi(const BITMAPINFOHEADER* dib);
// The pixels of a 32-bit DIB, top-down.
std::vector<uint32_t> Pixels32(const BITMAPINFOHEADER* dib);

}  // namespace dibtest
