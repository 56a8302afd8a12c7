#include "DibTestSupport.h"

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

size_t Stride(const BITMAPINFOHEADER* dib) { return ((size_t(dib->biWidth) * dib->biBitCount + 31) / 32) * 4; }

size_t BitsOffset(const BITMAPINFOHEADER* dib) {
    size_t offset = dib->biSize;
    if (dib->biCompression == BI_BITFIELDS) offset += 12;
    if (dib->biBitCount <= 8) offset += 4 * (dib->biClrUsed ? dib->biClrUsed : (1u << dib->biBitCount));
    return offset;
}

const uint8_t* RowAt(const BITMAPINFOHEADER* dib, int y) {
    const int rows = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    const int stored = dib->biHeight < 0 ? y : rows - 1 - y;
    return reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib) + size_t(stored) * Stride(dib);
}

std::vector<uint8_t> MakeDib(int width, int height, const Format& format, bool topDown, std::mt19937& rng) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biPlanes = 1;
    h.biBitCount = WORD(format.bits);
    h.biCompression = format.compression;
    h.biClrUsed = format.clrUsed;
    const size_t bits = BitsOffset(&h);
    std::vector<uint8_t> dib(bits + Stride(&h) * size_t(height));
    for (auto& b : dib) b = uint8_t(rng());
    std::memcpy(dib.data(), &h, sizeof(h));
    if (format.compression == BI_BITFIELDS) std::memcpy(dib.data() + sizeof(h), format.masks, 12);
    return dib;
}

namespace {

// A top-down 32-bit DIB section, zeroed, selected into a memory DC for the life of the object.
struct Canvas {
    int width, height;
    void* bits = nullptr;
    qel::UniqueHdc dc{::CreateCompatibleDC(nullptr)};
    qel::UniqueHbitmap bitmap;
    std::unique_ptr<qel::SelectScope> selection;

    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap.reset(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bitmap) std::memset(bits, 0, size_t(w) * h * 4);
        selection = std::make_unique<qel::SelectScope>(dc.get(), bitmap.get());
    }
    std::vector<uint32_t> Pixels() const {
        ::GdiFlush();
        if (!bits) return {};
        const auto* p = static_cast<const uint32_t*>(bits);
        return std::vector<uint32_t>(p, p + size_t(width) * height);
    }
};

}  // namespace

std::vector<uint32_t> RenderWithGdi(const BITMAPINFOHEADER* dib) {
    const int w = dib->biWidth, h = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    Canvas canvas(w, h);
    const auto* bits = reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib);
    if (::StretchDIBits(canvas.dc.get(), 0, 0, w, h, 0, 0, w, h, bits, reinterpret_cast<const BITMAPINFO*>(dib),
                        DIB_RGB_COLORS, SRCCOPY) != h)
        return {};
    return canvas.Pixels();
}

std::vector<uint32_t> RenderWithGdi(HBITMAP bitmap, int width, int height) {
    Canvas canvas(width, height);
    qel::UniqueHdc source(::CreateCompatibleDC(nullptr));
    qel::SelectScope select(source.get(), bitmap);
    if (!::BitBlt(canvas.dc.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) return {};
    return canvas.Pixels();
}

std::vector<uint32_t> Pixels32(const BITMAPINFOHEADER* dib) {
    const int w = dib->biWidth, h = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(&pixels[size_t(y) * w], RowAt(dib, y), size_t(w) * 4);
    return pixels;
}

}  // namespace dibtest
