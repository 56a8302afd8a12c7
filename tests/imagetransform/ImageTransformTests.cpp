// The transform library through its exports: conversions checked pixel by pixel against GDI's own reading
// of the same image, alpha fills and block copies against the plain rule, and random malformed headers.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Handles.h"

using QelImageTransform::CBitmapConverter;
using QelImageTransform::CBitmapCreator;
using QelImageTransform::CDIB32;

namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;
using OwnedDib = std::unique_ptr<BITMAPINFOHEADER, decltype(&QelImageTransform::ReleaseDIB)>;
OwnedDib Own(BITMAPINFOHEADER* dib) { return OwnedDib(dib, &QelImageTransform::ReleaseDIB); }
BITMAPINFOHEADER* Header(Bytes& dib) { return reinterpret_cast<BITMAPINFOHEADER*>(dib.data()); }

struct Format { int bits; DWORD compression; DWORD masks[3]; unsigned clrUsed; };  // masks: red, green, blue
// One case per reading path: sub-byte indices with a short table, bytes, plain 16 bits, odd masks, 24, 32.
const Format kFormats[] = {{1, BI_RGB, {}, 1}, {4, BI_RGB, {}, 5}, {8, BI_RGB, {}, 0}, {16, BI_RGB, {}, 0},
                           {16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}, 0}, {24, BI_RGB, {}, 0}, {32, BI_RGB, {}, 0},
                           {32, BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0}};
const Format kBgr{24, BI_RGB, {}, 0}, kBgra{32, BI_RGB, {}, 0};

// Offsets by the textbook rule, kept apart from the library's code.
size_t Stride(const BITMAPINFOHEADER* dib) { return ((size_t(dib->biWidth) * dib->biBitCount + 31) / 32) * 4; }
size_t BitsOffset(const BITMAPINFOHEADER* dib) {
    const unsigned table = dib->biBitCount <= 8 ? (dib->biClrUsed ? dib->biClrUsed : 1u << dib->biBitCount) : 0;
    return dib->biSize + (dib->biCompression == BI_BITFIELDS ? 12 : 0) + 4 * table;
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

// A packed DIB: 40-byte header, masks, table and rows filled with random values.
Bytes MakeDib(int width, int height, const Format& f, bool topDown, std::mt19937& rng) {
    const BITMAPINFOHEADER h{sizeof(h), width, topDown ? -height : height, 1, WORD(f.bits), f.compression, 0, 0, 0, f.clrUsed, 0};
    Bytes dib(BitsOffset(&h) + Stride(&h) * size_t(height));
    for (auto& b : dib) b = uint8_t(rng());
    std::memcpy(dib.data(), &h, sizeof(h));
    if (f.compression == BI_BITFIELDS) std::memcpy(dib.data() + sizeof(h), f.masks, 12);
    return dib;
}

// A bitmap or a packed DIB as GDI reads it into 32 bits: top-down BGRX values.
Pixels RenderWithGdi(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    Pixels pixels(size_t(width) * height);
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (::GetDIBits(dc.get(), bitmap, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS) != height) return {};
    return pixels;
}
Pixels RenderWithGdi(const BITMAPINFOHEADER* dib) {
    const int w = dib->biWidth, h = std::abs(dib->biHeight);
    BITMAPINFO canvasInfo{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::UniqueHbitmap canvas(::CreateDIBSection(dc.get(), &canvasInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
    const auto* rows = reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib);
    if (!canvas || ::SetDIBits(dc.get(), canvas.get(), 0, UINT(h), rows, info, DIB_RGB_COLORS) != h) return {};
    return RenderWithGdi(canvas.get(), w, h);
}
// The pixels of a 32-bit DIB, top-down.
Pixels Pixels32(const BITMAPINFOHEADER* dib) {
    const int w = dib->biWidth, h = std::abs(dib->biHeight);
    Pixels pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(&pixels[size_t(y) * w], RowAt(dib, y), size_t(w) * 4);
    return pixels;
}

// Colours only; stops at the first difference.
void ExpectSameColours(const Pixels& expected, const Pixels& actual, const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(expected[i] & 0xFFFFFF, actual[i] & 0xFFFFFF) << what << ", pixel " << i;
}

}  // namespace

// Each format as a packed DIB to 32 bits, and as a DIB section back at its own depth.
TEST(Conversion, EveryFormatMatchesGdiDirectlyAndThroughADibSection) {
    std::mt19937 rng(1);
    for (const Format& f : kFormats)
        for (bool topDown : {false, true}) {
            const std::string what = std::to_string(&f - kFormats) + (topDown ? " top-down" : "");
            const int w = 37, h = 11;  // odd width: partial bytes and row padding
            auto source = MakeDib(w, h, f, topDown, rng);
            const auto expected = RenderWithGdi(Header(source));
            const auto copy = source;
            ASSERT_FALSE(expected.empty()) << what;
            OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, 255, 0));
            ASSERT_TRUE(converted && converted->biBitCount == 32 && converted->biHeight == h) << what << ": 32 bits, bottom-up";
            EXPECT_EQ(source, copy) << what << ": source changed";
            const auto pixels = Pixels32(converted.get());
            ExpectSameColours(expected, pixels, what);
            for (uint32_t p : pixels) ASSERT_EQ(p >> 24, 255u) << what;
            void* bits = nullptr;
            qel::UniqueHbitmap section(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(source.data()),
                                                          DIB_RGB_COLORS, &bits, nullptr, 0));
            ASSERT_TRUE(section) << what;
            std::memcpy(bits, source.data() + BitsOffset(Header(source)), Stride(Header(source)) * h);
            OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(section.get()));
            ASSERT_TRUE(dib && dib->biBitCount == f.bits) << what;
            ExpectSameColours(expected, RenderWithGdi(dib.get()), what + " section");
        }
}

