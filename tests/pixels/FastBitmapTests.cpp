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
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    if (fill) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, Gdiplus::Color(fill));
    }
    return bitmap;
}

ARGB PixelOf(Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    return c.GetValue();
}

BYTE IndexAt(Bitmap& bitmap, int x, int y) {
    qel::BitmapBitsLock lock(&bitmap, Gdiplus::Rect(x, y, 1, 1), Gdiplus::ImageLockModeRead, PixelFormat8bppIndexed);
    return lock.ok() ? lock.scan0()[0] : 0xEE;
}

// An 8-bit bitmap with a full palette: entry i is opaque grey i, except entry 7 which is half-transparent red.
std::unique_ptr<Bitmap> MakeIndexed(int w, int h) {
    auto bitmap = MakeBitmap(w, h, PixelFormat8bppIndexed);
    if (!bitmap) return nullptr;
    std::vector<BYTE> buffer(sizeof(Gdiplus::ColorPalette) + 255 * sizeof(ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
    palette->Flags = 0;
    palette->Count = 256;
    for (UINT i = 0; i < 256; ++i) palette->Entries[i] = 0xFF000000 | (i << 16) | (i << 8) | i;
    palette->Entries[7] = 0x80FF0000;
    if (bitmap->SetPalette(palette) != Gdiplus::Ok) return nullptr;
    return bitmap;
}

}  // namespace

TEST_F(FastBitmapTest, FactoryPicksTheAccessorByPixelFormat) {
    for (Gdiplus::PixelFormat format : {PixelFormat8bppIndexed, PixelFormat24bppRGB, PixelFormat32bppRGB,
                                        PixelFormat32bppARGB, PixelFormat32bppPARGB}) {
        auto bitmap = MakeBitmap(8, 6, format);
        ASSERT_TRUE(bitmap) << std::hex << format;
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels) << std::hex << format;
        EXPECT_TRUE(pixels->IsLocked());
        EXPECT_FALSE(pixels->HasAlphaChannel());
        EXPECT_EQ(pixels->Width(), 8);
        EXPECT_EQ(pixels->Height(), 6);
    }
    for (Gdiplus::PixelFormat format : {PixelFormat16bppRGB565, PixelFormat48bppRGB, PixelFormat64bppARGB}) {
        auto bitmap = MakeBitmap(8, 6, format);
        ASSERT_TRUE(bitmap) << std::hex << format;
        EXPECT_FALSE(FastBitmap::Create(bitmap.get())) << std::hex << format;
    }
    EXPECT_FALSE(FastBitmap::Create(nullptr));
}

