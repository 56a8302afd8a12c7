#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include <vector>

#include "GdiplusHandles.h"
#include "tests/windows/ScreenTestWindows.h"
#include "capture/ImageHelpers.h"

using Gdiplus::ARGB;
using Gdiplus::Bitmap;
using Gdiplus::Rect;

namespace {

class ImageHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }
};

// Pixel (x, y) gets a colour unique to its position, so that any shift or scaling shows.
ARGB PatternAt(int x, int y, BYTE alpha = 0xFF) { return (ARGB(alpha) << 24) | (ARGB(x) << 16) | (ARGB(y) << 8) | 0x5A; }

std::unique_ptr<Bitmap> MakePattern(int w, int h, Gdiplus::PixelFormat format) {
    auto bitmap = std::make_unique<Bitmap>(w, h, format);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, Gdiplus::Color(PatternAt(x, y)));
    return bitmap;
}

// Compares the copy with the source's area, pixel by pixel.
void ExpectSamePixels(Gdiplus::Image* copy, Bitmap& source, const Rect& area) {
    ASSERT_EQ(copy->GetWidth(), UINT(area.Width));
    ASSERT_EQ(copy->GetHeight(), UINT(area.Height));
    for (int y = 0; y < area.Height; ++y)
        for (int x = 0; x < area.Width; ++x)
            ASSERT_EQ(screentest::PixelAt(copy, x, y), screentest::PixelAt(&source, area.X + x, area.Y + y)) << x << "," << y;
}

}  // namespace

TEST_F(ImageHelpersTest, CloneAreaKeepsSupportedFormatsAndResolution) {
    for (Gdiplus::PixelFormat format : {PixelFormat24bppRGB, PixelFormat32bppARGB, PixelFormat32bppRGB}) {
        auto source = MakePattern(40, 30, format);
        ASSERT_TRUE(source);
        source->SetResolution(150.0f, 72.0f);
        // Whole image (drawn) and a part of it (cloned) must both be exact and unscaled.
        for (const Rect& area : {Rect(), Rect(5, 4, 20, 10), Rect(30, 20, 50, 50)}) {
            std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(source.get(), 0, area));
            ASSERT_TRUE(copy) << std::hex << format;
            EXPECT_EQ(copy->GetPixelFormat(), format);
            EXPECT_FLOAT_EQ(copy->GetHorizontalResolution(), 150.0f);
            EXPECT_FLOAT_EQ(copy->GetVerticalResolution(), 72.0f);
            const Rect expected = area.Width ? Rect(area.X, area.Y, std::min(area.Width, 40 - area.X),
                                                    std::min(area.Height, 30 - area.Y))
                                             : Rect(0, 0, 40, 30);
            ExpectSamePixels(copy.get(), *source, expected);
        }
    }
}

TEST_F(ImageHelpersTest, CloneAreaMapsOtherFormatsToThirtyTwoOrTwentyFourBits) {
    struct Case {
        Gdiplus::PixelFormat from, requested, expected;
    };
    const Case cases[] = {
        {PixelFormat64bppARGB, 0, PixelFormat32bppARGB},
        {PixelFormat16bppARGB1555, 0, PixelFormat32bppARGB},
        {PixelFormat16bppRGB565, 0, PixelFormat24bppRGB},
        {PixelFormat24bppRGB, PixelFormat48bppRGB, PixelFormat24bppRGB},
        {PixelFormat24bppRGB, PixelFormat32bppPARGB, PixelFormat32bppPARGB},
    };
    for (const Case& c : cases) {
        auto source = MakePattern(16, 8, c.from);
        ASSERT_TRUE(source) << std::hex << c.from;
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(source.get(), c.requested, Rect()));
        ASSERT_TRUE(copy) << std::hex << c.from;
        EXPECT_EQ(copy->GetPixelFormat(), c.expected) << std::hex << c.from;
        EXPECT_EQ(copy->GetWidth(), 16u);
    }

    // 8-bit indexed becomes 24-bit RGB with the palette's colours, whole or in part.
    auto indexed = std::make_unique<Bitmap>(8, 8, PixelFormat8bppIndexed);
    struct {
        UINT flags = 0, count = 4;
        ARGB entries[4] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    } palette;
    ASSERT_EQ(indexed->SetPalette(reinterpret_cast<Gdiplus::ColorPalette*>(&palette)), Gdiplus::Ok);
    {
        qel::BitmapBitsLock lock(indexed.get(), Rect(0, 0, 8, 8), Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
        ASSERT_TRUE(lock.ok());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) lock.scan0()[y * lock.data().Stride + x] = BYTE((x + y) % 4);
    }
    for (const Rect& area : {Rect(), Rect(2, 3, 4, 4)}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(indexed.get(), 0, area));
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->GetPixelFormat(), PixelFormat24bppRGB);
        EXPECT_EQ(screentest::PixelAt(copy.get(), 1, 1), palette.entries[(area.X + area.Y + 2) % 4]);
        EXPECT_EQ(screentest::PixelAt(copy.get(), 2, 1), palette.entries[(area.X + area.Y + 3) % 4]);
    }
}

