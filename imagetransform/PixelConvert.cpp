#include "PixelConvert.h"

#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define QEL_HAVE_SSSE3_PATH 1
#endif
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace QelImageTransform {

namespace {

#ifdef QEL_HAVE_SSSE3_PATH
// Four 3-byte pixels spread to four 4-byte ones by one byte shuffle. Each 16-byte load must stay inside
// the row, so the vector loop stops six pixels before its end and the scalar loop takes the rest.
__attribute__((target("ssse3"))) int Rgb24ToBgra(const uint8_t* src, uint32_t* dst, int width, uint32_t alpha) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i a = _mm_set1_epi32(static_cast<int>(alpha));
    int x = 0;
    for (; x + 6 <= width; x += 4, src += 12) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_or_si128(_mm_shuffle_epi8(in, spread), a));
    }
    return x;
}

bool CpuHasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}
#else
int Rgb24ToBgra(const uint8_t*, uint32_t*, int, uint32_t) { return 0; }
bool CpuHasSsse3() { return false; }
#endif

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

// count pixels from src to dst with their top byte replaced by the one in alpha.
void CopyWithAlpha(const uint8_t* src, uint32_t* dst, size_t count, uint32_t alpha) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF), a = _mm_set1_epi32(static_cast<int>(alpha));
    for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_and_si128(v, keep), a));
    }
#endif
    for (; i < count; ++i) dst[i] = (Load32(src + 4 * i) & 0xFFFFFFu) | alpha;
}

}  // namespace

void SetAlphaBytes(uint8_t* pixels, size_t count, uint8_t alpha) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF), a = _mm_set1_epi32(static_cast<int>(uint32_t{alpha} << 24));
    for (; i + 4 <= count; i += 4) {
        auto* p = reinterpret_cast<__m128i*>(pixels + 4 * i);
        _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p), keep), a));
    }
#endif
    for (; i < count; ++i) pixels[4 * i + 3] = alpha;
}

uint8_t WidenField(unsigned value, int bits) {
    if (bits <= 0 || bits > 8) return 0;
    value &= (1u << bits) - 1;
    unsigned result = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits)
        result |= shift >= 0 ? value << shift : value >> -shift;
    return static_cast<uint8_t>(result);
}

MaskField DescribeMask(DWORD mask) {
    MaskField field;
    if (mask == 0) return field;
    while (!(mask & 1)) {
        mask >>= 1;
        ++field.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++field.bits;
    }
    if (field.bits > 8) {
        field.shift += field.bits - 8;
        field.bits = 8;
    }
    return field;
}

bool RowConverter::Init(const uint8_t* block, const DibLayout& layout, uint8_t alpha, bool keepSourceAlpha) {
    if (!block || layout.width <= 0) return false;
    width_ = layout.width;
    alpha_ = uint32_t{alpha} << 24;
    keepAlpha_ = false;
    switch (layout.bitCount) {
        case 1: kind_ = Kind::Indexed1; break;
        case 4: kind_ = Kind::Indexed4; break;
        case 8: kind_ = Kind::Indexed8; break;
        case 24: kind_ = Kind::Rgb24; break;
        case 16: kind_ = Kind::Masked16; break;
        case 32: kind_ = Kind::Masked32; break;
        default: return false;
    }
    if (layout.bitCount <= 8) {
        for (uint32_t& entry : palette_) entry = alpha_;
        const uint8_t* table = block + layout.tableOffset;
        for (unsigned i = 0; i < layout.tableEntries && i < 256; ++i)
            palette_[i] = (Load32(table + i * sizeof(RGBQUAD)) & 0x00FFFFFFu) | alpha_;
        return true;
    }
    if (layout.bitCount == 24) {
        vector24_ = CpuHasSsse3();
        return true;
    }
    const ColorMasks masks = ReadMasks(block, layout);
    if (layout.bitCount == 32 && masks.red == 0xFF0000 && masks.green == 0xFF00 && masks.blue == 0xFF) {
        kind_ = Kind::Bgrx32;
        keepAlpha_ = keepSourceAlpha && layout.compression == BI_RGB;
        return true;
    }
    const DWORD each[3] = {masks.red, masks.green, masks.blue};
    for (int c = 0; c < 3; ++c) {
        fields_[c] = DescribeMask(each[c]);
        for (unsigned v = 0; v < 256; ++v) widen_[c][v] = WidenField(v, fields_[c].bits);
    }
    return true;
}