// A bitmap of the screen's depth and a monochrome one.
TEST(Conversion, DeviceBitmapsMatchGdi) {
    std::mt19937 rng(4);
    auto source = MakeDib(45, 13, kBgr, false, rng);
    qel::WindowDc screen(nullptr);
    qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
    for (HDC dc : {screen.get(), memory.get()}) {
        qel::UniqueHbitmap bitmap(::CreateDIBitmap(dc, Header(source), CBM_INIT, source.data() + BitsOffset(Header(source)),
                                                   reinterpret_cast<BITMAPINFO*>(source.data()), DIB_RGB_COLORS));
        BITMAP bm{};
        ASSERT_TRUE(::GetObjectW(bitmap.get(), sizeof(bm), &bm));
        OwnedDib dib = Own(CBitmapConverter::ConvertDDBToDIB(bitmap.get()));
        ASSERT_TRUE(dib && dib->biBitCount == bm.bmBitsPixel * bm.bmPlanes);
        ExpectSameColours(RenderWithGdi(bitmap.get(), 45, 13), RenderWithGdi(dib.get()), "device bitmap");
    }
}

// Refused targets of another size or depth are part of the malformed-header run below.
TEST(Conversion, AlphaArgumentsAndGivenTarget) {
    std::mt19937 rng(2);
    auto source = MakeDib(9, 4, kBgra, false, rng);  // random alpha bytes
    const auto original = Pixels32(Header(source));
    OwnedDib kept = Own(CDIB32::ConvertTo32BitsDIB(Header(source), nullptr, 7, 1));
    EXPECT_TRUE(kept && Pixels32(kept.get()) == original);

    auto target = MakeDib(9, 4, kBgra, true, rng);  // top-down, same size
    ASSERT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(target), 7, 0), Header(target));
    const auto written = Pixels32(Header(target));
    for (size_t i = 0; i < original.size(); ++i) ASSERT_EQ(written[i], (original[i] & 0xFFFFFF) | 0x07000000u);
}

