// The fast pixel accessor over GDI+ bitmaps: area and clip, channel orders, row order and palettes.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "GdiplusHandles.h"
#include "pixels/FastBitmap.h"

using Gdiplus::ARGB;
using Gdiplus::Bitmap;

namespace {

std::unique_ptr<Bitmap> MakeBitmap(int w, int h, Gdiplus::PixelFormat format, ARGB fill = 0) {
    if (!qel::EnsureGdiplus()) return nullptr;
    auto bitmap = std::make_unique<Bitmap>(w, h, format);
    for (int i = 0; fill && i < w * h; ++i) bitmap->SetPixel(i % w, i / w, Gdiplus::Color(fill));
    return bitmap->GetLastStatus() == Gdiplus::Ok ? std::move(bitmap) : nullptr;
}

ARGB PixelOf(Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    return bitmap.GetPixel(x, y, &c), c.GetValue();
}

}  // namespace

TEST(FastBitmap, AreaAndClipKeepWritesInsideWhileReadsStayFree) {
    // Formats without an accessor are not opened (the others are opened by the tests below).
    auto wide = MakeBitmap(8, 6, PixelFormat48bppRGB), bitmap = MakeBitmap(100, 80, PixelFormat32bppARGB, 0xFF000000);
    ASSERT_TRUE(wide && bitmap);
    EXPECT_FALSE(FastBitmap::Create(wide.get()) || FastBitmap::Create(nullptr));
    {
        auto pixels = FastBitmap::Create(bitmap.get(), Gdiplus::Rect(90, 70, 20, 20));  // cut to 10 x 10
        ASSERT_TRUE(pixels && pixels->IsLocked());
        EXPECT_EQ(std::make_pair(pixels->Right(), pixels->Bottom()), std::make_pair(100, 80));
        for (int x : {0, 9, 10, -1}) pixels->WritePixel(x, x % 10, ARGB(0xFF112233));
        EXPECT_EQ(pixels->ReadPixel(0, 10), 0u);
        pixels->SetClip(Gdiplus::Rect(5, 5, 2, 2));
        for (int x : {5, 7}) pixels->WritePixel(x, 5, ARGB(0xFF0000FF));
        EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFF112233u);  // reads outside the clip
        pixels->SetClipInverted(true);
        for (const POINT p : {POINT{6, 6}, POINT{8, 5}}) pixels->WritePixel(p.x, p.y, ARGB(0xFF00FF00));
    }
    EXPECT_TRUE(PixelOf(*bitmap, 90, 70) == 0xFF112233u && PixelOf(*bitmap, 99, 79) == 0xFF112233u);
    EXPECT_EQ(PixelOf(*bitmap, 89, 70) | PixelOf(*bitmap, 0, 71) | PixelOf(*bitmap, 97, 75), 0xFF000000u);
    EXPECT_TRUE(PixelOf(*bitmap, 95, 75) == 0xFF0000FFu && PixelOf(*bitmap, 96, 76) == 0xFF000000u && PixelOf(*bitmap, 98, 75) == 0xFF00FF00u);
    // An area beside the bitmap locks nothing instead of the whole image.
    auto beside = FastBitmap::Create(bitmap.get(), Gdiplus::Rect(200, 0, 10, 10));
    ASSERT_TRUE(beside && !beside->IsLocked());
    beside->WritePixel(0, 0, ARGB(0xFFFFFFFF));
}

TEST(FastBitmap, ChannelOrdersOfTwentyFourAndThirtyTwoBitsAndBottomUpRows) {
    auto rgb24 = MakeBitmap(3, 2, PixelFormat24bppRGB, 0xFF102030), argb32 = MakeBitmap(3, 2, PixelFormat32bppARGB, 0x00102030);
    ASSERT_TRUE(rgb24 && argb32);
    argb32->SetPixel(1, 1, Gdiplus::Color(0x80000000));
    const BYTE bytes[3] = {0xAA, 0xBB, 0xCC};
    for (Bitmap* bitmap : {rgb24.get(), argb32.get()}) {
        auto pixels = FastBitmap::Create(bitmap);
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFF102030u);  // the stored alpha is not read
        BYTE c[3] = {};
        pixels->ReadPixel(0, 0, c);
        EXPECT_EQ(c[0] << 16 | c[1] << 8 | c[2], bitmap == rgb24.get() ? 0x302010 : 0x102030);
        pixels->WritePixel(2, 0, bytes);
        pixels->WritePixel(1, 1, ARGB(0x00FFFFFF));
    }
    // 24-bit arrays are blue, green, red; 32-bit arrays red, green, blue; a 32-bit write keeps alpha.
    EXPECT_TRUE(PixelOf(*rgb24, 2, 0) == 0xFFCCBBAAu && PixelOf(*argb32, 2, 0) == 0x00AABBCCu);
    EXPECT_TRUE(PixelOf(*rgb24, 1, 1) == 0xFFFFFFFFu && PixelOf(*argb32, 1, 1) == 0x80FFFFFFu);

    // Over a bottom-up buffer the rows lie at a negative stride: every row is reached, none outside.
    std::vector<uint32_t> rows(4 * 3);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = 0xFF000000u | uint32_t(i);
    Bitmap view(4, 3, -16, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(&rows[8]));  // top row last
    {
        auto pixels = FastBitmap::Create(&view);
        ASSERT_TRUE(pixels);
        EXPECT_TRUE(pixels->ReadPixel(1, 0) == 0xFF000009u && pixels->ReadPixel(3, 2) == 0xFF000003u);
        pixels->WritePixel(2, 1, ARGB(0xFFABCDEF));
    }
    EXPECT_EQ(rows[6], 0xFFABCDEFu);
}

TEST(FastBitmap, IndexedWritesOnlyColoursOfThePalette) {
    auto bitmap = MakeBitmap(4, 2, PixelFormat8bppIndexed);
    struct {
        UINT flags = 0, count = 4;
        ARGB entries[4] = {0xFF000000, 0xFF404040, 0xFF808080, 0x80FF0000};
    } palette;
    ASSERT_TRUE(bitmap && bitmap->SetPalette(reinterpret_cast<Gdiplus::ColorPalette*>(&palette)) == Gdiplus::Ok);
    {
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels);
        for (int x : {1, 2}) pixels->WritePixel(x, 0, ARGB(0xFF404040));  // the second from the cache
        pixels->WritePixel(3, 0, ARGB(0x80FF0000));
        EXPECT_EQ(pixels->ReadPixel(3, 0), 0x80FF0000u);
        // Not in the palette, only with another alpha, or as bytes: the pixel stays.
        pixels->WritePixel(0, 1, ARGB(0xFF123456)), pixels->WritePixel(1, 1, ARGB(0x7F404040));
        const BYTE grey[3] = {0x40, 0x40, 0x40};
        pixels->WritePixel(2, 1, grey);
    }
    const ARGB want[8] = {0xFF000000, 0xFF404040, 0xFF404040, 0x80FF0000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(PixelOf(*bitmap, i % 4, i / 4), want[i]) << i;
}