void RowConverter::Convert(const uint8_t* src, uint32_t* dst) const {
    const int w = width_;
    switch (kind_) {
        case Kind::Indexed1: {
            int x = 0;
            for (; x + 8 <= w; x += 8) {
                const unsigned b = *src++;
                for (int k = 0; k < 8; ++k) dst[x + k] = palette_[(b >> (7 - k)) & 1];
            }
            for (int k = 0; x < w; ++x, ++k) dst[x] = palette_[(*src >> (7 - k)) & 1];
            break;
        }
        case Kind::Indexed4: {
            int x = 0;
            for (; x + 2 <= w; x += 2) {
                const unsigned b = *src++;
                dst[x] = palette_[b >> 4];
                dst[x + 1] = palette_[b & 15];
            }
            if (x < w) dst[x] = palette_[*src >> 4];
            break;
        }
        case Kind::Indexed8:
            for (int x = 0; x < w; ++x) dst[x] = palette_[src[x]];
            break;
        case Kind::Rgb24: {
            // Four pixels are twelve bytes: three loads, four stores.
            const uint32_t a = alpha_;
            int x = vector24_ ? Rgb24ToBgra(src, dst, w, a) : 0;
            src += 3 * x;
            for (; x + 4 <= w; x += 4, src += 12) {
                const uint32_t p0 = Load32(src), p1 = Load32(src + 4), p2 = Load32(src + 8);
                dst[x] = (p0 & 0xFFFFFFu) | a;
                dst[x + 1] = (((p0 >> 24) | (p1 << 8)) & 0xFFFFFFu) | a;
                dst[x + 2] = (((p1 >> 16) | (p2 << 16)) & 0xFFFFFFu) | a;
                dst[x + 3] = (p2 >> 8) | a;
            }
            for (; x < w; ++x, src += 3) dst[x] = src[0] | (uint32_t{src[1]} << 8) | (uint32_t{src[2]} << 16) | a;
            break;
        }
        case Kind::Bgrx32:
            if (keepAlpha_) {
                if (static_cast<const void*>(dst) != src) std::memcpy(dst, src, static_cast<size_t>(w) * 4);
            } else {
                CopyWithAlpha(src, dst, static_cast<size_t>(w), alpha_);
            }
            break;
        case Kind::Masked16: ConvertMasked16(src, dst); break;
        case Kind::Masked32: ConvertMasked32(src, dst); break;
    }
}

void RowConverter::ConvertMasked16(const uint8_t* src, uint32_t* dst) const {
    const int rs = fields_[0].shift, gs = fields_[1].shift, bs = fields_[2].shift;
    const unsigned rm = (1u << fields_[0].bits) - 1, gm = (1u << fields_[1].bits) - 1, bm = (1u << fields_[2].bits) - 1;
    for (int x = 0; x < width_; ++x) {
        const unsigned p = Load16(src + 2 * x);
        dst[x] = widen_[2][(p >> bs) & bm] | (uint32_t{widen_[1][(p >> gs) & gm]} << 8) |
                 (uint32_t{widen_[0][(p >> rs) & rm]} << 16) | alpha_;
    }
}

void RowConverter::ConvertMasked32(const uint8_t* src, uint32_t* dst) const {
    const int rs = fields_[0].shift, gs = fields_[1].shift, bs = fields_[2].shift;
    const uint32_t rm = (1u << fields_[0].bits) - 1, gm = (1u << fields_[1].bits) - 1, bm = (1u << fields_[2].bits) - 1;
    for (int x = 0; x < width_; ++x) {
        const uint32_t p = Load32(src + 4 * x);
        dst[x] = widen_[2][(p >> bs) & bm] | (uint32_t{widen_[1][(p >> gs) & gm]} << 8) |
                 (uint32_t{widen_[0][(p >> rs) & rm]} << 16) | alpha_;
    }
}

}  // namespace QelImageTransform
