// The exported operations that read a bitmap or a region through GDI; the pure DIB work is DibOps'.
#include <QelImageTransform.h>

#include <cstring>
#include <memory>
#include <new>

#include "DibOps.h"
#include "Handles.h"

namespace QelImageTransform {

namespace {

// Room for the largest header GetDIBits may fill: a header with 256 colours or three masks.
struct InfoBuffer {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

BITMAPINFOHEADER* ConvertBitmap(HBITMAP bitmap) {
    if (!bitmap) return nullptr;
    DIBSECTION section{};
    const int got = ::GetObjectW(bitmap, sizeof(section), &section);
    if (got != sizeof(BITMAP) && got != sizeof(DIBSECTION)) return nullptr;
    const BITMAP& bm = section.dsBm;
    const int bitCount = bm.bmBitsPixel * bm.bmPlanes;
    // A DIB section keeps its masks unless they are the plain ones; a device bitmap has none to keep.
    const DWORD* m = section.dsBitfields;
    const bool plain = bitCount == 16 ? m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F
                                      : m[0] == 0xFF0000 && m[1] == 0x00FF00 && m[2] == 0x0000FF;
    const bool masked = got == sizeof(DIBSECTION) && section.dsBmih.biCompression == BI_BITFIELDS &&
                        (bitCount == 16 || bitCount == 32) && !plain;
    DibLayout layout;
    BITMAPINFOHEADER header;
    if (!PlanDib(bm.bmWidth, bm.bmHeight, bitCount, masked ? BI_BITFIELDS : BI_RGB, 0, layout, header)) return nullptr;

    std::unique_ptr<BITMAPINFOHEADER, decltype(&FreeDib)> dib(AllocateDib(layout, header, false), &FreeDib);
    if (!dib) return nullptr;
    uint8_t* block = reinterpret_cast<uint8_t*>(dib.get());
    auto info = std::make_unique<InfoBuffer>();
    info->header = header;
    if (masked) std::memcpy(info->colors, section.dsBitfields, sizeof(section.dsBitfields));
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    const int lines = ::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(layout.height), block + layout.bitsOffset,
                                  reinterpret_cast<BITMAPINFO*>(info.get()), DIB_RGB_COLORS);
    // The bits are only right in the format asked for.
    if (lines != layout.height || info->header.biBitCount != bitCount || info->header.biCompression != header.biCompression)
        return nullptr;
    // The copy need not write the padding at the end of each row; nothing of the heap's may show there.
    const size_t used = (static_cast<size_t>(layout.width) * static_cast<size_t>(bitCount) + 7) / 8;
    for (int y = 0; y < layout.height && used < layout.stride; ++y)
        std::memset(block + layout.bitsOffset + static_cast<size_t>(y) * layout.stride + used, 0, layout.stride - used);
    if (masked) std::memcpy(block + layout.maskOffset, info->colors, 3 * sizeof(DWORD));
    if (layout.tableEntries)
        std::memcpy(block + layout.tableOffset, info->colors, layout.tableEntries * sizeof(RGBQUAD));
    return dib.release();
}

bool FillRegion(BITMAPINFOHEADER* dib, HRGN region, uint8_t alpha) {
    if (!region) return false;
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return false;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
    if (!buffer) return false;
    auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
    if (::GetRegionData(region, size, data) == 0) return false;
    const uint64_t rectBytes = uint64_t{data->rdh.nCount} * sizeof(RECT);
    if (data->rdh.dwSize < sizeof(RGNDATAHEADER) || data->rdh.dwSize + rectBytes > size) return false;
    return FillAlpha(dib, reinterpret_cast<const RECT*>(buffer.get() + data->rdh.dwSize), data->rdh.nCount, alpha);
}

}  // namespace

// No exception may leave the library: every entry point ends in a catch-all.

BITMAPINFOHEADER* CBitmapConverter::ConvertDDBToDIB(HBITMAP bitmap) {
    try {
        return ConvertBitmap(bitmap);
    } catch (...) {
        return nullptr;
    }
}

bool CDIB32::Fill32DIBOpacityArea(BITMAPINFOHEADER* dib, HRGN region, BYTE alpha) {
    try {
        return FillRegion(dib, region, alpha);
    } catch (...) {
        return false;
    }
}

}  // namespace QelImageTransform
