#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <vector>

#include "GdiplusHandles.h"
#include "pixels/FastBitmap.h"

using Gdiplus::ARGB;
using Gdiplus::Bitmap;

namespace {

class FastBitmapTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }
};

std::unique_ptr<Bitmap> MakeBitmap(int w, int h, Gdiplus::PixelFormat format, ARGB fill = 0) {
    auto bitmap = std::make_unique<Bitmap>(w, h, format);
    for (int y = 0; fill && y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, Gdiplus::Color(fill));
    return bitmap->GetLastStatus() == Gdiplus::Ok ? std::move(bitmap) : nullptr;
}

ARGB PixelOf(Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    return c.GetValue();
}

}  // namespace

TEST_F(FastBitmapTest, FactoryPicksTheAccessorByPixelFormat) {
    for (Gdiplus::PixelFormat format : {PixelFormat8bppIndexed, PixelFormat24bppRGB, PixelFormat32bppRGB,
                                        PixelFormat32bppARGB, PixelFormat32bppPARGB}) {
        auto bitmap = MakeBitmap(8, 6, format);
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels) << std::hex << format;
        EXPECT_TRUE(pixels->IsLocked());
        EXPECT_FALSE(pixels->HasAlphaChannel());
        EXPECT_EQ(pixels->Width() * 10 + pixels->Height(), 86);
    }
    for (Gdiplus::PixelFormat format : {PixelFormat16bppRGB565, PixelFormat48bppRGB, PixelFormat64bppARGB}) {
        auto bitmap = MakeBitmap(8, 6, format);
        ASSERT_TRUE(bitmap);
        EXPECT_FALSE(FastBitmap::Create(bitmap.get())) << std::hex << format;
    }
    EXPECT_FALSE(FastBitmap::Create(nullptr));
}

TEST_F(FastBitmapTest, AreaIsCutToTheBitmapAndCoordinatesAreRelativeToIt) {
    auto bitmap = MakeBitmap(100, 80, PixelFormat32bppARGB, 0xFF000000);
    {
        auto pixels = FastBitmap::Create(bitmap.get(), Gdiplus::Rect(90, 70, 20, 20));
        ASSERT_TRUE(pixels && pixels->IsLocked());
        EXPECT_EQ(pixels->Left(), 90);
        EXPECT_EQ(pixels->Top(), 70);
        EXPECT_EQ(pixels->Right(), 100);
        EXPECT_EQ(pixels->Bottom(), 80);
        EXPECT_TRUE(pixels->Contains(9, 9));
        EXPECT_FALSE(pixels->Contains(10, 0));
        pixels->WritePixel(0, 0, ARGB(0xFF112233));
        pixels->WritePixel(9, 9, ARGB(0xFF445566));
        // Outside the locked buffer nothing is touched and reads give nothing.
        pixels->WritePixel(10, 0, ARGB(0xFFFFFFFF));
        pixels->WritePixel(-1, 0, ARGB(0xFFFFFFFF));
        EXPECT_EQ(pixels->ReadPixel(0, 10), 0u);
    }
    EXPECT_EQ(PixelOf(*bitmap, 90, 70), 0xFF112233u);
    EXPECT_EQ(PixelOf(*bitmap, 99, 79), 0xFF445566u);
    EXPECT_EQ(PixelOf(*bitmap, 89, 70), 0xFF000000u);
    EXPECT_EQ(PixelOf(*bitmap, 0, 71), 0xFF000000u);

    // An area beside the bitmap locks nothing instead of the whole image.
    auto beside = FastBitmap::Create(bitmap.get(), Gdiplus::Rect(200, 0, 10, 10));
    ASSERT_TRUE(beside);
    EXPECT_FALSE(beside->IsLocked());
    EXPECT_EQ(beside->Width(), 0);
    beside->WritePixel(0, 0, ARGB(0xFFFFFFFF));
}

TEST_F(FastBitmapTest, ChannelOrdersOfTwentyFourAndThirtyTwoBits) {
    auto rgb24 = MakeBitmap(3, 2, PixelFormat24bppRGB, 0xFF102030);
    auto argb32 = MakeBitmap(3, 2, PixelFormat32bppARGB, 0x00102030);
    argb32->SetPixel(1, 1, Gdiplus::Color(0x80000000));
    const BYTE bytes[3] = {0xAA, 0xBB, 0xCC};
    for (Bitmap* bitmap : {rgb24.get(), argb32.get()}) {
        auto pixels = FastBitmap::Create(bitmap);
        ASSERT_TRUE(pixels);
        // The stored alpha (0 in the 32-bit image) is not read.
        EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFF102030u);
        BYTE c[3] = {};
        pixels->ReadPixel(0, 0, c);
        EXPECT_EQ(c[0] << 16 | c[1] << 8 | c[2], bitmap == rgb24.get() ? 0x302010 : 0x102030);
        pixels->WritePixel(2, 0, bytes);
        pixels->WritePixel(1, 1, ARGB(0x00FFFFFF));
    }
    // 24-bit arrays are blue, green, red; 32-bit arrays red, green, blue.
    EXPECT_EQ(PixelOf(*rgb24, 2, 0), 0xFFCCBBAAu);
    EXPECT_EQ(PixelOf(*argb32, 2, 0), 0x00AABBCCu);
    // A 32-bit write keeps the pixel's alpha.
    EXPECT_EQ(PixelOf(*rgb24, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelOf(*argb32, 1, 1), 0x80FFFFFFu);
}

