#include "pixels/PixelRows.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace PixelRows {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kTransparentWhite = 0x00FFFFFFu;

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

}  // namespace

void OpaqueFromBgr24(const uint8_t* src, uint32_t* dst, int width) {
    int x = 0;
    // Four pixels are twelve bytes: three loads and four stores. The last pixels are read byte by byte,
    // so that no load reaches past the row.
    for (; x + 4 <= width; x += 4, src += 12) {
        const uint32_t p0 = Load32(src), p1 = Load32(src + 4), p2 = Load32(src + 8);
        dst[x] = p0 | kOpaque;
        dst[x + 1] = (p0 >> 24) | (p1 << 8) | kOpaque;
        dst[x + 2] = (p1 >> 16) | (p2 << 16) | kOpaque;
        dst[x + 3] = (p2 >> 8) | kOpaque;
    }
    for (; x < width; ++x, src += 3) dst[x] = src[0] | uint32_t{src[1]} << 8 | uint32_t{src[2]} << 16 | kOpaque;
}

void OpaqueFromBgrx32(const uint8_t* src, uint32_t* dst, int width) {
    for (int x = 0; x < width; ++x) dst[x] = Load32(src + 4 * x) | kOpaque;
}

namespace {

uint32_t PixelOverBlack(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    uint32_t out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) out |= ((argb >> shift & 0xFF) * a + 127) / 255 << shift;
    return out;
}

}  // namespace

void OverBlack(const uint8_t* src, uint32_t* dst, int width) {
    int x = 0;
#ifdef __SSE2__
    // Four at a time while each is opaque or fully transparent: kept, or zero.
    const __m128i opaqueAlpha = _mm_set1_epi32(static_cast<int>(kOpaque));
    for (; x + 4 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        const __m128i alpha = _mm_and_si128(v, opaqueAlpha);
        const __m128i opaque = _mm_cmpeq_epi32(alpha, opaqueAlpha);
        const __m128i clear = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
        if (_mm_movemask_epi8(_mm_or_si128(opaque, clear)) != 0xFFFF) {
            for (int k = 0; k < 4; ++k) dst[x + k] = PixelOverBlack(Load32(src + 4 * (x + k)));
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_and_si128(v, opaque));
    }
#endif
    for (; x < width; ++x) dst[x] = PixelOverBlack(Load32(src + 4 * x));
}

size_t CountRgb(const uint8_t* row, int width, int bytesPerPixel, uint32_t rgb) {
    rgb &= 0xFFFFFFu;
    size_t count = 0;
    if (bytesPerPixel == 4) {
        int x = 0;
#ifdef __SSE2__
        // Each lane of hits counts down by one per match; a lane cannot wrap within 2^31 pixels.
        const __m128i keep = _mm_set1_epi32(0xFFFFFF), wanted = _mm_set1_epi32(static_cast<int>(rgb));
        __m128i hits = _mm_setzero_si128();
        for (; x + 4 <= width; x += 4) {
            const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x)), keep);
            hits = _mm_sub_epi32(hits, _mm_cmpeq_epi32(v, wanted));
        }
        uint32_t lanes[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), hits);
        count = size_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
#endif
        for (; x < width; ++x) count += (Load32(row + 4 * x) & 0xFFFFFFu) == rgb;
        return count;
    }
    const uint8_t b = rgb & 0xFF, g = rgb >> 8 & 0xFF, r = rgb >> 16 & 0xFF;
    for (int x = 0; x < width; ++x, row += 3) count += (row[0] == b) & (row[1] == g) & (row[2] == r);
    return count;
}

void KeepOnlySpans(uint32_t* row, int width, const Span* spans, size_t count) {
    int x = 0;
    for (size_t i = 0; i < count; ++i) {
        const int first = std::clamp(spans[i].first, x, width), last = std::clamp(spans[i].last, first, width);
        std::fill(row + x, row + first, kTransparentWhite);
        for (int k = first; k < last; ++k) row[k] |= kOpaque;
        x = last;
    }
    std::fill(row + x, row + width, kTransparentWhite);
}

}  // namespace PixelRows