TEST_F(ImageHelpersTest, CloneAreaToTwentyFourBitsPutsTransparencyOnWhite) {
    auto source = std::make_unique<Bitmap>(10, 10, PixelFormat32bppARGB);
    source->SetPixel(0, 0, Gdiplus::Color(0x00000000));
    source->SetPixel(3, 3, Gdiplus::Color(0xFF102030));
    source->SetPixel(4, 4, Gdiplus::Color(0x80000000));
    for (const Rect& area : {Rect(), Rect(3, 3, 2, 2)}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(source.get(), PixelFormat24bppRGB, area));
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->GetPixelFormat(), PixelFormat24bppRGB);
        const int o = area.X;
        if (o == 0) {
            EXPECT_EQ(screentest::PixelAt(copy.get(), 0, 0), 0xFFFFFFFFu);
        }
        EXPECT_EQ(screentest::PixelAt(copy.get(), 3 - o, 3 - o), 0xFF102030u);
        const BYTE grey = BYTE(screentest::PixelAt(copy.get(), 4 - o, 4 - o) & 0xFF);  // half black on white
        EXPECT_NEAR(grey, 0x7F, 2);
    }

    // Without a white background a translucent pixel is copied, not blended.
    std::unique_ptr<Bitmap> same(ImageHelpers::CloneArea(source.get(), 0, Rect()));
    ASSERT_TRUE(same);
    EXPECT_EQ(screentest::PixelAt(same.get(), 4, 4), 0x80000000u);
}

TEST_F(ImageHelpersTest, CountColorComparesRedGreenBlueOnly) {
    for (Gdiplus::PixelFormat format :
         {PixelFormat32bppARGB, PixelFormat24bppRGB, PixelFormat16bppRGB565, PixelFormat64bppARGB}) {
        auto bitmap = MakePattern(20, 10, format);
        ASSERT_TRUE(bitmap);
        // Black pixels, one of them fully transparent where the format keeps alpha.
        bitmap->SetPixel(0, 0, Gdiplus::Color(0x00000000));
        bitmap->SetPixel(19, 9, Gdiplus::Color(0xFF000000));
        bitmap->SetPixel(7, 3, Gdiplus::Color(0xFF000000));
        EXPECT_EQ(ImageHelpers::CountColor(bitmap.get(), 0xFF000000), 3u) << std::hex << format;
        bitmap->SetPixel(4, 5, Gdiplus::Color(0xFFFF00FF));
        EXPECT_EQ(ImageHelpers::CountColor(bitmap.get(), 0x00FF00FF), 1u) << std::hex << format;
    }
    EXPECT_EQ(ImageHelpers::CountColor(nullptr, 0), 0u);
}

TEST_F(ImageHelpersTest, RegionContainsRectangleNeedsAllFourCornersInside) {
    Gdiplus::Region region(Rect(0, 0, 100, 100));
    EXPECT_FALSE(ImageHelpers::RegionContainsRectangle(&region, 0, 0, 100, 100));
    EXPECT_TRUE(ImageHelpers::RegionContainsRectangle(&region, 0, 0, 99, 99));
    EXPECT_FALSE(ImageHelpers::RegionContainsRectangle(&region, -1, 0, 50, 50));

    // Two monitors side by side with different heights: a rectangle across the step is not inside.
    region.Union(Rect(100, 0, 50, 60));
    EXPECT_TRUE(ImageHelpers::RegionContainsRectangle(&region, 80, 10, 60, 40));
    EXPECT_FALSE(ImageHelpers::RegionContainsRectangle(&region, 80, 10, 60, 60));
    EXPECT_FALSE(ImageHelpers::RegionContainsRectangle(nullptr, 0, 0, 1, 1));
}
