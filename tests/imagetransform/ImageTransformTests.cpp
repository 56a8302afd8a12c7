// The transform library through its exports: the rule that finds a DIB's rows, conversions checked pixel by
// pixel against GDI's own reading of the same image, and the alpha fill of a GDI region. The native build
// (native/) runs every part that needs no GDI; the fuzz target (tests/fuzz/ImageTransformFuzz.cpp) holds
// every device-free operation to the textbook rules on made and malformed headers.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include "Handles.h"
#endif

using namespace QelImageTransform;

namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;
using OwnedDib = std::unique_ptr<BITMAPINFOHEADER, decltype(&ReleaseDIB)>;
OwnedDib Own(BITMAPINFOHEADER* dib) { return OwnedDib(dib, &ReleaseDIB); }
BITMAPINFOHEADER* Header(Bytes& dib) { return reinterpret_cast<BITMAPINFOHEADER*>(dib.data()); }

// masks: red, green, blue; header: biSize (108 and 124 hold the masks themselves).
struct Format { int bits; DWORD compression; DWORD masks[3]; unsigned clrUsed; DWORD header = 40; };
// One case per reading path: sub-byte indices with a short table, bytes, plain 16 bits, odd masks, 24, 32;
// and V4 and V5 headers with their masks inside and a table after them.
[[maybe_unused]] const Format kFormats[] = {
    {1, BI_RGB, {}, 1}, {4, BI_RGB, {}, 5}, {8, BI_RGB, {}, 0}, {16, BI_RGB, {}, 0},
    {16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}, 0}, {24, BI_RGB, {}, 0}, {32, BI_RGB, {}, 0},
    {32, BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0},
    {16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0, 124}, {8, BI_RGB, {}, 7, 124},
    {32, BI_BITFIELDS, {0x000003FF, 0x000FFC00, 0x3FF00000}, 0, 108}};
[[maybe_unused]] const Format kBgra{32, BI_RGB, {}, 0};

// Offsets by the textbook rule, kept apart from the library's code: the masks of BI_BITFIELDS follow a
// 40-byte header and lie inside a larger one.
size_t Stride(const BITMAPINFOHEADER* dib) { return ((size_t(dib->biWidth) * dib->biBitCount + 31) / 32) * 4; }
size_t BitsOffset(const BITMAPINFOHEADER* dib) {
    const unsigned table = dib->biBitCount <= 8 ? (dib->biClrUsed ? dib->biClrUsed : 1u << dib->biBitCount) : 0;
    return dib->biSize + (dib->biCompression == BI_BITFIELDS && dib->biSize == 40 ? 12 : 0) + 4 * table;
}
const uint8_t* Bits(const BITMAPINFOHEADER* dib) { return reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib); }
Pixels Pixels32(const BITMAPINFOHEADER* dib) {  // a 32-bit DIB's pixels, top-down
    const int rows = std::abs(dib->biHeight);
    Pixels pixels(size_t(dib->biWidth) * rows);
    for (int y = 0; y < rows; ++y)
        std::memcpy(&pixels[size_t(y) * dib->biWidth], Bits(dib) + size_t(dib->biHeight < 0 ? y : rows - 1 - y) * Stride(dib),
                    4 * size_t(dib->biWidth));
    return pixels;
}

// A packed DIB: header (the rest of a larger one zero), masks, table and rows filled with random values.
Bytes MakeDib(int width, int height, const Format& f, bool topDown, std::mt19937& rng) {
    const BITMAPINFOHEADER h{f.header, width, topDown ? -height : height, 1, WORD(f.bits), f.compression, 0, 0, 0, f.clrUsed, 0};
    Bytes dib(BitsOffset(&h) + Stride(&h) * size_t(height));
    for (auto& b : dib) b = uint8_t(rng());
    std::memcpy(dib.data(), &h, sizeof(h));
    std::fill(dib.begin() + sizeof(h), dib.begin() + f.header, uint8_t(0));
    if (f.compression == BI_BITFIELDS) std::memcpy(dib.data() + sizeof(h), f.masks, 12);
    return dib;
}

