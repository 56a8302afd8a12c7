// Alpha fills and block copies, checked pixel by pixel against the plain rule.
#include <gtest/gtest.h>

#include <cstring>

#include "DibTestSupport.h"
#include "Handles.h"

using namespace dibtest;
using QelImageTransform::CDIB32;

namespace {

const Format& Bgra() { return AllFormats()[11]; }

// The pixel at (x, y) of any depth as its stored value.
unsigned StoredPixel(const BITMAPINFOHEADER* dib, int x, int y) {
    const uint8_t* row = RowAt(dib, y);
    switch (dib->biBitCount) {
        case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        default: {
            unsigned v = 0;
            std::memcpy(&v, row + size_t(x) * (dib->biBitCount / 8), dib->biBitCount / 8);
            return v;
        }
    }
}

// Every pixel keeps its colour; its alpha is the new one exactly where inside says so.
template <typename Inside>
void ExpectAlpha(const std::vector<uint32_t>& before, const BITMAPINFOHEADER* dib, uint8_t alpha, Inside inside) {
    const auto after = Pixels32(dib);
    const int w = dib->biWidth;
    for (size_t i = 0; i < after.size(); ++i) {
        const int x = int(i % w), y = int(i / w);
        const uint32_t want = inside(x, y) ? (before[i] & 0xFFFFFF) | uint32_t(alpha) << 24 : before[i];
        ASSERT_EQ(after[i], want) << "pixel (" << x << ", " << y << ")";
    }
}

}  // namespace

TEST(AlphaFill, RectangleIsClippedToTheImage) {
    std::mt19937 rng(5);
    const RECT cases[] = {{0, 0, 20, 9}, {-5, -3, 4, 2}, {15, 6, 400, 400}, {3, 2, 11, 7}, {8, 2, 3, 7},
                          {LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX}, {25, 0, 30, 9}};
    for (bool topDown : {false, true})
        for (const RECT& r : cases) {
            auto dib = MakeDib(20, 9, Bgra(), topDown, rng);
            const auto before = Pixels32(Header(dib));
            ASSERT_TRUE(CDIB32::Fill32DIBOpacityArea(Header(dib), r, 0x42));
            ExpectAlpha(before, Header(dib), 0x42,
                        [&](int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
        }
}

TEST(AlphaFill, RegionIsClippedAndStaysTheCallers) {
    std::mt19937 rng(6);
    for (bool topDown : {false, true}) {
        auto dib = MakeDib(31, 17, Bgra(), topDown, rng);
        const auto before = Pixels32(Header(dib));
        qel::UniqueHrgn region(::CreateEllipticRgn(-10, 4, 25, 30));
        qel::UniqueHrgn box(::CreateRectRgn(20, -5, 40, 3));
        ::CombineRgn(region.get(), region.get(), box.get(), RGN_OR);
        ASSERT_TRUE(CDIB32::Fill32DIBOpacityArea(Header(dib), region.get(), 0xFF));
        ExpectAlpha(before, Header(dib), 0xFF, [&](int x, int y) { return ::PtInRegion(region.get(), x, y) != 0; });
        RECT stillThere{};
        EXPECT_EQ(::GetRgnBox(region.get(), &stillThere), COMPLEXREGION);
    }
}

TEST(AlphaFill, RefusesImagesWithoutAnAlphaByte) {
    std::mt19937 rng(7);
    qel::UniqueHrgn region(::CreateRectRgn(0, 0, 5, 5));
    for (const Format& f : AllFormats()) {
        auto dib = MakeDib(6, 3, f, false, rng);
        const auto before = dib;
        const bool alphaByte = f.bits == 32 && ((f.masks[0] | f.masks[1] | f.masks[2]) >> 24) == 0;
        EXPECT_EQ(CDIB32::Fill32DIBOpacityArea(Header(dib), RECT{0, 0, 6, 3}, 1), alphaByte) << f.name;
        EXPECT_EQ(CDIB32::Fill32DIBOpacityArea(Header(dib), region.get(), 1), alphaByte) << f.name;
        if (!alphaByte) {
            EXPECT_EQ(dib, before) << f.name;
        }
    }
    auto dib = MakeDib(6, 3, Bgra(), false, rng);
    EXPECT_FALSE(CDIB32::Fill32DIBOpacityArea(Header(dib), HRGN(nullptr), 1));
    EXPECT_FALSE(CDIB32::Fill32DIBOpacityArea(nullptr, RECT{0, 0, 1, 1}, 1));
}

TEST(TransformBlock, CopiesTheClippedBlockAtEveryDepth) {
    std::mt19937 rng(8);
    const POINT origins[][2] = {  // source origin, target origin
        {{0, 0}, {0, 0}},   {{5, 3}, {0, 0}},   {{-4, -2}, {0, 0}}, {{12, 5}, {2, 1}},
        {{3, 1}, {-6, -2}}, {{40, 0}, {0, 0}},  {{0, 0}, {15, 0}},  {{-30, -30}, {1, 1}},
        {{LONG_MAX, 0}, {0, 0}}, {{LONG_MIN, LONG_MIN}, {LONG_MAX, 0}}};
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const Format f{"", bits, BI_RGB, {}, 0};
        for (const auto& o : origins) {
            auto source = MakeDib(19, 8, f, rng() & 1, rng);
            auto target = MakeDib(13, 6, f, rng() & 1, rng);
            const auto before = target;
            ASSERT_TRUE(CDIB32::TransformBlock(Header(target), o[0], Header(source), o[1])) << bits;
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 13; ++x) {
                    const long long sx = x - (long long)o[1].x + o[0].x, sy = y - (long long)o[1].y + o[0].y;
                    const bool copied = x >= o[1].x && y >= o[1].y && sx >= 0 && sx < 19 && sy >= 0 && sy < 8;
                    const unsigned want = copied ? StoredPixel(Header(source), int(sx), int(sy))
                                                 : StoredPixel(reinterpret_cast<const BITMAPINFOHEADER*>(before.data()), x, y);
                    ASSERT_EQ(StoredPixel(Header(target), x, y), want)
                        << bits << " bpp, pixel (" << x << ", " << y << "), origins " << o[0].x << "," << o[0].y;
                }
        }
    }
}

TEST(TransformBlock, MovesWithinOneImageAndRefusesMixedDepths) {
    std::mt19937 rng(9);
    for (int bits : {4, 32})
        for (const POINT shift : {POINT{3, 2}, POINT{-3, -2}, POINT{2, -1}}) {
            const Format f{"", bits, BI_RGB, {}, 0};
            auto image = MakeDib(16, 10, f, false, rng);
            const auto copy = image;
            const auto* original = reinterpret_cast<const BITMAPINFOHEADER*>(copy.data());
            ASSERT_TRUE(CDIB32::TransformBlock(Header(image), POINT{0, 0}, Header(image), shift));
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 16; ++x) {
                    const bool moved = x >= shift.x && y >= shift.y && x - shift.x < 16 && y - shift.y < 10;
                    ASSERT_EQ(StoredPixel(Header(image), x, y),
                              StoredPixel(original, moved ? x - shift.x : x, moved ? y - shift.y : y))
                        << bits << " bpp (" << x << ", " << y << ")";
                }
        }
    auto deep = MakeDib(4, 4, Bgra(), false, rng), shallow = MakeDib(4, 4, AllFormats()[10], false, rng);
    const auto before = deep;
    EXPECT_FALSE(CDIB32::TransformBlock(Header(deep), POINT{0, 0}, Header(shallow), POINT{0, 0}));
    EXPECT_EQ(deep, before);
}
