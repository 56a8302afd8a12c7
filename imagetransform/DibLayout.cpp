#include "DibLayout.h"

#include <cstring>

namespace QelImageTransform {

namespace {

bool SupportedDepth(int bitCount) {
    switch (bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: return true;
        default: return false;
    }
}

// All sizes are summed in 64 bits and bounded, so no product below can wrap.
bool Plan(int64_t width, int64_t signedHeight, int bitCount, DWORD compression, uint64_t clrUsed,
          uint64_t headerSize, uint64_t sizeImage, DibLayout& layout) {
    if (width <= 0 || signedHeight == 0 || !SupportedDepth(bitCount)) return false;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32))) return false;
    const uint64_t rows = signedHeight < 0 ? static_cast<uint64_t>(-signedHeight) : static_cast<uint64_t>(signedHeight);
    uint64_t entries = 0;
    if (bitCount <= 8) {
        const uint64_t most = uint64_t{1} << bitCount;
        if (clrUsed > most) return false;
        entries = clrUsed ? clrUsed : most;
    }
    const uint64_t stride = RowStride(width, bitCount);
    if (stride == 0 || rows > kMaxDibBytes || stride > kMaxDibBytes) return false;
    const uint64_t image = stride * rows;
    if (sizeImage != 0 && sizeImage < image) return false;
    // BI_BITFIELDS masks lie in the 12 bytes after the first 40 of the header: past the end of a 40-byte
    // header, inside a larger one (V2 to V5), and across the end of one in between, which is refused.
    uint64_t masks = 0;
    if (compression == BI_BITFIELDS) {
        if (headerSize == kMinHeaderSize) masks = kMaskBytes;
        else if (headerSize < kMinHeaderSize + kMaskBytes) return false;
    }
    const uint64_t bitsOffset = headerSize + masks + entries * sizeof(RGBQUAD);
    if (image > kMaxDibBytes || bitsOffset + image > kMaxDibBytes) return false;

    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(rows);
    layout.topDown = signedHeight < 0;
    layout.bitCount = bitCount;
    layout.compression = compression;
    layout.stride = static_cast<size_t>(stride);
    layout.maskOffset = kMinHeaderSize;
    layout.tableOffset = static_cast<size_t>(headerSize + masks);
    layout.tableEntries = static_cast<unsigned>(entries);
    layout.bitsOffset = static_cast<size_t>(bitsOffset);
    layout.imageBytes = static_cast<size_t>(image);
    layout.totalBytes = static_cast<size_t>(bitsOffset + image);
    return true;
}

}  // namespace

uint64_t RowStride(int64_t width, int bitCount) {
    if (width <= 0 || bitCount <= 0 || width > (int64_t{1} << 40)) return 0;
    return ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31) / 32) * 4;
}

bool ReadLayout(const BITMAPINFOHEADER* header, DibLayout& layout) {
    if (!header || header->biSize < kMinHeaderSize || header->biSize > kMaxHeaderSize) return false;
    DibLayout read;
    if (!Plan(header->biWidth, header->biHeight, header->biBitCount, header->biCompression, header->biClrUsed,
              header->biSize, header->biSizeImage, read))
        return false;
    layout = read;
    return true;
}

bool PlanDib(int width, int height, int bitCount, DWORD compression, unsigned tableEntries, DibLayout& layout,
             BITMAPINFOHEADER& header) {
    // Only bottom-up DIBs are made; a table is only for 8 bits or less.
    if (height <= 0 || (bitCount > 8 && tableEntries != 0)) return false;
    DibLayout planned;
    if (!Plan(width, height, bitCount, compression, tableEntries, kMinHeaderSize, 0, planned)) return false;
    BITMAPINFOHEADER made{};
    made.biSize = kMinHeaderSize;
    made.biWidth = width;
    made.biHeight = height;
    made.biPlanes = 1;
    made.biBitCount = static_cast<WORD>(bitCount);
    made.biCompression = compression;
    made.biSizeImage = static_cast<DWORD>(planned.imageBytes);
    made.biClrUsed = bitCount <= 8 ? planned.tableEntries : 0;
    layout = planned;
    header = made;
    return true;
}

ColorMasks ReadMasks(const uint8_t* block, const DibLayout& layout) {
    ColorMasks masks;
    if (layout.compression == BI_BITFIELDS) {
        DWORD values[3];
        std::memcpy(values, block + layout.maskOffset, sizeof(values));
        masks.red = values[0];
        masks.green = values[1];
        masks.blue = values[2];
    } else if (layout.bitCount == 16) {
        masks = {0x7C00, 0x03E0, 0x001F};
    } else if (layout.bitCount >= 24) {
        masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    return masks;
}

bool HasAlphaByte(const uint8_t* block, const DibLayout& layout) {
    if (layout.bitCount != 32) return false;
    const ColorMasks m = ReadMasks(block, layout);
    return ((m.red | m.green | m.blue) & 0xFF000000u) == 0;
}

}  // namespace QelImageTransform