#ifdef _WIN32
// A DIB section holding a copy of the packed DIB.
qel::UniqueHbitmap SectionOf(const BITMAPINFOHEADER* dib) {
    void* bits = nullptr;
    qel::UniqueHbitmap section(::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (section) std::memcpy(bits, Bits(dib), Stride(dib) * std::abs(dib->biHeight));
    return section;
}
// The colours GDI reads from a bitmap, top-down; empty when it cannot.
Pixels ColoursOf(HBITMAP bitmap) {
    BITMAP bm{};
    ::GetObjectW(bitmap, sizeof(bm), &bm);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    Pixels pixels(size_t(bm.bmWidth) * bm.bmHeight);
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!bm.bmHeight || ::GetDIBits(dc.get(), bitmap, 0, UINT(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) != bm.bmHeight) return {};
    for (auto& p : pixels) p &= 0xFFFFFF;
    return pixels;
}
Pixels ColoursOf(const BITMAPINFOHEADER* dib) { return ColoursOf(SectionOf(dib).get()); }
#endif

}  // namespace

// Where the rows start: after the header, the masks of BI_BITFIELDS when the header is the 40-byte one
// (V2 to V5 headers hold them, and one too short to hold them is refused), and the colour table at 8 bits
// or less (biClrUsed entries, or all 2^bits; none above 8 bits). 0 for a header the library refuses.
TEST(DibLayout, BitsOffsetFollowsTheHeaderMasksAndTable) {
    const struct { DWORD size; WORD bits; DWORD compression, clrUsed; size_t offset; } cases[] = {
        {40, 32, BI_RGB, 0, 40},         {40, 24, BI_RGB, 5, 40},         {40, 32, BI_BITFIELDS, 0, 52},
        {40, 16, BI_BITFIELDS, 0, 52},   {52, 16, BI_BITFIELDS, 0, 52},   {56, 32, BI_BITFIELDS, 0, 56},
        {108, 32, BI_BITFIELDS, 0, 108}, {124, 16, BI_BITFIELDS, 0, 124}, {124, 32, BI_RGB, 0, 124},
        {44, 32, BI_BITFIELDS, 0, 0},    {51, 16, BI_BITFIELDS, 0, 0},    {44, 32, BI_RGB, 0, 44},
        {40, 1, BI_RGB, 0, 48},          {40, 4, BI_RGB, 16, 104},        {40, 8, BI_RGB, 0, 1064},
        {40, 8, BI_RGB, 7, 68},          {124, 8, BI_RGB, 0, 1148},       {124, 4, BI_RGB, 3, 136},
        {40, 8, BI_RGB, 257, 0},         {40, 4, BI_RGB, 17, 0},          {40, 24, BI_BITFIELDS, 0, 0},
        {40, 8, BI_BITFIELDS, 0, 0},     {40, 8, BI_RLE8, 0, 0},          {39, 32, BI_RGB, 0, 0},
        {125, 32, BI_RGB, 0, 0}};
    for (const auto& c : cases) {
        const BITMAPINFOHEADER h{c.size, 3, -2, 1, c.bits, c.compression, 0, 0, 0, c.clrUsed, 0};
        EXPECT_EQ(DibBitsOffset(&h), c.offset) << c.size << " bytes, " << c.bits << " bits, compression " << c.compression
                                               << ", " << c.clrUsed << " colours";
    }
    // No header at all: the fuzz target cannot pass one.
    EXPECT_EQ(DibBitsOffset(nullptr), 0u);
    EXPECT_TRUE(!CDIB32::ConvertTo32BitsDIB(nullptr, nullptr, 255, 0) && !CDIB32::Fill32DIBOpacityArea(nullptr, RECT{0, 0, 1, 1}, 1));

    // The library reads what lies there: a V5 header's own 5-6-5 masks, not the first row's bytes after it.
    // Two pixels of one row: pure red and pure blue.
    std::mt19937 rng(3);
    Bytes v5 = MakeDib(2, 1, Format{16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0, 124}, false, rng);
    const uint8_t row[4] = {0x00, 0xF8, 0x1F, 0x00};
    std::memcpy(v5.data() + 124, row, sizeof(row));
    const OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(Header(v5), nullptr, 255, 0));
    ASSERT_TRUE(converted);
    EXPECT_EQ(Pixels32(converted.get()), (Pixels{0xFFFF0000u, 0xFF0000FFu}));
}

