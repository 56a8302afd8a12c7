// Random malformed headers fed to every operation. Each block ends right at a no-access page, so a read
// or write past it crashes the test; a refused block must come back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "DibTestSupport.h"
#include "Handles.h"

using namespace dibtest;
using QelImageTransform::CBitmapConverter;
using QelImageTransform::CBitmapCreator;
using QelImageTransform::CDIB32;

namespace {

constexpr size_t kArenaBytes = 4 << 20;

// The block size a well-formed header promises, worked out here by the plain rules; 0 when malformed.
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
T Pick(std::mt19937& rng, const T (&values)[N]) {
    return values[rng() % N];
}

// A header with a few fields spoiled, each with a value a careless reader would trip over.
BITMAPINFOHEADER RandomHeader(std::mt19937& rng) {
    static const LONG sizes[] = {0, 1, 2, 3, 7, 31, 33, -1, -7, LONG_MIN, LONG_MAX, 0x10000, 0x40000000, 65537};
    static const WORD depths[] = {0, 1, 2, 4, 8, 15, 16, 24, 32, 48, 64, 0xFFFF};
    static const DWORD compressions[] = {BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG, BI_PNG, 6, 0xFFFFFFFF};
    static const DWORD colours[] = {0, 1, 2, 15, 16, 17, 255, 256, 257, 0x40000000, 0xFFFFFFFF};
    static const DWORD headerSizes[] = {0, 12, 39, 40, 41, 64, 108, 124, 125, 0x7FFFFFFF, 0xFFFFFFFF};
    BITMAPINFOHEADER h{40, LONG(1 + rng() % 40), LONG(1 + rng() % 20) * (rng() & 1 ? 1 : -1), 1,
                       Pick(rng, depths), BI_RGB, 0, 0, 0, 0, 0};
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

// Committed pages followed by one that may not be touched. A block is placed to end at it, 4-aligned;
// the 0..3 bytes of slack after it hold 0xA5.
class GuardedArena {
public:
    GuardedArena() {
        SYSTEM_INFO si;
        ::GetSystemInfo(&si);
        base_ = static_cast<uint8_t*>(::VirtualAlloc(nullptr, kArenaBytes + si.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        if (base_) ::VirtualProtect(base_ + kArenaBytes, si.dwPageSize, PAGE_NOACCESS, &old);
    }
    ~GuardedArena() {
        if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
    }
    explicit operator bool() const { return base_ != nullptr; }

    // A random header, then random bytes: the promised size when well formed, a few bytes otherwise.
    void PlaceRandomDib(std::mt19937& rng) {
        BITMAPINFOHEADER h;
        do h = RandomHeader(rng);
        while (PromisedSize(h) > kArenaBytes);
        wellFormed = PromisedSize(h) != 0;
        size = wellFormed ? PromisedSize(h) : sizeof(h) + rng() % 16;
        const size_t rounded = (size + 3) & ~size_t(3);
        block = base_ + kArenaBytes - rounded;
        for (size_t i = sizeof(h); i < size; ++i) block[i] = uint8_t(rng());
        std::memcpy(block, &h, sizeof(h));
        std::memset(block + size, 0xA5, rounded - size);
        snapshot.assign(block, block + size);
    }
    BITMAPINFOHEADER* dib() const { return reinterpret_cast<BITMAPINFOHEADER*>(block); }
    bool Unchanged() const { return std::memcmp(block, snapshot.data(), size) == 0; }
    bool SlackIntact() const {
        return std::all_of(block + size, block + ((size + 3) & ~size_t(3)), [](uint8_t b) { return b == 0xA5; });
    }

    uint8_t* block = nullptr;
    size_t size = 0;
    bool wellFormed = false;

private:
    uint8_t* base_ = nullptr;
    std::vector<uint8_t> snapshot;
};

}  // namespace

TEST(MalformedInput, HundredThousandHeadersThroughEveryOperation) {
    GuardedArena d;
    ASSERT_TRUE(d);
    std::mt19937 rng(10);
    std::vector<qel::UniqueHrgn> regions;
    regions.emplace_back(::CreateRectRgn(-5, -5, 8, 8));
    regions.emplace_back(::CreateEllipticRgn(2, 1, 60, 30));
    regions.emplace_back(::CreateRectRgn(0, 0, 0, 0));
    regions.emplace_back(::CreateRectRgn(LONG_MAX / 2, LONG_MAX / 2, LONG_MAX / 2 + 3, LONG_MAX / 2 + 3));
    auto valid = MakeDib(23, 9, Bgra(), false, rng);
    int accepted = 0;
    const int rounds = 100000;
    for (int i = 0; i < rounds; ++i) {
        d.PlaceRandomDib(rng);
        const bool thirtyTwo = d.wellFormed && d.dib()->biBitCount == 32;
        accepted += d.wellFormed;
        const POINT origin{LONG(rng() % 60) - 30, LONG(rng() % 40) - 20};
        const RECT area{LONG(rng() % 50) - 10, LONG(rng() % 30) - 10, LONG(rng() % 50), LONG(rng() % 30)};
        // As the source and as the target of a conversion.
        OwnedDib converted = Own(CDIB32::ConvertTo32BitsDIB(d.dib(), nullptr, 255, rng() & 1));
        ASSERT_EQ(converted != nullptr, d.wellFormed) << "round " << i;
        const bool filled = CDIB32::ConvertTo32BitsDIB(Header(valid), d.dib(), 255, 0) != nullptr;
        ASSERT_TRUE(filled ? thirtyTwo : d.Unchanged()) << "round " << i;
        // Alpha only where no colour mask reaches into the top byte; a refused image stays as it was.
        DWORD masks[3] = {};
        if (thirtyTwo && d.dib()->biCompression == BI_BITFIELDS) std::memcpy(masks, d.block + d.dib()->biSize, 12);
        const bool alphaFree = thirtyTwo && ((masks[0] | masks[1] | masks[2]) >> 24) == 0;
        bool ok = CDIB32::Fill32DIBOpacityArea(d.dib(), area, 0x11);
        ok |= CDIB32::Fill32DIBOpacityArea(d.dib(), regions[rng() % regions.size()].get(), 0x22);
        ASSERT_TRUE(ok == alphaFree && (ok || d.Unchanged())) << "round " << i;
        // As the target and as the source of a block copy; a refused target comes back unchanged.
        ok = CDIB32::TransformBlock(d.dib(), origin, Header(valid), POINT{LONG(rng() % 9), LONG(rng() % 5)});
        ASSERT_EQ(ok, thirtyTwo) << "round " << i;
        const auto validBefore = valid;
        ok = CDIB32::TransformBlock(Header(valid), origin, d.dib(), POINT{0, 0});
        ASSERT_TRUE(ok == thirtyTwo && (ok || valid == validBefore)) << "round " << i;
        ASSERT_TRUE(d.SlackIntact() && (d.wellFormed || d.Unchanged())) << "round " << i;
    }
    // The mix must exercise both sides.
    EXPECT_GT(accepted, rounds / 10);
    EXPECT_LT(accepted, rounds * 9 / 10);
}

TEST(MalformedInput, HandlesThatAreNoBitmapsAndImpossibleSizes) {
    qel::UniqueHbitmap deleted(::CreateBitmap(4, 4, 1, 32, nullptr));
    const HBITMAP stale = deleted.get();
    deleted.reset();
    qel::UniqueHrgn region(::CreateRectRgn(0, 0, 1, 1));
    for (HBITMAP h : {HBITMAP(nullptr), stale, reinterpret_cast<HBITMAP>(region.get()),
                      reinterpret_cast<HBITMAP>(uintptr_t(0x12345)), reinterpret_cast<HBITMAP>(~uintptr_t(0))})
        EXPECT_EQ(CBitmapConverter::ConvertDDBToDIB(h), nullptr);
    EXPECT_EQ(CDIB32::ConvertTo32BitsDIB(nullptr, nullptr, 255, 0), nullptr);
    EXPECT_FALSE(CDIB32::Fill32DIBOpacityArea(nullptr, RECT{0, 0, 1, 1}, 1));
    std::mt19937 rng(1);
    auto dib = MakeDib(6, 3, Bgra(), false, rng);
    EXPECT_FALSE(CDIB32::Fill32DIBOpacityArea(Header(dib), HRGN(nullptr), 1));
    EXPECT_EQ(CBitmapCreator::CreateDibImage(INT_MAX, INT_MAX, 32, 0), nullptr);
    EXPECT_EQ(CBitmapCreator::CreateDibImage(16384, 16384, 32, 0), nullptr) << "past 1 GiB";
    EXPECT_EQ(CBitmapCreator::CreateDibImage(5, 5, 24, 1), nullptr);
    EXPECT_EQ(CBitmapCreator::CreateDibImage(5, 5, 8, 257), nullptr);
    EXPECT_EQ(CDIB32::CreateBlank32BitsDIB(0, 5), nullptr);
    EXPECT_EQ(CDIB32::CreateBlank32BitsDIB(5, -5), nullptr);
}
