// The transform library through its exports: conversions checked pixel by pixel against GDI's own reading
// of the same image, alpha fills and block copies against the plain rule, the rule that finds a DIB's rows,
// and random malformed headers. The native build (native/) runs every part that needs no GDI.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelImageTransform.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <limits>
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

constexpr LONG kLongMin = std::numeric_limits<LONG>::min(), kLongMax = std::numeric_limits<LONG>::max();

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
const Format kBgra{32, BI_RGB, {}, 0};

// Offsets by the textbook rule, kept apart from the library's code: the masks of BI_BITFIELDS follow a
// 40-byte header and lie inside a larger one.
size_t Stride(const BITMAPINFOHEADER* dib) { return ((size_t(dib->biWidth) * dib->biBitCount + 31) / 32) * 4; }
size_t BitsOffset(const BITMAPINFOHEADER* dib) {
    const unsigned table = dib->biBitCount <= 8 ? (dib->biClrUsed ? dib->biClrUsed : 1u << dib->biBitCount) : 0;
    return dib->biSize + (dib->biCompression == BI_BITFIELDS && dib->biSize == 40 ? 12 : 0) + 4 * table;
}
const uint8_t* Bits(const BITMAPINFOHEADER* dib) { return reinterpret_cast<const uint8_t*>(dib) + BitsOffset(dib); }
unsigned StoredPixel(const BITMAPINFOHEADER* dib, int x, int y) {  // y from the top
    const uint8_t* row = Bits(dib) + size_t(dib->biHeight < 0 ? y : dib->biHeight - 1 - y) * Stride(dib);
    const int b = dib->biBitCount;
    if (b < 8) return (row[x * b / 8] >> (8 - b - x * b % 8)) & ((1u << b) - 1);
    unsigned v = 0;
    std::memcpy(&v, row + size_t(x) * (b / 8), b / 8);
    return v;
}
Pixels Pixels32(const BITMAPINFOHEADER* dib) {  // top-down
    Pixels pixels;
    for (int y = 0; y < std::abs(dib->biHeight); ++y)
        for (int x = 0; x < dib->biWidth; ++x) pixels.push_back(StoredPixel(dib, x, y));
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
    EXPECT_EQ(DibBitsOffset(nullptr), 0u);

    // The library reads what lies there: a V5 header's own 5-6-5 masks, not the first row's bytes after it.
    // Two pixels of one row: pure red and pure blue.
    Bytes v5(124 + 4, 0);
    const BITMAPINFOHEADER h{124, 2, 1, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
    std::memcpy(v5.data(), &h, sizeof(h));
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(v5.data() + 40, masks, sizeof(masks));
    const uint8_t row[4] = {0x00, 0xF8, 0x1F, 0x00};
    std::memcpy(v5.data() + 124, row, sizeof(row));
    std::unique_ptr<BITMAPINFOHEADER, decltype(&ReleaseDIB)> converted(CDIB32::ConvertTo32BitsDIB(Header(v5), nullptr, 255, 0), &ReleaseDIB);
    ASSERT_TRUE(converted);
    uint32_t got[2];
    std::memcpy(got, reinterpret_cast<const uint8_t*>(converted.get()) + DibBitsOffset(converted.get()), sizeof(got));
    EXPECT_EQ(got[0], 0xFFFF0000u);
    EXPECT_EQ(got[1], 0xFF0000FFu);
    // A 32-bit V5 header whose red mask takes the top byte has no alpha byte to fill.
    Bytes wide(124 + 4, 0);
    const BITMAPINFOHEADER w{124, 1, 1, 1, 32, BI_BITFIELDS, 0, 0, 0, 0, 0};
    std::memcpy(wide.data(), &w, sizeof(w));
    const DWORD topMasks[3] = {0xFFC00000, 0x003FF800, 0x000007FF};
    std::memcpy(wide.data() + 40, topMasks, sizeof(topMasks));
    EXPECT_FALSE(CDIB32::Fill32DIBOpacityArea(Header(wide), RECT{0, 0, 1, 1}, 0));
}

// A header of 46 bytes leaves every row 2 bytes off a 4-byte boundary. The conversion stored whole pixels
// into such a given target, and in place (found by fuzzing: undefined, and a fault where alignment is
// enforced); the pixels must come out as into any other target.
TEST(Conversion, IntoATargetWhoseRowsAreUnaligned) {
    std::mt19937 rng(12);
    const Format unaligned{32, BI_RGB, {}, 0, 46};
    auto source = MakeDib(5, 7, Format{24, BI_RGB, {}, 0}, false, rng);
    auto target = MakeDib(5, 7, unaligned, true, rng);
    ASSERT_EQ(CDIB32::ConvertTo32BitsDIB(Header(source), Header(target), 0x80, 0), Header(target));
    Pixels want = Pixels32(Header(source));
    for (auto& p : want) p |= 0x80000000u;
    EXPECT_EQ(Pixels32(Header(target)), want);
    auto self = MakeDib(6, 3, unaligned, false, rng);
    want = Pixels32(Header(self));
    for (auto& p : want) p = (p & 0xFFFFFF) | 0x11000000u;
    ASSERT_EQ(CDIB32::ConvertTo32BitsDIB(Header(self), Header(self), 0x11, 0), Header(self));
    EXPECT_EQ(Pixels32(Header(self)), want);
}

#ifdef _WIN32
// Each format to 32 bits, into a new DIB and into a given one, with the alpha asked for or, when asked, a
// 32-bit BI_RGB source's own; and as a DIB section, a bitmap of the screen's depth and a monochrome one back to
// a DIB at the bitmap's depth. Refused targets of another size or depth are part of the malformed-header run.
TEST(Conversion, EveryFormatMatchesGdiWithTheAlphaAskedFor) {
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
}
#endif

// Every pixel keeps its colour; its alpha is the new one exactly inside the area, clipped to the image.
// Regions need GDI: natively only the rectangles run.
TEST(AlphaFill, RectanglesAndRegionsAreClippedToTheImage) {
    std::mt19937 rng(5);
#ifdef _WIN32
    qel::UniqueHrgn region(::CreateEllipticRgn(-10, 4, 25, 30)), box(::CreateRectRgn(15, -5, 40, 3));
    ::CombineRgn(region.get(), region.get(), box.get(), RGN_OR);
    constexpr bool kRegions = true;
#else
    constexpr bool kRegions = false;
#endif
    const RECT cases[] = {{0, 0, 20, 9}, {-5, -3, 4, 2}, {15, 6, 400, 400}, {8, 2, 3, 7}, {25, 0, 30, 9},
                          {kLongMin, kLongMin, kLongMax, kLongMax}, {}};  // the last stands for the region
    for (bool topDown : {false, true})
        for (const RECT& r : cases) {
            const bool byRegion = &r == std::end(cases) - 1;
            if (byRegion && !kRegions) continue;
            auto dib = MakeDib(20, 9, kBgra, topDown, rng);
            const auto before = Pixels32(Header(dib));
#ifdef _WIN32
            ASSERT_TRUE(byRegion ? CDIB32::Fill32DIBOpacityArea(Header(dib), region.get(), 0x42)
                                 : CDIB32::Fill32DIBOpacityArea(Header(dib), r, 0x42));
#else
            ASSERT_TRUE(CDIB32::Fill32DIBOpacityArea(Header(dib), r, 0x42));
#endif
            const auto after = Pixels32(Header(dib));
            for (size_t i = 0; i < after.size(); ++i) {
                const POINT p{LONG(i % 20), LONG(i / 20)};
                bool in = r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
#ifdef _WIN32
                if (byRegion) in = ::PtInRegion(region.get(), p.x, p.y);
#endif
                ASSERT_EQ(after[i], in ? (before[i] & 0xFFFFFF) | 0x42000000u : before[i]) << r.left << ": " << p.x << ", " << p.y;
            }
        }
#ifdef _WIN32
    RECT stillThere{};
    EXPECT_EQ(::GetRgnBox(region.get(), &stillThere), COMPLEXREGION) << "the region stays the caller's";
#endif
}

// Between two images and within one (overlapping moves), clipped on every side, at every depth.
TEST(TransformBlock, CopiesTheClippedBlock) {
    std::mt19937 rng(8);
    const POINT origins[][2] = {  // source origin, target origin
        {{-4, -2}, {0, 0}}, {{12, 5}, {2, 1}}, {{3, 1}, {-6, -2}}, {{0, 0}, {3, 2}}, {{kLongMin, kLongMin}, {kLongMax, 0}}};
    for (int bits : {1, 4, 24, 32})
        for (bool within : {false, true})
            for (const auto& o : origins) {
                const Format f{bits, BI_RGB, {}, 0};
                auto source = MakeDib(19, 8, f, rng() & 1, rng), other = MakeDib(13, 6, f, rng() & 1, rng);
                auto& target = within ? source : other;
                const auto sourceBefore = source, targetBefore = target;
                ASSERT_TRUE(CDIB32::TransformBlock(Header(target), o[0], Header(source), o[1])) << bits;
                for (int y = 0; y < std::abs(Header(target)->biHeight); ++y)
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
    const bool masks = h.biCompression == BI_BITFIELDS && (b == 16 || b == 32);
    if (h.biSize < 40 || h.biSize > 124 || h.biWidth <= 0 || h.biHeight == 0 || (h.biCompression != BI_RGB && !masks)) return 0;
    if (masks && h.biSize > 40 && h.biSize < 52) return 0;  // a header that would cut the masks
    if ((b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) || (b <= 8 && h.biClrUsed > (1u << b))) return 0;
    const unsigned long long image = ((unsigned long long)h.biWidth * b + 31) / 32 * 4 * std::llabs(h.biHeight);
    if (h.biSizeImage != 0 && h.biSizeImage < image) return 0;
    const unsigned long long total =
        h.biSize + (masks && h.biSize == 40 ? 12 : 0) + (b <= 8 ? 4ull * (h.biClrUsed ? h.biClrUsed : 1u << b) : 0) + image;
    return total <= (1ull << 30) ? size_t(total) : 0;
}

// A header with a few fields spoiled, each with a value a careless reader would trip over.
BITMAPINFOHEADER RandomHeader(std::mt19937& rng) {
    const auto pick = [&rng](std::initializer_list<long long> values) { return values.begin()[rng() % values.size()]; };
    const std::initializer_list<long long> sizes{0, 1, 2, 3, 7, 31, 33, -1, -7, kLongMin, kLongMax, 0x10000, 0x40000000, 65537};
    BITMAPINFOHEADER h{40, LONG(1 + rng() % 40), LONG(1 + rng() % 20) * (rng() & 1 ? 1 : -1), 1,
                       WORD(pick({0, 1, 2, 4, 8, 15, 16, 24, 32, 48, 64, 0xFFFF})), BI_RGB, 0, 0, 0, 0, 0};
    if (h.biBitCount == 16 || h.biBitCount == 32) h.biCompression = rng() & 1 ? BI_BITFIELDS : BI_RGB;
    for (int spoils = 1 + rng() % 3; spoils > 0; --spoils) switch (rng() % 8) {
            case 0: h.biWidth = LONG(pick(sizes)); break;
            case 1: h.biHeight = LONG(pick(sizes)); break;
            case 2: h.biCompression = DWORD(pick({BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG, BI_PNG, 6, 0xFFFFFFFF})); break;
            case 3: h.biClrUsed = DWORD(pick({0, 1, 2, 15, 16, 17, 255, 256, 257, 0x40000000, 0xFFFFFFFF})); break;
            case 4: h.biSize = DWORD(pick({0, 12, 39, 40, 41, 51, 52, 56, 64, 108, 124, 125, 0x7FFFFFFF, 0xFFFFFFFF})); break;
            case 5: h.biSizeImage = rng() % 2 ? DWORD(rng() % 4096) : DWORD(rng()); break;
            case 6: h.biBitCount = WORD(rng()); break;
            default: h.biPlanes = WORD(rng()); break;
        }
    return h;
}

}  // namespace

// Each block ends right at a no-access page (4-aligned; the 0..3 bytes of slack hold 0xA5), so a read or
// write past it crashes the test; a refused block must come back byte for byte. Natively each block is a
// heap block of its own, which AddressSanitizer fences instead, and regions and bitmaps are left out.
TEST(MalformedInput, HundredThousandMalformedHeadersThroughEveryOperation) {
#ifdef _WIN32
    const DWORD page = 4096;
    auto* base = static_cast<uint8_t*>(::VirtualAlloc(nullptr, kArenaBytes + page, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    std::unique_ptr<uint8_t, void (*)(uint8_t*)> arena(base, [](uint8_t* p) { ::VirtualFree(p, 0, MEM_RELEASE); });
    DWORD old;
    ASSERT_TRUE(::VirtualProtect(base + kArenaBytes, page, PAGE_NOACCESS, &old));
    const LONG big = kLongMax / 2;
    const qel::UniqueHrgn regions[] = {qel::UniqueHrgn(::CreateRectRgn(-5, -5, 8, 8)), qel::UniqueHrgn(::CreateRectRgn(0, 0, 0, 0)),
                                       qel::UniqueHrgn(::CreateRectRgn(big, big, big + 3, big + 3)),
                                       qel::UniqueHrgn(::CreateEllipticRgn(2, 1, 60, 30))};
#endif
    std::mt19937 rng(10);
    auto valid = MakeDib(23, 9, kBgra, false, rng);
    // Until a hundred thousand malformed headers have gone through, with well-formed ones among them.
    int accepted = 0, refused = 0;
    for (int i = 0; refused < 100000; ++i) {
        BITMAPINFOHEADER h;
        do h = RandomHeader(rng);
        while (PromisedSize(h) > kArenaBytes);
        const bool wellFormed = PromisedSize(h) != 0, thirtyTwo = wellFormed && h.biBitCount == 32;
        const size_t size = wellFormed ? PromisedSize(h) : sizeof(h) + rng() % 16, rounded = (size + 3) & ~size_t(3);
#ifdef _WIN32
        uint8_t* block = base + kArenaBytes - rounded;
#else
        const std::unique_ptr<uint8_t[]> owned(new uint8_t[rounded]);
        uint8_t* block = owned.get();
#endif
        // The bytes after the header from a plain congruential generator: blocks run to megabytes.
        for (uint32_t k = sizeof(h), x = rng(); k < size; ++k) block[k] = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
        std::memcpy(block, &h, sizeof(h));
        std::memset(block + size, 0xA5, rounded - size);
        const Bytes snapshot(block, block + size);
        auto* dib = reinterpret_cast<BITMAPINFOHEADER*>(block);
        const auto unchanged = [&] { return std::equal(snapshot.begin(), snapshot.end(), block); };
        (wellFormed ? accepted : refused)++;
        const POINT origin{LONG(rng() % 60) - 30, LONG(rng() % 40) - 20};
        // As the source and as the target of a conversion.
        ASSERT_EQ(Own(CDIB32::ConvertTo32BitsDIB(dib, nullptr, 255, rng() & 1)) != nullptr, wellFormed) << "round " << i;
        const bool filled = CDIB32::ConvertTo32BitsDIB(Header(valid), dib, 255, 0) != nullptr;
        ASSERT_TRUE(filled ? thirtyTwo : unchanged()) << "round " << i;
        // Alpha only where no colour mask reaches into the top byte; a refused image stays as it was.
        DWORD masks[3] = {};
        if (thirtyTwo && h.biCompression == BI_BITFIELDS) std::memcpy(masks, block + 40, 12);
        const bool alphaFree = thirtyTwo && ((masks[0] | masks[1] | masks[2]) >> 24) == 0;
        bool ok = CDIB32::Fill32DIBOpacityArea(dib, RECT{LONG(rng() % 50) - 10, LONG(rng() % 30) - 10, LONG(rng() % 50), LONG(rng() % 30)}, 0x11);
#ifdef _WIN32
        ok |= CDIB32::Fill32DIBOpacityArea(dib, regions[rng() % std::size(regions)].get(), 0x22);
#else
        rng();  // the region's pick: the same headers follow on both builds
#endif
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
    // Handles that are no bitmaps, null DIBs and impossible sizes.
#ifdef _WIN32
    const HBITMAP stale = qel::UniqueHbitmap(::CreateBitmap(4, 4, 1, 32, nullptr)).get();
    for (HBITMAP bad : {HBITMAP(nullptr), stale, reinterpret_cast<HBITMAP>(regions[0].get()),
                        reinterpret_cast<HBITMAP>(uintptr_t(0x12345)), reinterpret_cast<HBITMAP>(~uintptr_t(0))})
        EXPECT_EQ(CBitmapConverter::ConvertDDBToDIB(bad), nullptr);
#endif
    EXPECT_TRUE(!CDIB32::ConvertTo32BitsDIB(nullptr, nullptr, 255, 0) && !CDIB32::Fill32DIBOpacityArea(nullptr, RECT{0, 0, 1, 1}, 1));
    EXPECT_EQ(CBitmapCreator::CreateDibImage(INT_MAX, INT_MAX, 32, 0), nullptr);
    EXPECT_EQ(CBitmapCreator::CreateDibImage(16384, 16384, 32, 0), nullptr) << "past 1 GiB";
    EXPECT_EQ(CDIB32::CreateBlank32BitsDIB(5, -5), nullptr);
}
