#pragma once
// Conversion of DIB rows to 32-bit BGRA. Set up once per image, then one call per row; no device calls.
#include <cstdint>

#include "DibLayout.h"

namespace QelImageTransform {

// An n-bit colour field (1 <= bits <= 8) widened to 8 bits by repeating its bit pattern, so that the
// largest field value becomes 255.
uint8_t WidenField(unsigned value, int bits);

// Where a colour mask's field lies: its lowest set bit and the length of the run of ones from there,
// reduced to the 8 highest bits of a longer run. Length 0 for an empty mask.
struct MaskField {
    int shift = 0;
    int bits = 0;
};
MaskField DescribeMask(DWORD mask);

// Sets the alpha byte of count 32-bit pixels, keeping their colours; pixels may be unaligned.
void SetAlphaBytes(uint8_t* pixels, size_t count, uint8_t alpha);

class RowConverter {
public:
    // False when layout cannot be converted. block is the whole DIB (colour table, masks).
    bool Init(const uint8_t* block, const DibLayout& layout, uint8_t alpha, bool keepSourceAlpha);
    // Converts pixels [0, width) of one stored row into dst.
    void Convert(const uint8_t* src, uint32_t* dst) const;

private:
    enum class Kind { Indexed1, Indexed4, Indexed8, Rgb24, Bgrx32, Masked16, Masked32 };
    void ConvertMasked16(const uint8_t* src, uint32_t* dst) const;
    void ConvertMasked32(const uint8_t* src, uint32_t* dst) const;

    Kind kind_ = Kind::Rgb24;
    int width_ = 0;
    uint32_t alpha_ = 0;  // already shifted to the top byte
    bool keepAlpha_ = false;
    bool vector24_ = false;  // the processor can shuffle bytes (SSSE3)
    uint32_t palette_[256] = {};  // alpha included; indices past the table are black
    MaskField fields_[3];  // red, green, blue
    uint8_t widen_[3][256] = {};
};

}  // namespace QelImageTransform