// Every pixel keeps its colour; its alpha is the new one exactly inside the area, clipped to the image.
TEST(AlphaFill, RectanglesAndRegionsAreClippedToTheImage) {
    std::mt19937 rng(5);
    const RECT cases[] = {{0, 0, 20, 9}, {-5, -3, 4, 2}, {15, 6, 400, 400}, {8, 2, 3, 7}, {25, 0, 30, 9}, {LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX}};
    qel::UniqueHrgn region(::CreateEllipticRgn(-10, 4, 25, 30)), box(::CreateRectRgn(15, -5, 40, 3));
    ::CombineRgn(region.get(), region.get(), box.get(), RGN_OR);
    for (bool topDown : {false, true})
        for (size_t c = 0; c <= std::size(cases); ++c) {
            auto dib = MakeDib(20, 9, kBgra, topDown, rng);
            const auto before = Pixels32(Header(dib));
            const RECT r = c < std::size(cases) ? cases[c] : RECT{};
            ASSERT_TRUE(c < std::size(cases) ? CDIB32::Fill32DIBOpacityArea(Header(dib), r, 0x42)
                                             : CDIB32::Fill32DIBOpacityArea(Header(dib), region.get(), 0x42));
            const auto after = Pixels32(Header(dib));
            for (size_t i = 0; i < after.size(); ++i) {
                const int x = int(i % 20), y = int(i / 20);
                const bool in = c < std::size(cases) ? x >= r.left && x < r.right && y >= r.top && y < r.bottom
                                                     : ::PtInRegion(region.get(), x, y) != 0;
                ASSERT_EQ(after[i], in ? (before[i] & 0xFFFFFF) | 0x42000000u : before[i]) << c << ": " << x << ", " << y;
            }
        }
    RECT stillThere{};
    EXPECT_EQ(::GetRgnBox(region.get(), &stillThere), COMPLEXREGION) << "the region stays the caller's";
}

// Between two images and within one (overlapping moves), clipped on every side, at every depth.
TEST(TransformBlock, CopiesTheClippedBlock) {
    std::mt19937 rng(8);
    const POINT origins[][2] = {  // source origin, target origin
        {{-4, -2}, {0, 0}}, {{12, 5}, {2, 1}}, {{3, 1}, {-6, -2}}, {{0, 0}, {3, 2}}, {{LONG_MIN, LONG_MIN}, {LONG_MAX, 0}}};
    for (int bits : {1, 4, 24, 32})
        for (bool within : {false, true})
            for (const auto& o : origins) {
                const Format f{bits, BI_RGB, {}, 0};
                auto source = MakeDib(19, 8, f, rng() & 1, rng), other = MakeDib(13, 6, f, rng() & 1, rng);
                auto& target = within ? source : other;
                const auto sourceBefore = source, targetBefore = target;
                ASSERT_TRUE(CDIB32::TransformBlock(Header(target), o[0], Header(source), o[1])) << bits;
                for (int y = 0; y < (within ? 8 : 6); ++y)
                    for (int x = 0; x < Header(target)->biWidth; ++x) {
                        const long long sx = x - (long long)o[1].x + o[0].x, sy = y - (long long)o[1].y + o[0].y;
                        const bool copied = x >= o[1].x && y >= o[1].y && sx >= 0 && sx < 19 && sy >= 0 && sy < 8;
                        const auto* from = reinterpret_cast<const BITMAPINFOHEADER*>((copied ? sourceBefore : targetBefore).data());
                        ASSERT_EQ(StoredPixel(Header(target), x, y), StoredPixel(from, copied ? int(sx) : x, copied ? int(sy) : y))
                            << bits << " bpp, within " << within << ", (" << x << ", " << y << "), from " << o[0].x;
                    }
            }
}

namespace {

constexpr size_t kArenaBytes = 4 << 20;

// The block size a well-formed header promises, worked out by the plain rules; 0 when malformed.
size_t PromisedSize(const BITMAPINFOHEADER& h) {
    const int b = h.biBitCount;
    if (h.biSize < 40 || h.biSize > 124 || h.biWidth <= 0 || h.biHeight == 0) return 0;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return 0;
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (b == 16 || b == 32))) return 0;
    if (b <= 8 && h.biClrUsed > (1u << b)) return 0;
    const unsigned long long rows = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
    const unsigned long long image = ((unsigned long long)h.biWidth * b + 31) / 32 * 4 * rows;
    if (h.biSizeImage != 0 && h.biSizeImage < image) return 0;
    const unsigned long long total = h.biSize + (h.biCompression == BI_BITFIELDS ? 12 : 0) +
                                     (b <= 8 ? 4ull * (h.biClrUsed ? h.biClrUsed : 1u << b) : 0) + image;
    return total <= (1ull << 30) ? size_t(total) : 0;
}

