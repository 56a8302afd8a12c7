#pragma once
// QelImageTransform.dll: static operations on packed DIBs.
//
// A packed DIB is one block: a BITMAPINFOHEADER (biSize bytes), then three DWORD colour masks when
// biCompression is BI_BITFIELDS and biSize is 40 (larger headers, V2 to V5, hold the masks themselves in the
// 12 bytes after the first 40, so a BI_BITFIELDS header of 41 to 51 bytes is refused), then a colour table
// when biBitCount is 8 or less (biClrUsed entries, or 2^biBitCount when that is 0), then the rows, each
// padded to 4 bytes. Accepted: 1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB, and BI_BITFIELDS for 16 and
// 32. Rows are read bottom-up for a positive biHeight and top-down for a negative one; every DIB made here
// is bottom-up.
//
// The operations receive no block size, so the header is taken as the truth about the block and checked
// before any pixel is touched: an inconsistent header (sizes not positive, more than 1 GiB, a biSizeImage
// too small for the rows, an unsupported depth or compression, a colour count past 2^biBitCount, a biSize
// outside 40..124) makes an operation return null or false and leave every block untouched.
//
// A returned DIB belongs to the caller. It is allocated with new BYTE[]: release it with delete[] on a
// BYTE pointer, or with ReleaseDIB from a module built with another runtime.
#include <windows.h>

#include <cstddef>

#if !defined(_WIN32)
// The native build of the pure code (native/): no DLL, the plain types of native/WinTypes.h.
#define QELIMAGETRANSFORM_API
#elif defined(QELIMAGETRANSFORM_BUILD)
#define QELIMAGETRANSFORM_API __declspec(dllexport)
#else
#define QELIMAGETRANSFORM_API __declspec(dllimport)
#endif

namespace QelImageTransform {

class QELIMAGETRANSFORM_API CBitmapCreator {
public:
    CBitmapCreator() = delete;

    // A new DIB of width x height (both above 0) at bitsPerPixel, BI_RGB (16 bits: 5-5-5), every pixel byte
    // 0. At 8 bits or less it has colorsUsed colour-table entries (0: all 2^bitsPerPixel), a grey ramp from
    // black to white; above 8 bits colorsUsed must be 0. Null on failure.
    static BITMAPINFOHEADER* CreateDibImage(int width, int height, int bitsPerPixel, int colorsUsed);
};

class QELIMAGETRANSFORM_API CBitmapConverter {
public:
    CBitmapConverter() = delete;

    // A new DIB with the bitmap's pixels at the bitmap's own depth: a DIB section keeps its colour table
    // or its colour masks; a 16-bit device bitmap comes out as 5-5-5. The bitmap must not be selected into
    // a device context and stays the caller's. Null on failure.
    static BITMAPINFOHEADER* ConvertDDBToDIB(HBITMAP bitmap);
};

class QELIMAGETRANSFORM_API CDIB32 {
public:
    CDIB32() = delete;

    // A new 32-bit BI_RGB DIB, bits right after the 40-byte header, every byte 0. Null on failure.
    static BITMAPINFOHEADER* CreateBlank32BitsDIB(int width, int height);

    // The source's colours at 32 bits per pixel, every pixel's alpha set to alpha; with keepSourceAlpha
    // non-zero a 32-bit BI_RGB source keeps its own alpha bytes instead. target null: a new DIB is returned.
    // Otherwise target must be a 32-bit BI_RGB DIB of the source's width and row count; it is filled and
    // returned. Null on failure, target untouched.
    static BITMAPINFOHEADER* ConvertTo32BitsDIB(const BITMAPINFOHEADER* source, BITMAPINFOHEADER* target, BYTE alpha,
                                                BYTE keepSourceAlpha);

    // Sets the alpha byte of every pixel inside area (image coordinates, origin at the top-left pixel,
    // right and bottom exclusive), clipped to the image; colours stay. False when dib is not a 32-bit DIB
    // with a free alpha byte.
    static bool Fill32DIBOpacityArea(BITMAPINFOHEADER* dib, const RECT& area, BYTE alpha);
    // The same for every pixel inside region (image coordinates); the region stays the caller's.
    static bool Fill32DIBOpacityArea(BITMAPINFOHEADER* dib, HRGN region, BYTE alpha);

    // Copies into target, from targetOrigin on, the block of source that starts at sourceOrigin, as large
    // as the target allows; both origins in image coordinates (top-left origin). Target pixels whose
    // source pixel lies outside the source stay as they are. Both DIBs must have the same bits per pixel;
    // pixels are copied as they are stored. False on failure, target untouched.
    static bool TransformBlock(BITMAPINFOHEADER* target, POINT sourceOrigin, const BITMAPINFOHEADER* source,
                               POINT targetOrigin);
};

// Releases a DIB returned by this library; null is ignored.
extern "C" QELIMAGETRANSFORM_API void ReleaseDIB(BITMAPINFOHEADER* dib);

// Where the rows of a packed DIB start, in bytes from its first byte, by the rule above: biSize, plus 12 for
// the masks of a BI_BITFIELDS DIB with a 40-byte header, plus 4 per colour-table entry at 8 bits or less.
// 0 when the header is not one this library accepts. The one computation of it: callers that find a DIB's
// pixels use this rather than their own.
extern "C" QELIMAGETRANSFORM_API size_t DibBitsOffset(const BITMAPINFOHEADER* dib);

}  // namespace QelImageTransform