TEST_F(FastBitmapTest, UnlockRelockDetachAndDrawKeepWrittenPixels) {
    auto bitmap = MakeBitmap(10, 10, PixelFormat24bppRGB, 0xFF000000);
    auto pixels = FastBitmap::Create(bitmap.get(), Gdiplus::Rect(5, 5, 3, 3));
    ASSERT_TRUE(pixels);
    pixels->WritePixel(0, 0, ARGB(0xFF0000FF));
    pixels->Unlock();
    EXPECT_FALSE(pixels->IsLocked());
    EXPECT_EQ(PixelOf(*bitmap, 5, 5), 0xFF0000FFu);
    pixels->Lock();
    EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFF0000FFu);
    pixels->WritePixel(2, 2, ARGB(0xFF00FF00));

    auto target = MakeBitmap(20, 20, PixelFormat32bppARGB, 0xFFFFFFFF);
    {
        Gdiplus::Graphics graphics(target.get());
        pixels->DrawTo(&graphics, Gdiplus::Point(12, 1));
    }
    EXPECT_FALSE(pixels->IsLocked());
    EXPECT_EQ(PixelOf(*target, 12, 1), 0xFF0000FFu);
    EXPECT_EQ(PixelOf(*target, 14, 3), 0xFF00FF00u);
    EXPECT_EQ(PixelOf(*target, 15, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelOf(*target, 11, 1), 0xFFFFFFFFu);

    pixels->SetOwnsBitmap(true);
    EXPECT_EQ(pixels->UnlockAndDetach(), bitmap.get());
    EXPECT_FALSE(pixels->OwnsBitmap());
}

TEST_F(FastBitmapTest, ClipLimitsWritesButNotReads) {
    auto bitmap = MakeBitmap(20, 20, PixelFormat32bppRGB, 0xFF000000);
    auto pixels = FastBitmap::Create(bitmap.get());
    ASSERT_TRUE(pixels);
    // Never set: every write lands.
    pixels->WritePixel(0, 0, ARGB(0xFFFFFFFF));
    EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFFFFFFFFu);

    pixels->SetClip(Gdiplus::Rect(10, 10, 5, 5));
    pixels->SetClipInverted(false);
    pixels->WritePixel(10, 10, ARGB(0xFF0000FF));
    pixels->WritePixel(15, 10, ARGB(0xFF0000FF));
    EXPECT_EQ(pixels->ReadPixel(10, 10), 0xFF0000FFu);
    EXPECT_EQ(pixels->ReadPixel(15, 10), 0xFF000000u);
    EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFFFFFFFFu);  // reads outside the clip
    EXPECT_FALSE(pixels->Contains(15, 10));

    pixels->SetClipInverted(true);
    pixels->WritePixel(11, 10, ARGB(0xFF00FF00));
    pixels->WritePixel(15, 10, ARGB(0xFF00FF00));
    const BYTE rgb[3] = {0x01, 0x02, 0x03};
    pixels->WritePixel(12, 12, rgb);
    EXPECT_EQ(pixels->ReadPixel(11, 10), 0xFF000000u);
    EXPECT_EQ(pixels->ReadPixel(15, 10), 0xFF00FF00u);
    EXPECT_EQ(pixels->ReadPixel(12, 12), 0xFF000000u);
    EXPECT_TRUE(pixels->Contains(15, 10));
    EXPECT_FALSE(pixels->Contains(25, 25));
}

TEST_F(FastBitmapTest, IndexedWritesOnlyColoursOfThePalette) {
    // A full palette of opaque greys, except entry 7: half-transparent red.
    auto bitmap = MakeBitmap(4, 2, PixelFormat8bppIndexed);
    std::vector<BYTE> buffer(sizeof(Gdiplus::ColorPalette) + 255 * sizeof(ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
    palette->Count = 256;
    for (UINT i = 0; i < 256; ++i) palette->Entries[i] = 0xFF000000 | i * 0x010101;
    palette->Entries[7] = 0x80FF0000;
    ASSERT_EQ(bitmap->SetPalette(palette), Gdiplus::Ok);
    {
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels);
        pixels->WritePixel(1, 0, ARGB(0xFF404040));
        pixels->WritePixel(2, 0, ARGB(0xFF404040));  // from the cache
        pixels->WritePixel(3, 0, ARGB(0x80FF0000));
        EXPECT_EQ(pixels->ReadPixel(3, 0), 0x80FF0000u);  // with the entry's own alpha
        // Not in the palette, or only with another alpha: the pixel stays.
        pixels->WritePixel(0, 1, ARGB(0xFF123456));
        pixels->WritePixel(1, 1, ARGB(0x7F404040));
        const BYTE c[3] = {9, 9, 9};
        pixels->WritePixel(2, 1, c);  // the byte-array form does nothing here
    }
    qel::BitmapBitsLock lock(bitmap.get(), Gdiplus::Rect(0, 0, 4, 2), Gdiplus::ImageLockModeRead,
                             PixelFormat8bppIndexed);
    ASSERT_TRUE(lock.ok());
    const BYTE* row0 = lock.scan0();
    const BYTE* row1 = row0 + lock.data().Stride;
    EXPECT_EQ(std::vector<BYTE>(row0, row0 + 4), (std::vector<BYTE>{0, 0x40, 0x40, 7}));
    EXPECT_EQ(std::vector<BYTE>(row1, row1 + 4), (std::vector<BYTE>{0, 0, 0, 0}));
}
