// Writes the seed corpus of the fuzz targets: valid packed DIBs of every depth (1, 4, 8, 16, 24, 32), both
// compressions the library takes (BI_RGB; BI_BITFIELDS at 16 and 32 bits, after a 40-byte header and inside
// V2, V3, V4 and V5 headers), either row order, short and full colour tables; a few headers it must refuse
// (RLE8, RLE4, JPEG, masks cut by the header's end, 24-bit masks, too many colours); and frame pairs for
// the stitching. Files are named seed-*; regression inputs kept from findings (regression-*) stay as they are.
//
//   build-native/make_fuzz_corpus tests/fuzz/corpus
//
// DIBs are laid out by the textbook rules of DibRules.h, not by the library under test.
#include <windows.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DibRules.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The fuzz targets' control blocks, field by field (ImageTransformFuzz.cpp, StitchingFuzz.cpp).
void Put8(Bytes& b, unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
void Put16(Bytes& b, unsigned v) { Put8(b, v & 0xFF), Put8(b, v >> 8); }
void Put32(Bytes& b, int64_t v) {
    for (int i = 0; i < 4; ++i) Put8(b, static_cast<unsigned>(static_cast<uint64_t>(v) >> (8 * i)) & 0xFF);
}

struct TransformControl {
    unsigned alpha, keep, flags, fill;
    int area[4];
    int sourceOrigin[2], targetOrigin[2];
    unsigned otherWidth, otherHeight, spanFirst, spanLast;
    int64_t create[4];
};

Bytes Encode(const TransformControl& c) {
    Bytes b;
    Put8(b, c.alpha), Put8(b, c.keep), Put8(b, c.flags), Put8(b, c.fill);
    for (int v : c.area) Put32(b, v);
    for (int v : c.sourceOrigin) Put32(b, v);
    for (int v : c.targetOrigin) Put32(b, v);
    Put8(b, c.otherWidth), Put8(b, c.otherHeight), Put8(b, c.spanFirst), Put8(b, c.spanLast);
    for (int64_t v : c.create) Put32(b, v);
    if (b.size() != 56) std::abort();
    return b;
}

struct Dib {
    const char* name;
    int width, height;  // height negative: top-down
    int bits;
    DWORD compression, header, clrUsed;
    DWORD masks[3];
};

// The block by the textbook rule: header (the rest of a larger one zero), masks at byte 40, a colour table
// of distinct colours, rows of a pattern.
Bytes Lay(const Dib& d) {
    BITMAPINFOHEADER h{d.header, d.width, d.height, 1, static_cast<WORD>(d.bits), d.compression, 0, 2835, 2835, d.clrUsed, 0};
    dibrules::Layout l = dibrules::Read(h);
    const uint64_t total = l.valid ? l.total : d.header + 64;
    Bytes b(total, 0);
    std::memcpy(b.data(), &h, sizeof h);
    if (d.compression == BI_BITFIELDS) std::memcpy(b.data() + 40, d.masks, 12);
    for (unsigned i = 0; l.valid && i < l.table; ++i) {
        const uint8_t entry[4] = {static_cast<uint8_t>(i * 53), static_cast<uint8_t>(i * 101 + 7), static_cast<uint8_t>(255 - i), 0};
        std::memcpy(b.data() + l.tableOffset + 4 * i, entry, 4);
    }
    for (uint64_t i = l.valid ? l.bitsOffset : d.header; i < total; ++i) b[i] = static_cast<uint8_t>((i * 37) ^ (i >> 3));
    return b;
}

void Write(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus CORPUS_DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    ::mkdir(root.c_str(), 0755);
    const std::string transform = root + "/ImageTransformFuzz", stitching = root + "/StitchingFuzz";
    ::mkdir(transform.c_str(), 0755);
    ::mkdir(stitching.c_str(), 0755);

    const Dib dibs[] = {
        {"1bpp-rgb", 13, 5, 1, BI_RGB, 40, 0, {}},
        {"1bpp-rgb-1colour-topdown", 9, -4, 1, BI_RGB, 40, 1, {}},
        {"4bpp-rgb", 11, 6, 4, BI_RGB, 40, 0, {}},
        {"4bpp-rgb-5colours-topdown", 7, -3, 4, BI_RGB, 40, 5, {}},
        {"8bpp-rgb", 10, 4, 8, BI_RGB, 40, 0, {}},
        {"8bpp-rgb-7colours-v5", 6, 5, 8, BI_RGB, 124, 7, {}},
        {"16bpp-rgb", 9, 4, 16, BI_RGB, 40, 0, {}},
        {"16bpp-bitfields-565", 7, -5, 16, BI_BITFIELDS, 40, 0, {0xF800, 0x07E0, 0x001F}},
        {"16bpp-bitfields-444-v4", 6, 3, 16, BI_BITFIELDS, 108, 0, {0x0F00, 0x00F0, 0x000F}},
        {"16bpp-bitfields-565-v5", 5, 4, 16, BI_BITFIELDS, 124, 0, {0xF800, 0x07E0, 0x001F}},
        {"24bpp-rgb", 11, 5, 24, BI_RGB, 40, 0, {}},
        {"24bpp-rgb-topdown", 7, -6, 24, BI_RGB, 40, 0, {}},
        {"24bpp-rgb-v5", 5, 3, 24, BI_RGB, 124, 0, {}},
        {"32bpp-rgb", 9, 6, 32, BI_RGB, 40, 0, {}},
        {"32bpp-rgb-topdown", 5, -7, 32, BI_RGB, 40, 0, {}},
        {"32bpp-rgb-header44", 4, 3, 32, BI_RGB, 44, 0, {}},
        {"32bpp-bitfields-plain", 6, 4, 32, BI_BITFIELDS, 40, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
        {"32bpp-bitfields-101010", 5, 5, 32, BI_BITFIELDS, 40, 0, {0x3FF00000, 0x000FFC00, 0x000003FF}},
        {"32bpp-bitfields-topbyte", 4, 4, 32, BI_BITFIELDS, 40, 0, {0xFFC00000, 0x003FF800, 0x000007FF}},
        {"32bpp-bitfields-v2", 4, 3, 32, BI_BITFIELDS, 52, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
        {"32bpp-bitfields-v3", 4, -3, 32, BI_BITFIELDS, 56, 0, {0x0000FF, 0x00FF00, 0xFF0000}},
        {"32bpp-bitfields-v4", 3, 4, 32, BI_BITFIELDS, 108, 0, {0x000003FF, 0x000FFC00, 0x3FF00000}},
        {"32bpp-bitfields-v5", 6, 2, 32, BI_BITFIELDS, 124, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
        // Headers the library refuses.
        {"refused-8bpp-rle8", 8, 4, 8, BI_RLE8, 40, 0, {}},
        {"refused-4bpp-rle4", 8, 4, 4, BI_RLE4, 40, 0, {}},
        {"refused-24bpp-jpeg", 8, 4, 24, BI_JPEG, 40, 0, {}},
        {"refused-32bpp-bitfields-header44", 4, 3, 32, BI_BITFIELDS, 44, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
        {"refused-24bpp-bitfields", 4, 3, 24, BI_BITFIELDS, 40, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
        {"refused-8bpp-257colours", 4, 3, 8, BI_RGB, 40, 257, {}},
    };
    // Controls cycled over the DIBs: areas and origins inside, across and far outside the image, made
    // DIBs of every depth and refused sizes.
    const TransformControl controls[] = {
        {255, 0, 0, 0x11, {0, 0, 4, 3}, {0, 0}, {0, 0}, 5, 4, 1, 4, {13, 5, 8, 0}},
        {0, 1, 1, 0x5A, {-3, -2, 100, 100}, {2, 1}, {-1, 3}, 20, 9, 0, 255, {7, 3, 1, 2}},
        {0x80, 0, 1, 0xC3, {2, 1, 2, 9}, {-5, -5}, {3, 2}, 3, 30, 6, 2, {9, 9, 4, 16}},
        {7, 1, 0, 0x00, {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647}, {2147483647, 0}, {0, -2147483647 - 1}, 47, 47, 3, 3,
         {16384, 16384, 32, 0}},
        {0x42, 0, 1, 0x99, {1, 1, 3, 2}, {1, 2}, {1, 2}, 12, 1, 2, 7, {-5, 5, 24, 0}},
        {200, 1, 0, 0x3C, {0, 2, 50, 3}, {4, 0}, {0, 0}, 8, 8, 0, 0, {5, 7, 16, 3}},
    };
    int written = 0;
    for (size_t i = 0; i < sizeof dibs / sizeof dibs[0]; ++i) {
        Bytes input = Encode(controls[i % (sizeof controls / sizeof controls[0])]);
        const Bytes dib = Lay(dibs[i]);
        input.insert(input.end(), dib.begin(), dib.end());
        Write(transform + "/seed-" + dibs[i].name, input);
        ++written;
    }

    // Stitching: Control (flags, lines, span, shift, colours, mismatch, floor, footer, ranges), then bytes
    // for the palette, the pixels and the changes.
    struct Pair {
        const char* name;
        unsigned flags, lines, span, shift, colours, mismatch, floor, footer, ranges, bytes;
    };
    const Pair pairs[] = {
        {"vertical-palette-shift5", 0x00, 39, 29, 5, 3, 0, 0, 2, 10, 600},
        {"vertical-bottomup-threads", 0x1C, 47, 47, 11, 4, 0, 0, 0, 4, 900},
        {"horizontal-3bytes-shift3", 0x03, 31, 17, 3, 2, 0, 1, 1, 5, 400},
        {"horizontal-noise-shift0", 0x05, 20, 12, 0, 0, 0, 0, 0, 1000, 1200},
        {"vertical-one-colour", 0x00, 25, 9, 7, 1, 0, 2, 7, 2, 64},
        {"vertical-depth-mismatch", 0x02, 16, 16, 4, 5, 1, 0, 0, 3, 300},
        {"horizontal-size-mismatch", 0x09, 18, 10, 2, 3, 2, 3, 0, 7, 300},
        {"vertical-length-mismatch", 0x00, 22, 6, 9, 2, 3, 0, 0, 65535, 300},
        {"vertical-v5-bitfields", 0x60, 30, 20, 6, 6, 0, 9, 3, 6, 500},
        {"horizontal-v5-bottomup-threads", 0x3D, 44, 40, 13, 5, 0, 0, 1, 40, 800},
        {"tiny-two-lines", 0x00, 1, 0, 1, 2, 0, 0, 0, 0, 16},
    };
    for (const Pair& p : pairs) {
        Bytes input;
        Put8(input, p.flags), Put8(input, p.lines), Put8(input, p.span), Put8(input, p.shift), Put8(input, p.colours);
        Put8(input, p.mismatch), Put8(input, p.floor), Put8(input, p.footer), Put16(input, p.ranges);
        for (unsigned i = 0; i < p.bytes; ++i) Put8(input, (i * 131 + p.lines * 7) ^ (i >> 2));
        Write(stitching + "/seed-" + p.name, input);
        ++written;
    }
    std::printf("%d inputs written under %s\n", written, root.c_str());
    return 0;
}