TEST_F(FastBitmapTest, AreaIsCutToTheBitmapAndCoordinatesAreRelativeToIt) {
    auto bitmap = MakeBitmap(100, 80, PixelFormat32bppARGB, 0xFF000000);
    ASSERT_TRUE(bitmap);
    {
        auto pixels = FastBitmap::Create(bitmap.get(), Gdiplus::Rect(90, 70, 20, 20));
        ASSERT_TRUE(pixels && pixels->IsLocked());
        EXPECT_EQ(pixels->Left(), 90);
        EXPECT_EQ(pixels->Top(), 70);
        EXPECT_EQ(pixels->Width(), 10);
        EXPECT_EQ(pixels->Height(), 10);
        EXPECT_EQ(pixels->Right(), 100);
        EXPECT_EQ(pixels->Bottom(), 80);
        EXPECT_TRUE(pixels->Contains(9, 9));
        EXPECT_FALSE(pixels->Contains(10, 0));
        pixels->WritePixel(0, 0, ARGB(0xFF112233));
        pixels->WritePixel(9, 9, ARGB(0xFF445566));
        // Outside the locked buffer: nothing is touched, reads give nothing.
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
    EXPECT_EQ(beside->ReadPixel(0, 0), 0u);
}

TEST_F(FastBitmapTest, UnlockLockAndDetachKeepWrittenPixels) {
    auto bitmap = MakeBitmap(4, 4, PixelFormat24bppRGB, 0xFF000000);
    ASSERT_TRUE(bitmap);
    auto pixels = FastBitmap::Create(bitmap.get());
    ASSERT_TRUE(pixels);
    pixels->WritePixel(1, 1, ARGB(0xFF0000FF));
    pixels->Unlock();
    EXPECT_FALSE(pixels->IsLocked());
    EXPECT_EQ(PixelOf(*bitmap, 1, 1), 0xFF0000FFu);
    pixels->Lock();
    EXPECT_TRUE(pixels->IsLocked());
    EXPECT_EQ(pixels->ReadPixel(1, 1), 0xFF0000FFu);
    pixels->WritePixel(2, 2, ARGB(0xFF00FF00));
    pixels->SetOwnsBitmap(true);
    EXPECT_EQ(pixels->UnlockAndDetach(), bitmap.get());
    EXPECT_FALSE(pixels->OwnsBitmap());
    EXPECT_EQ(PixelOf(*bitmap, 2, 2), 0xFF00FF00u);
}

TEST_F(FastBitmapTest, TwentyFourBitOrdersTheByteArrayBlueGreenRed) {
    auto bitmap = MakeBitmap(3, 2, PixelFormat24bppRGB, 0xFF102030);
    ASSERT_TRUE(bitmap);
    {
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels);
        BYTE c[3] = {};
        pixels->ReadPixel(0, 0, c);
        EXPECT_EQ(c[0], 0x30);
        EXPECT_EQ(c[1], 0x20);
        EXPECT_EQ(c[2], 0x10);
        EXPECT_EQ(pixels->ReadPixel(2, 1), 0xFF102030u);
        const BYTE bgr[3] = {0xAA, 0xBB, 0xCC};
        pixels->WritePixel(1, 0, bgr);
        pixels->WritePixel(2, 1, ARGB(0x00123456));
    }
    EXPECT_EQ(PixelOf(*bitmap, 1, 0), 0xFFCCBBAAu);
    EXPECT_EQ(PixelOf(*bitmap, 2, 1), 0xFF123456u);
    EXPECT_EQ(PixelOf(*bitmap, 0, 1), 0xFF102030u);
}

TEST_F(FastBitmapTest, ThirtyTwoBitOrdersTheByteArrayRedGreenBlueAndLeavesAlpha) {
    auto bitmap = MakeBitmap(3, 2, PixelFormat32bppARGB, 0x00102030);
    ASSERT_TRUE(bitmap);
    bitmap->SetPixel(1, 1, Gdiplus::Color(0x80000000));
    {
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels);
        // The stored alpha (0 here) is not read.
        EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFF102030u);
        BYTE c[3] = {};
        pixels->ReadPixel(0, 0, c);
        EXPECT_EQ(c[0], 0x10);
        EXPECT_EQ(c[1], 0x20);
        EXPECT_EQ(c[2], 0x30);
        const BYTE rgb[3] = {0xAA, 0xBB, 0xCC};
        pixels->WritePixel(2, 0, rgb);
        pixels->WritePixel(1, 1, ARGB(0x00FFFFFF));
    }
    EXPECT_EQ(PixelOf(*bitmap, 2, 0), 0x00AABBCCu);
    EXPECT_EQ(PixelOf(*bitmap, 1, 1), 0x80FFFFFFu);
}