#ifdef _WIN32
// Each format to 32 bits, into a new DIB and into a given one, with the alpha asked for or, when asked, a
// 32-bit BI_RGB source's own; and as a DIB section, a bitmap of the screen's depth and a monochrome one back to
// a DIB at the bitmap's depth; handles that are no bitmaps give nothing. The fuzz target holds the rest to
// its rules: refused targets, headers and sizes.
TEST(Conversion, EveryFormatMatchesGdiWithTheAlphaAskedForAndNoBitmapIsRefused) {
    std::mt19937 rng(1);
    qel::WindowDc screen(nullptr);
    qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
    for (const Format& f : kFormats)
        for (bool topDown : {false, true}) {
            const std::string what = std::to_string(&f - kFormats) + (topDown ? " top-down" : "");
            auto source = MakeDib(37, 11, f, topDown, rng);  // odd width: partial bytes and row padding
            const BYTE alpha = topDown ? 7 : 255, keep = topDown;
            const bool own = keep && f.bits == 32 && f.compression == BI_RGB;
            Pixels want = own ? Pixels32(Header(source)) : ColoursOf(Header(source));
            for (auto& p : want) p |= own ? 0 : DWORD(alpha) << 24;
            OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, alpha, keep));
            ASSERT_TRUE(!want.empty() && converted && converted->biBitCount == 32 && converted->biHeight == 11) << what;
            EXPECT_EQ(Pixels32(converted.get()), want) << what;
            auto target = MakeDib(37, 11, kBgra, !topDown, rng);
            ASSERT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(target), alpha, keep), Header(target)) << what;
            EXPECT_EQ(Pixels32(Header(target)), want) << what << ", given target";
            const auto ddb = [&](HDC dc) {
                return qel::UniqueHbitmap(::CreateDIBitmap(dc, Header(source), CBM_INIT, Bits(Header(source)),
                                                           reinterpret_cast<BITMAPINFO*>(source.data()), DIB_RGB_COLORS));
            };
            for (const qel::UniqueHbitmap& bitmap : {SectionOf(Header(source)), ddb(screen.get()), ddb(memory.get())}) {
                BITMAP bm{};
                ::GetObjectW(bitmap.get(), sizeof(bm), &bm);
                const Pixels shown = ColoursOf(bitmap.get());
                OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(bitmap.get()));
                ASSERT_TRUE(!shown.empty() && dib && dib->biBitCount == bm.bmBitsPixel * bm.bmPlanes) << what << ", " << bm.bmBitsPixel << " bits";
                EXPECT_EQ(ColoursOf(dib.get()), shown) << what << ", " << bm.bmBitsPixel << " bits";
            }
        }
    const HBITMAP stale = qel::UniqueHbitmap(::CreateBitmap(4, 4, 1, 32, nullptr)).get();
    const qel::UniqueHrgn region(::CreateRectRgn(-5, -5, 8, 8));
    for (HBITMAP bad : {HBITMAP(nullptr), stale, reinterpret_cast<HBITMAP>(region.get()),
                        reinterpret_cast<HBITMAP>(uintptr_t(0x12345)), reinterpret_cast<HBITMAP>(~uintptr_t(0))})
        EXPECT_EQ(CBitmapConverter::ConvertDDBToDIB(bad), nullptr);
}

// Every pixel keeps its colour; its alpha is the new one exactly inside the region, clipped to the image.
// The rectangle form (the same fill) is held to its rule by the fuzz target.
TEST(AlphaFill, ARegionIsClippedToTheImageAndStaysTheCallers) {
    std::mt19937 rng(5);
    qel::UniqueHrgn region(::CreateEllipticRgn(-10, 4, 25, 30)), box(::CreateRectRgn(15, -5, 40, 3));
    ::CombineRgn(region.get(), region.get(), box.get(), RGN_OR);
    for (bool topDown : {false, true}) {
        auto dib = MakeDib(20, 9, kBgra, topDown, rng);
        const auto before = Pixels32(Header(dib));
        ASSERT_TRUE(CDIB32::Fill32DIBOpacityArea(Header(dib), region.get(), 0x42));
        const auto after = Pixels32(Header(dib));
        for (size_t i = 0; i < after.size(); ++i) {
            const bool in = ::PtInRegion(region.get(), LONG(i % 20), LONG(i / 20));
            ASSERT_EQ(after[i], in ? (before[i] & 0xFFFFFF) | 0x42000000u : before[i]) << i % 20 << ", " << i / 20;
        }
    }
    RECT stillThere{};
    EXPECT_EQ(::GetRgnBox(region.get(), &stillThere), COMPLEXREGION) << "the region stays the caller's";
}
#endif