template <typename T, size_t N>
T Pick(std::mt19937& rng, const T (&values)[N]) { return values[rng() % N]; }

// A header with a few fields spoiled, each with a value a careless reader would trip over.
BITMAPINFOHEADER RandomHeader(std::mt19937& rng) {
    static const LONG sizes[] = {0, 1, 2, 3, 7, 31, 33, -1, -7, LONG_MIN, LONG_MAX, 0x10000, 0x40000000, 65537};
    static const WORD depths[] = {0, 1, 2, 4, 8, 15, 16, 24, 32, 48, 64, 0xFFFF};
    static const DWORD compressions[] = {BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG, BI_PNG, 6, 0xFFFFFFFF};
    static const DWORD colours[] = {0, 1, 2, 15, 16, 17, 255, 256, 257, 0x40000000, 0xFFFFFFFF};
    static const DWORD headerSizes[] = {0, 12, 39, 40, 41, 64, 108, 124, 125, 0x7FFFFFFF, 0xFFFFFFFF};
    BITMAPINFOHEADER h{40, LONG(1 + rng() % 40), LONG(1 + rng() % 20) * (rng() & 1 ? 1 : -1), 1, Pick(rng, depths),
                       BI_RGB, 0, 0, 0, 0, 0};
    if (h.biBitCount == 16 || h.biBitCount == 32) h.biCompression = rng() & 1 ? BI_BITFIELDS : BI_RGB;
    for (int spoils = 1 + rng() % 3; spoils > 0; --spoils) switch (rng() % 8) {
            case 0: h.biWidth = Pick(rng, sizes); break;
            case 1: h.biHeight = Pick(rng, sizes); break;
            case 2: h.biCompression = Pick(rng, compressions); break;
            case 3: h.biClrUsed = Pick(rng, colours); break;
            case 4: h.biSize = Pick(rng, headerSizes); break;
            case 5: h.biSizeImage = rng() % 2 ? DWORD(rng() % 4096) : DWORD(rng()); break;
            case 6: h.biBitCount = WORD(rng()); break;
            default: h.biPlanes = WORD(rng()); break;
        }
    return h;
}

}  // namespace

