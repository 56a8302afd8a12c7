#include "DibOps.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "PixelConvert.h"

namespace QelImageTransform {

namespace {

uint8_t* Bytes(BITMAPINFOHEADER* dib) { return reinterpret_cast<uint8_t*>(dib); }
const uint8_t* Bytes(const BITMAPINFOHEADER* dib) { return reinterpret_cast<const uint8_t*>(dib); }

// Distinct blocks that share bytes cannot be read and written in one pass.
bool PartlyOverlap(const uint8_t* a, size_t aSize, const uint8_t* b, size_t bSize) {
    if (a == b) return false;
    const auto pa = reinterpret_cast<uintptr_t>(a), pb = reinterpret_cast<uintptr_t>(b);
    return pa < pb + bSize && pb < pa + aSize;
}

unsigned PixelAt(const uint8_t* row, int64_t x, int bitCount) {
    if (bitCount == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
}

void SetPixelAt(uint8_t* row, int64_t x, int bitCount, unsigned value) {
    if (bitCount == 1) {
        const int shift = 7 - static_cast<int>(x & 7);
        row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1u << shift)) | (value << shift));
    } else {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15u << shift)) | (value << shift));
    }
}

}  // namespace

BITMAPINFOHEADER* AllocateDib(const DibLayout& layout, const BITMAPINFOHEADER& header, bool zeroed) {
    uint8_t* block = zeroed ? new (std::nothrow) uint8_t[layout.totalBytes]() : new (std::nothrow) uint8_t[layout.totalBytes];
    if (!block) return nullptr;
    if (!zeroed) std::memset(block, 0, layout.bitsOffset);
    std::memcpy(block, &header, sizeof(header));
    return reinterpret_cast<BITMAPINFOHEADER*>(block);
}

void FreeDib(BITMAPINFOHEADER* dib) { delete[] reinterpret_cast<uint8_t*>(dib); }

BITMAPINFOHEADER* CreateDib(int width, int height, int bitCount, int colorsUsed) {
    if (colorsUsed < 0) return nullptr;
    DibLayout layout;
    BITMAPINFOHEADER header;
    if (!PlanDib(width, height, bitCount, BI_RGB, static_cast<unsigned>(colorsUsed), layout, header)) return nullptr;
    BITMAPINFOHEADER* dib = AllocateDib(layout, header, true);
    if (!dib) return nullptr;
    const unsigned n = layout.tableEntries;
    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(Bytes(dib) + layout.tableOffset);
    for (unsigned i = 0; i < n; ++i) {
        const auto grey = static_cast<BYTE>(n > 1 ? i * 255 / (n - 1) : 0);
        table[i] = RGBQUAD{grey, grey, grey, 0};
    }
    return dib;
}

BITMAPINFOHEADER* ConvertTo32(const BITMAPINFOHEADER* source, BITMAPINFOHEADER* target, uint8_t alpha,
                              bool keepSourceAlpha) {
    DibLayout from;
    if (!ReadLayout(source, from)) return nullptr;
    RowConverter converter;
    if (!converter.Init(Bytes(source), from, alpha, keepSourceAlpha)) return nullptr;

    DibLayout to;
    BITMAPINFOHEADER* result = target;
    // The converter stores whole 32-bit pixels. A given target's rows are unaligned when its biSize is no
    // multiple of 4 (found by the fuzzer, in place as well): they are converted into an aligned row first.
    std::unique_ptr<uint32_t[]> staging;
    if (target) {
        if (!ReadLayout(target, to) || to.bitCount != 32 || to.compression != BI_RGB || to.width != from.width ||
            to.height != from.height || PartlyOverlap(Bytes(source), from.totalBytes, Bytes(target), to.totalBytes))
            return nullptr;
        if (reinterpret_cast<uintptr_t>(Bytes(target) + to.bitsOffset) % alignof(uint32_t) != 0) {
            staging.reset(new (std::nothrow) uint32_t[static_cast<size_t>(to.width)]);
            if (!staging) return nullptr;
        }
    } else {
        BITMAPINFOHEADER header;
        if (!PlanDib(from.width, from.height, 32, BI_RGB, 0, to, header)) return nullptr;
        result = AllocateDib(to, header, false);
        if (!result) return nullptr;
    }
    for (int y = 0; y < from.height; ++y) {
        uint8_t* row = to.Row(Bytes(result), y);
        if (!staging) {
            converter.Convert(from.Row(Bytes(source), y), reinterpret_cast<uint32_t*>(row));
            continue;
        }
        converter.Convert(from.Row(Bytes(source), y), staging.get());
        std::memcpy(row, staging.get(), static_cast<size_t>(to.width) * sizeof(uint32_t));
    }
    return result;
}

