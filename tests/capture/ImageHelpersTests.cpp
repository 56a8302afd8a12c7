#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include <vector>

#include "GdiplusHandles.h"
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

ARGB PixelOf(Gdiplus::Image* image, int x, int y) {
    Gdiplus::Color c;
    static_cast<Bitmap*>(image)->GetPixel(x, y, &c);
    return c.GetValue();
}

// Compares the copy with the source's area, pixel by pixel.
void ExpectSamePixels(Gdiplus::Image* copy, Bitmap& source, const Rect& area) {
    ASSERT_EQ(copy->GetWidth(), UINT(area.Width));
    ASSERT_EQ(copy->GetHeight(), UINT(area.Height));
    for (int y = 0; y < area.Height; ++y)
        for (int x = 0; x < area.Width; ++x)
            ASSERT_EQ(PixelOf(copy, x, y), PixelOf(&source, area.X + x, area.Y + y)) << x << "," << y;
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
        EXPECT_EQ(PixelOf(copy.get(), 1, 1), palette.entries[(area.X + area.Y + 2) % 4]);
        EXPECT_EQ(PixelOf(copy.get(), 2, 1), palette.entries[(area.X + area.Y + 3) % 4]);
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
            EXPECT_EQ(PixelOf(copy.get(), 0, 0), 0xFFFFFFFFu);
        }
        EXPECT_EQ(PixelOf(copy.get(), 3 - o, 3 - o), 0xFF102030u);
        const BYTE grey = BYTE(PixelOf(copy.get(), 4 - o, 4 - o) & 0xFF);  // half black on white
        EXPECT_NEAR(grey, 0x7F, 2);
    }

    // Without a white background a translucent pixel is copied, not blended.
    std::unique_ptr<Bitmap> same(ImageHelpers::CloneArea(source.get(), 0, Rect()));
    ASSERT_TRUE(same);
    EXPECT_EQ(PixelOf(same.get(), 4, 4), 0x80000000u);
}

TEST_F(ImageHelpersTest, CloneAreaKeepsPropertyItems) {
    auto source = MakePattern(8, 8, PixelFormat24bppRGB);
    char text[] = "window capture";
    const Gdiplus::PropertyItem item{0x010E, sizeof(text), 2, text};  // image description, ASCII
    source->SetPropertyItem(&item);
    if (source->GetPropertyItemSize(0x010E) == 0) GTEST_SKIP() << "this GDI+ keeps no property items on a memory bitmap";
    for (const Rect& area : {Rect(), Rect(1, 1, 4, 4)}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(source.get(), 0, area));
        ASSERT_TRUE(copy);
        std::vector<BYTE> buffer(std::max(copy->GetPropertyItemSize(0x010E), UINT(sizeof(Gdiplus::PropertyItem))));
        auto* copied = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        ASSERT_EQ(copy->GetPropertyItem(0x010E, UINT(buffer.size()), copied), Gdiplus::Ok);
        EXPECT_STREQ(static_cast<const char*>(copied->value), text);
    }
}

TEST_F(ImageHelpersTest, CropImageClipsToTheImageAndRefusesEmptyResults) {
    auto owned = MakePattern(100, 100, PixelFormat32bppARGB);
    ASSERT_TRUE(owned);
    auto reference = MakePattern(100, 100, PixelFormat32bppARGB);
    Gdiplus::Image* image = owned.release();

    Rect rect(-10, -10, 20, 20);
    ASSERT_TRUE(ImageHelpers::CropImage(image, rect));
    EXPECT_EQ(rect.X, 0);
    EXPECT_EQ(rect.Y, 0);
    EXPECT_EQ(rect.Width, 10);
    EXPECT_EQ(rect.Height, 10);
    ExpectSamePixels(image, *reference, Rect(0, 0, 10, 10));

    rect = Rect(5, 6, 50, 50);
    ASSERT_TRUE(ImageHelpers::CropImage(image, rect));
    EXPECT_EQ(rect.Width, 5);
    EXPECT_EQ(rect.Height, 4);
    ExpectSamePixels(image, *reference, Rect(5, 6, 5, 4));

    // No overlap at all, or an overlap with no width or no height: the image stays as it is.
    Gdiplus::Image* before = image;
    for (Rect empty : {Rect(200, 200, 10, 10), Rect(5, 0, 10, 2), Rect(0, 4, 3, 9), Rect(1, 1, 0, 0)}) {
        EXPECT_FALSE(ImageHelpers::CropImage(image, empty));
        EXPECT_EQ(image, before);
        EXPECT_EQ(image->GetWidth(), 5u);
        EXPECT_EQ(image->GetHeight(), 4u);
    }
    delete image;

    Gdiplus::Image* none = nullptr;
    Rect any(0, 0, 1, 1);
    EXPECT_FALSE(ImageHelpers::CropImage(none, any));
}

TEST_F(ImageHelpersTest, CreateEmptyBitmapIsThirtyTwoBitAndCleared) {
    const ARGB red = 0xFFFF0000;
    std::unique_ptr<Bitmap> plain(ImageHelpers::CreateEmptyBitmap(6, 5, PixelFormat24bppRGB, nullptr, 120.0f, 96.0f));
    std::unique_ptr<Bitmap> filled(ImageHelpers::CreateEmptyBitmap(3, 3, 0, &red, 96.0f, 96.0f));
    ASSERT_TRUE(plain && filled);
    EXPECT_EQ(plain->GetPixelFormat(), PixelFormat32bppARGB);
    EXPECT_FLOAT_EQ(plain->GetHorizontalResolution(), 120.0f);
    EXPECT_EQ(PixelOf(plain.get(), 5, 4), 0x00FFFFFFu);
    EXPECT_EQ(PixelOf(filled.get(), 1, 2), red);
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
