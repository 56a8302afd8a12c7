#include "DibTestSupport.h"

#include <cstdlib>
#include <cstring>

#include "Handles.h"

namespace dibtest {

const std::vector<Format>& AllFormats() {
    static const std::vector<Format> formats = {
        {"1bpp", 1, BI_RGB, {}, 0},
        {"1bpp-1colour", 1, BI_RGB, {}, 1},
        {"4bpp", 4, BI_RGB, {}, 0},
        {"4bpp-5colours", 4, BI_RGB, {}, 5},
        {"8bpp", 8, BI_RGB, {}, 0},
        {"8bpp-20colours", 8, BI_RGB, {}, 20},
        {"16bpp-555", 16, BI_RGB, {}, 0},
        {"16bpp-565", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0},
        {"16bpp-444", 16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}, 0},
        {"16bpp-bgr555", 16, BI_BITFIELDS, {0x001F, 0x03E0, 0x7C00}, 0},
        {"24bpp", 24, BI_RGB, {}, 0},
        {"32bpp", 32, BI_RGB, {}, 0},
        {"32bpp-fields888", 32, BI_BITFIELDS, {0xFF0000, 0x00FF00, 0x0000FF}, 0},
        {"32bpp-fieldsBGR", 32, BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}, 0},
        {"32bpp-fields101010", 32, BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0},
    };
    return formats;
}
const Format& Bgr() { return AllFormats()[10]; }
const Format& Bgra() { return AllFormats()[11]; }

size_t Stride(const BITMAPINFOHEADER* dib) { return ((size_t(dib->biWidth) * dib->biBitCount + 31) / 32) * 4; }

size_t BitsOffset(const BITMAPINFOHEADER* dib) {
    size_t offset = dib->biSize;
    if (dib->biCompression == BI_BITFIELDS) offset += 12;
    if (dib->biBitCount <= 8) offset += 4 * (dib->biClrUsed ? dib->biClrUsed : (1u << dib->biBitCount));
    return offset;
}

const uint8_t* RowAt(const BITMAPINFOHEADER* dib, int y) {
    const int stored = dib->biHeight < 0 ? y : dib->biHeight - 1 - y;
    return reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib) + size_t(stored) * Stride(dib);
}

unsigned StoredPixel(const BITMAPINFOHEADER* dib, int x, int y) {
    const uint8_t* row = RowAt(dib, y);
    const int b = dib->biBitCount;
    if (b < 8) return (row[x * b / 8] >> (8 - b - x * b % 8)) & ((1u << b) - 1);
    unsigned v = 0;
    std::memcpy(&v, row + size_t(x) * (b / 8), b / 8);
    return v;
}

std::vector<uint8_t> MakeDib(int width, int height, const Format& format, bool topDown, std::mt19937& rng) {
    const BITMAPINFOHEADER h{sizeof(h), width, topDown ? -height : height, 1, WORD(format.bits), format.compression,
                             0, 0, 0, format.clrUsed, 0};
    std::vector<uint8_t> dib(BitsOffset(&h) + Stride(&h) * size_t(height));
    for (auto& b : dib) b = uint8_t(rng());
    std::memcpy(dib.data(), &h, sizeof(h));
    if (format.compression == BI_BITFIELDS) std::memcpy(dib.data() + sizeof(h), format.masks, 12);
    return dib;
}

std::vector<uint32_t> RenderWithGdi(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(width) * height);
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (::GetDIBits(dc.get(), bitmap, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS) != height) return {};
    return pixels;
}

std::vector<uint32_t> RenderWithGdi(const BITMAPINFOHEADER* dib) {
    const int w = dib->biWidth, h = std::abs(dib->biHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::UniqueHbitmap canvas(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const auto* rows = reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib);
    if (!canvas || ::SetDIBits(dc.get(), canvas.get(), 0, UINT(h), rows, reinterpret_cast<const BITMAPINFO*>(dib),
                               DIB_RGB_COLORS) != h)
        return {};
    return RenderWithGdi(canvas.get(), w, h);
}

std::vector<uint32_t> Pixels32(const BITMAPINFOHEADER* dib) {
    const int w = dib->biWidth, h = std::abs(dib->biHeight);
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(&pixels[size_t(y) * w], RowAt(dib, y), size_t(w) * 4);
    return pixels;
}

}  // namespace dibtest
