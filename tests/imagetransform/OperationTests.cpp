// Alpha fills and block copies, checked pixel by pixel against the plain rule.
#include <gtest/gtest.h>

#include "DibTestSupport.h"
#include "Handles.h"

using namespace dibtest;
using QelImageTransform::CDIB32;

namespace {

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

TEST(AlphaFill, RectanglesAndRegionsAreClippedToTheImage) {
    std::mt19937 rng(5);
    const RECT cases[] = {{0, 0, 20, 9}, {-5, -3, 4, 2}, {15, 6, 400, 400}, {3, 2, 11, 7}, {8, 2, 3, 7},
                          {LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX}, {25, 0, 30, 9}};
    for (bool topDown : {false, true}) {
        for (const RECT& r : cases) {
            auto dib = MakeDib(20, 9, Bgra(), topDown, rng);
            const auto before = Pixels32(Header(dib));
            ASSERT_TRUE(CDIB32::Fill32DIBOpacityArea(Header(dib), r, 0x42));
            ExpectAlpha(before, Header(dib), 0x42,
                        [&](int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
        }
        auto dib = MakeDib(31, 17, Bgra(), topDown, rng);
        const auto before = Pixels32(Header(dib));
        qel::UniqueHrgn region(::CreateEllipticRgn(-10, 4, 25, 30)), box(::CreateRectRgn(20, -5, 40, 3));
        ::CombineRgn(region.get(), region.get(), box.get(), RGN_OR);
        ASSERT_TRUE(CDIB32::Fill32DIBOpacityArea(Header(dib), region.get(), 0xFF));
        ExpectAlpha(before, Header(dib), 0xFF, [&](int x, int y) { return ::PtInRegion(region.get(), x, y) != 0; });
        RECT stillThere{};
        EXPECT_EQ(::GetRgnBox(region.get(), &stillThere), COMPLEXREGION) << "the region stays the caller's";
    }
}

// Between two images and within one (overlapping moves), clipped on every side, at every depth.
TEST(TransformBlock, CopiesTheClippedBlock) {
    std::mt19937 rng(8);
    const POINT origins[][2] = {  // source origin, target origin
        {{0, 0}, {0, 0}},   {{5, 3}, {0, 0}},   {{-4, -2}, {0, 0}}, {{12, 5}, {2, 1}},  {{3, 1}, {-6, -2}},
        {{40, 0}, {0, 0}},  {{0, 0}, {15, 0}},  {{0, 0}, {3, 2}},   {{0, 0}, {2, -1}},  {{-30, -30}, {1, 1}},
        {{LONG_MAX, 0}, {0, 0}}, {{LONG_MIN, LONG_MIN}, {LONG_MAX, 0}}};
    for (int bits : {1, 4, 8, 16, 24, 32})
        for (bool within : {false, true})
            for (const auto& o : origins) {
                const Format f{"", bits, BI_RGB, {}, 0};
                auto source = MakeDib(19, 8, f, rng() & 1, rng), other = MakeDib(13, 6, f, rng() & 1, rng);
                auto& target = within ? source : other;
                const auto sourceBefore = source, targetBefore = target;
                ASSERT_TRUE(CDIB32::TransformBlock(Header(target), o[0], Header(source), o[1])) << bits;
                const int tw = Header(target)->biWidth, th = within ? 8 : 6;
                for (int y = 0; y < th; ++y)
                    for (int x = 0; x < tw; ++x) {
                        const long long sx = x - (long long)o[1].x + o[0].x, sy = y - (long long)o[1].y + o[0].y;
                        const bool copied = x >= o[1].x && y >= o[1].y && sx >= 0 && sx < 19 && sy >= 0 && sy < 8;
                        const unsigned want = copied ? StoredPixel(Header(sourceBefore), int(sx), int(sy))
                                                     : StoredPixel(Header(targetBefore), x, y);
                        ASSERT_EQ(StoredPixel(Header(target), x, y), want) << bits << " bpp, within " << within
                            << ", pixel (" << x << ", " << y << "), origins " << o[0].x << "," << o[0].y;
                    }
            }
    auto deep = MakeDib(4, 4, Bgra(), false, rng), shallow = MakeDib(4, 4, AllFormats()[10], false, rng);
    const auto before = deep;
    EXPECT_FALSE(CDIB32::TransformBlock(Header(deep), POINT{0, 0}, Header(shallow), POINT{0, 0}));
    EXPECT_EQ(deep, before);
}