TEST_F(FastBitmapTest, ClipLimitsWritesButNotReads) {
    auto bitmap = MakeBitmap(20, 20, PixelFormat32bppRGB, 0xFF000000);
    ASSERT_TRUE(bitmap);
    auto pixels = FastBitmap::Create(bitmap.get());
    ASSERT_TRUE(pixels);

    // Never set: every write lands.
    EXPECT_EQ(pixels->GetClip().Width, 0);
    pixels->WritePixel(0, 0, ARGB(0xFFFFFFFF));
    EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(pixels->Contains(0, 0));

    pixels->SetClip(Gdiplus::Rect(10, 10, 5, 5));
    pixels->SetClipInverted(false);
    pixels->WritePixel(10, 10, ARGB(0xFF0000FF));
    pixels->WritePixel(15, 10, ARGB(0xFF0000FF));
    EXPECT_EQ(pixels->ReadPixel(10, 10), 0xFF0000FFu);
    EXPECT_EQ(pixels->ReadPixel(15, 10), 0xFF000000u);
    EXPECT_TRUE(pixels->Contains(14, 14));
    EXPECT_FALSE(pixels->Contains(15, 10));
    // Outside the clip the read still sees the pixel written before the clip was set.
    EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFFFFFFFFu);

    pixels->SetClipInverted(true);
    EXPECT_TRUE(pixels->IsClipInverted());
    pixels->WritePixel(11, 10, ARGB(0xFF00FF00));
    pixels->WritePixel(15, 10, ARGB(0xFF00FF00));
    const BYTE rgb[3] = {0x01, 0x02, 0x03};
    pixels->WritePixel(12, 12, rgb);
    EXPECT_EQ(pixels->ReadPixel(11, 10), 0xFF000000u);
    EXPECT_EQ(pixels->ReadPixel(15, 10), 0xFF00FF00u);
    EXPECT_EQ(pixels->ReadPixel(12, 12), 0xFF000000u);
    EXPECT_FALSE(pixels->Contains(12, 12));
    EXPECT_FALSE(pixels->Contains(25, 25));
}

TEST_F(FastBitmapTest, IndexedWritesOnlyColoursOfThePalette) {
    auto bitmap = MakeIndexed(4, 2);
    ASSERT_TRUE(bitmap);
    {
        auto pixels = FastBitmap::Create(bitmap.get());
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->ReadPixel(0, 0), 0xFF000000u);  // index 0
        pixels->WritePixel(1, 0, ARGB(0xFF404040));
        pixels->WritePixel(2, 0, ARGB(0xFF404040));  // from the cache
        pixels->WritePixel(3, 0, ARGB(0x80FF0000));
        EXPECT_EQ(pixels->ReadPixel(3, 0), 0x80FF0000u);  // the entry's own alpha
        // Not in the palette, or in it only with another alpha: the pixel stays.
        pixels->WritePixel(0, 1, ARGB(0xFF123456));
        pixels->WritePixel(1, 1, ARGB(0x7F404040));
        // The byte-array forms do nothing on an indexed image.
        const BYTE c[3] = {9, 9, 9};
        pixels->WritePixel(2, 1, c);
        BYTE out[3] = {1, 2, 3};
        pixels->ReadPixel(1, 0, out);
        EXPECT_EQ(out[0], 1);
    }
    EXPECT_EQ(IndexAt(*bitmap, 1, 0), 0x40);
    EXPECT_EQ(IndexAt(*bitmap, 2, 0), 0x40);
    EXPECT_EQ(IndexAt(*bitmap, 3, 0), 7);
    EXPECT_EQ(IndexAt(*bitmap, 0, 1), 0);
    EXPECT_EQ(IndexAt(*bitmap, 1, 1), 0);
    EXPECT_EQ(IndexAt(*bitmap, 2, 1), 0);
}

TEST_F(FastBitmapTest, DrawToUnlocksAndDrawsTheArea) {
    auto source = MakeBitmap(10, 10, PixelFormat32bppARGB, 0xFF000000);
    auto target = MakeBitmap(20, 20, PixelFormat32bppARGB, 0xFFFFFFFF);
    ASSERT_TRUE(source && target);
    source->SetPixel(5, 5, Gdiplus::Color(0xFFFF0000));
    auto pixels = FastBitmap::Create(source.get(), Gdiplus::Rect(5, 5, 3, 3));
    ASSERT_TRUE(pixels);
    pixels->WritePixel(2, 2, ARGB(0xFF00FF00));
    {
        Gdiplus::Graphics graphics(target.get());
        pixels->DrawTo(&graphics, Gdiplus::Point(12, 1));
    }
    EXPECT_FALSE(pixels->IsLocked());
    EXPECT_EQ(PixelOf(*target, 12, 1), 0xFFFF0000u);
    EXPECT_EQ(PixelOf(*target, 14, 3), 0xFF00FF00u);
    EXPECT_EQ(PixelOf(*target, 13, 2), 0xFF000000u);
    EXPECT_EQ(PixelOf(*target, 15, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelOf(*target, 11, 1), 0xFFFFFFFFu);
}