// Each block ends right at a no-access page (4-aligned; the 0..3 bytes of slack hold 0xA5), so a read or
// write past it crashes the test; a refused block must come back byte for byte.
TEST(MalformedInput, HundredThousandMalformedHeadersThroughEveryOperation) {
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    auto* base = static_cast<uint8_t*>(::VirtualAlloc(nullptr, kArenaBytes + si.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    std::unique_ptr<uint8_t, void (*)(uint8_t*)> arena(base, [](uint8_t* p) { ::VirtualFree(p, 0, MEM_RELEASE); });
    DWORD old;
    ASSERT_TRUE(::VirtualProtect(base + kArenaBytes, si.dwPageSize, PAGE_NOACCESS, &old));
    std::mt19937 rng(10);
    std::vector<qel::UniqueHrgn> regions;
    for (RECT r : {RECT{-5, -5, 8, 8}, RECT{0, 0, 0, 0}, RECT{LONG_MAX / 2, LONG_MAX / 2, LONG_MAX / 2 + 3, LONG_MAX / 2 + 3}})
        regions.emplace_back(::CreateRectRgnIndirect(&r));
    regions.emplace_back(::CreateEllipticRgn(2, 1, 60, 30));
    auto valid = MakeDib(23, 9, kBgra, false, rng);
    // Until a hundred thousand malformed headers have gone through, with well-formed ones among them.
    int accepted = 0, refused = 0;
    for (int i = 0; refused < 100000; ++i) {
        BITMAPINFOHEADER h;
        do h = RandomHeader(rng);
        while (PromisedSize(h) > kArenaBytes);
        const bool wellFormed = PromisedSize(h) != 0;
        const size_t size = wellFormed ? PromisedSize(h) : sizeof(h) + rng() % 16, rounded = (size + 3) & ~size_t(3);
        uint8_t* block = base + kArenaBytes - rounded;
        for (size_t k = sizeof(h); k < size; ++k) block[k] = uint8_t(rng());
        std::memcpy(block, &h, sizeof(h));
        std::memset(block + size, 0xA5, rounded - size);
        const Bytes snapshot(block, block + size);
        auto* dib = reinterpret_cast<BITMAPINFOHEADER*>(block);
        const auto unchanged = [&] { return std::equal(snapshot.begin(), snapshot.end(), block); };
        const bool thirtyTwo = wellFormed && h.biBitCount == 32;
        accepted += wellFormed;
        refused += !wellFormed;
        const POINT origin{LONG(rng() % 60) - 30, LONG(rng() % 40) - 20};
        const RECT area{LONG(rng() % 50) - 10, LONG(rng() % 30) - 10, LONG(rng() % 50), LONG(rng() % 30)};
        // As the source and as the target of a conversion.
        OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(dib, nullptr, 255, rng() & 1));
        ASSERT_EQ(converted != nullptr, wellFormed) << "round " << i;
        const bool filled = CDIB32::ConvertTo32BitsDIB(Header(valid), dib, 255, 0) != nullptr;
        ASSERT_TRUE(filled ? thirtyTwo : unchanged()) << "round " << i;
        // Alpha only where no colour mask reaches into the top byte; a refused image stays as it was.
        DWORD masks[3] = {};
        if (thirtyTwo && h.biCompression == BI_BITFIELDS) std::memcpy(masks, block + h.biSize, 12);
        const bool alphaFree = thirtyTwo && ((masks[0] | masks[1] | masks[2]) >> 24) == 0;
        bool ok = CDIB32::Fill32DIBOpacityArea(dib, area, 0x11);
        ok |= CDIB32::Fill32DIBOpacityArea(dib, regions[rng() % regions.size()].get(), 0x22);
        ASSERT_TRUE(ok == alphaFree && (ok || unchanged())) << "round " << i;
        // As the target and as the source of a block copy; a refused target comes back unchanged.
        ASSERT_EQ(CDIB32::TransformBlock(dib, origin, Header(valid), POINT{LONG(rng() % 9), LONG(rng() % 5)}), thirtyTwo) << i;
        const auto validBefore = valid;
        ok = CDIB32::TransformBlock(Header(valid), origin, dib, POINT{0, 0});
        ASSERT_TRUE(ok == thirtyTwo && (ok || valid == validBefore)) << "round " << i;
        ASSERT_TRUE(std::all_of(block + size, block + rounded, [](uint8_t b) { return b == 0xA5; }) &&
                    (wellFormed || unchanged())) << "round " << i;
    }
    EXPECT_GT(accepted, 10000);
}

TEST(MalformedInput, HandlesThatAreNoBitmapsAndImpossibleSizes) {
    const HBITMAP stale = qel::UniqueHbitmap(::CreateBitmap(4, 4, 1, 32, nullptr)).get();
    qel::UniqueHrgn region(::CreateRectRgn(0, 0, 1, 1));
    for (HBITMAP h : {HBITMAP(nullptr), stale, reinterpret_cast<HBITMAP>(region.get()),
                      reinterpret_cast<HBITMAP>(uintptr_t(0x12345)), reinterpret_cast<HBITMAP>(~uintptr_t(0))})
        EXPECT_EQ(CBitmapConverter::ConvertDDBToDIB(h), nullptr);
    EXPECT_TRUE(!CDIB32::ConvertTo32BitsDIB(nullptr, nullptr, 255, 0) && !CDIB32::Fill32DIBOpacityArea(nullptr, RECT{0, 0, 1, 1}, 1));
    EXPECT_EQ(CBitmapCreator::CreateDibImage(INT_MAX, INT_MAX, 32, 0), nullptr);
    EXPECT_EQ(CBitmapCreator::CreateDibImage(16384, 16384, 32, 0), nullptr) << "past 1 GiB";
    EXPECT_EQ(CDIB32::CreateBlank32BitsDIB(5, -5), nullptr);
}