bool FillAlpha(BITMAPINFOHEADER* dib, const RECT* rects, size_t count, uint8_t alpha) {
    DibLayout layout;
    if (!ReadLayout(dib, layout) || !HasAlphaByte(Bytes(dib), layout)) return false;
    for (size_t i = 0; i < count; ++i) {
        const RECT& r = rects[i];
        const LONG left = std::max<LONG>(r.left, 0), right = std::min<LONG>(r.right, layout.width);
        const LONG top = std::max<LONG>(r.top, 0), bottom = std::min<LONG>(r.bottom, layout.height);
        if (left >= right) continue;
        for (LONG y = top; y < bottom; ++y)
            SetAlphaBytes(layout.Row(Bytes(dib), y) + static_cast<size_t>(left) * 4, static_cast<size_t>(right - left), alpha);
    }
    return true;
}

Span ClipBlockAxis(int64_t targetOrigin, int64_t targetSize, int64_t sourceOrigin, int64_t sourceSize) {
    // Target coordinate t reads source coordinate t + offset.
    const int64_t offset = sourceOrigin - targetOrigin;
    Span span;
    span.first = std::max({targetOrigin, int64_t{0}, -offset});
    span.last = std::min(targetSize, sourceSize - offset);
    return span;
}

bool CopyBlock(BITMAPINFOHEADER* target, POINT sourceOrigin, const BITMAPINFOHEADER* source, POINT targetOrigin) {
    DibLayout to, from;
    if (!ReadLayout(target, to) || !ReadLayout(source, from) || to.bitCount != from.bitCount ||
        PartlyOverlap(Bytes(source), from.totalBytes, Bytes(target), to.totalBytes))
        return false;
    const Span xs = ClipBlockAxis(targetOrigin.x, to.width, sourceOrigin.x, from.width);
    const Span ys = ClipBlockAxis(targetOrigin.y, to.height, sourceOrigin.y, from.height);
    if (xs.Empty() || ys.Empty()) return true;
    const int64_t dx = int64_t{sourceOrigin.x} - targetOrigin.x, dy = int64_t{sourceOrigin.y} - targetOrigin.y;
    const int bits = to.bitCount;
    // Within one image the rows and pixels are walked away from the direction of the move.
    const bool upward = dy < 0, leftward = dx < 0;
    for (int64_t i = 0; i < ys.last - ys.first; ++i) {
        const int64_t y = upward ? ys.last - 1 - i : ys.first + i;
        uint8_t* dst = to.Row(Bytes(target), static_cast<int>(y));
        const uint8_t* src = from.Row(Bytes(source), static_cast<int>(y + dy));
        if (bits >= 8) {
            const size_t bytes = static_cast<size_t>(bits / 8);
            std::memmove(dst + static_cast<size_t>(xs.first) * bytes, src + static_cast<size_t>(xs.first + dx) * bytes,
                         static_cast<size_t>(xs.last - xs.first) * bytes);
            continue;
        }
        for (int64_t j = 0; j < xs.last - xs.first; ++j) {
            const int64_t x = leftward ? xs.last - 1 - j : xs.first + j;
            SetPixelAt(dst, x, bits, PixelAt(src, x + dx, bits));
        }
    }
    return true;
}

}  // namespace QelImageTransform
