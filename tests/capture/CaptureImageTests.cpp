// The capture's image, cursor and details, and the image helpers under them.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "GdiplusHandles.h"
#include "capture/Capture.h"
#include "capture/ImageHelpers.h"
#include "tests/windows/ScreenTestWindows.h"

namespace {

using Gdiplus::ARGB;
using Gdiplus::Bitmap;
using Gdiplus::Rect;
using screentest::PixelAt;

// Records its own destruction, to see who releases what.
template <typename Base> struct Tracked : Base {
    template <typename... A> explicit Tracked(bool* gone, A... a) : Base(a...), gone_(gone) {}
    ~Tracked() override { *gone_ = true; }
    bool* gone_;
};

// Unique per position, so that any shift or scaling shows.
ARGB Pattern(int x, int y) { return 0xFF000000u | x << 16 | y << 8 | 0x5A; }

template <typename B = Bitmap, typename... A> std::unique_ptr<B> MakePattern(int w, int h, Gdiplus::PixelFormat format, A... a) {
    if (!qel::EnsureGdiplus()) return nullptr;
    auto bitmap = std::make_unique<B>(a..., w, h, format);
    for (int y = 0; y < h && format != PixelFormat8bppIndexed; ++y)
        for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, Gdiplus::Color(Pattern(x, y)));
    return bitmap->GetLastStatus() == Gdiplus::Ok ? std::move(bitmap) : nullptr;
}

// An 8-bit image of four colours, pixel (x, y) holding entry (x + y) % 4.
struct FourColours {
    UINT flags = 0, count = 4;
    ARGB entries[4] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
};
template <typename B, typename... A> std::unique_ptr<B> MakeIndexed(const FourColours& palette, A... a) {
    auto indexed = MakePattern<B>(8, 8, PixelFormat8bppIndexed, a...);
    if (!indexed || indexed->SetPalette(reinterpret_cast<const Gdiplus::ColorPalette*>(&palette)) != Gdiplus::Ok) return nullptr;
    qel::BitmapBitsLock lock(indexed.get(), Rect(0, 0, 8, 8), Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
    for (int i = 0; lock.ok() && i < 64; ++i) lock.scan0()[i / 8 * lock.data().Stride + i % 8] = BYTE((i / 8 + i % 8) % 4);
    return lock.ok() ? std::move(indexed) : nullptr;
}

}  // namespace

TEST(CaptureModel, ImageCropCursorAndDetailsOwnership) {
    // Indexed images become 32-bit; the original is released.
    Capture capture;
    bool indexedGone = false, rgbGone = false;
    const FourColours palette;
    auto indexed = MakeIndexed<Tracked<Bitmap>>(palette, &indexedGone);
    ASSERT_TRUE(indexed);
    capture.SetImage(indexed.release());
    ASSERT_TRUE(indexedGone && capture.GetImage()->GetPixelFormat() == PixelFormat32bppARGB);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(PixelAt(capture.GetImage(), i % 8, i / 8), palette.entries[(i / 8 + i % 8) % 4]) << i;
    // Handing back the held image must not free it.
    auto* rgb = new Tracked<Bitmap>(&rgbGone, 4, 4, PixelFormat24bppRGB);
    capture.SetImage(rgb), capture.SetImage(rgb);
    EXPECT_TRUE(capture.GetImage() == rgb && !rgbGone);
    capture.DisposeImage();
    EXPECT_TRUE(rgbGone);

    EXPECT_FALSE(capture.Crop(Rect(0, 0, 5, 5)));  // no image
    Bitmap* source = MakePattern(100, 80, PixelFormat24bppRGB).release();
    ASSERT_TRUE(source);
    capture.SetImage(source), capture.SetCursorLocation(POINT{300, 200});
    // Wholly outside, touching an edge, or empty: nothing changes.
    for (const Rect& r : {Rect(200, 200, 10, 10), Rect(100, 10, 20, 20), Rect(10, -30, 20, 30), Rect(10, 10, 0, 0)}) {
        EXPECT_FALSE(capture.Crop(r)) << r.X << "," << r.Y;
        EXPECT_TRUE(capture.GetImage() == source && capture.GetLocation().x == 0 && capture.GetLocation().y == 0);
    }
    // Reaching past the edges: cut at them, located at the cut's corner, the cursor moved with it.
    ASSERT_TRUE(capture.Crop(Rect(60, -20, 100, 50)));
    ASSERT_EQ(qeltest::SizeOf(capture.GetImage()), qeltest::Size(40, 30));
    EXPECT_TRUE(PixelAt(capture.GetImage(), 0, 0) == Pattern(60, 0) && PixelAt(capture.GetImage(), 39, 29) == Pattern(99, 29));
    EXPECT_TRUE(capture.GetLocation().x == 60 && capture.GetLocation().y == 0 && capture.GetCursorLocation().x == 240 &&
                capture.GetCursorLocation().y == 200);

    qel::UniqueHicon arrow(::CopyIcon(::LoadCursorW(nullptr, IDC_ARROW)));
    capture.SetCursor(arrow.get());
    const HICON copy = capture.GetCursor();
    EXPECT_NE(copy, arrow.get());
    arrow.reset();
    EXPECT_TRUE(qel::IconInfo(copy).ok);  // the copy outlives the original
    // Each call copies and destroys the previous copy.
    qel::UniqueHicon cross(::CopyIcon(::LoadCursorW(nullptr, IDC_CROSS)));
    capture.SetCursor(cross.get());
    const HICON replaced = capture.GetCursor();
    capture.SetCursor(cross.get());
    EXPECT_TRUE(qel::IconInfo(capture.GetCursor()).ok);
    EXPECT_FALSE(qel::IconInfo(replaced).ok) << "the replaced copy is still alive";
    // Lent details are never freed; owned ones are when replaced.
    bool ownedGone = false, lentGone = false;
    Tracked<CaptureDetails> lent(&lentGone);
    {
        Capture other;
        other.SetDetails(new Tracked<CaptureDetails>(&ownedGone));
        other.LendDetails(&lent);
        EXPECT_TRUE(ownedGone);
    }
    EXPECT_FALSE(lentGone);
}

// Parts are exact; every copy keeps the resolution; formats outside the four kept ones become 32-bit ARGB
// when they carry alpha, else 24-bit RGB, and alpha dropped lands on white.
TEST(ImageHelpers, CloneAreaKeepsResolutionAndMapsFormats) {
    auto source = MakePattern(40, 30, PixelFormat24bppRGB);
    ASSERT_TRUE(source);
    source->SetResolution(150.0f, 72.0f);
    // The whole image, a part, and a part reaching past the corner, with the area each should give.
    for (const auto& [area, want] : {std::pair(Rect(), Rect(0, 0, 40, 30)), std::pair(Rect(5, 4, 20, 10), Rect(5, 4, 20, 10)),
                                     std::pair(Rect(30, 20, 50, 50), Rect(30, 20, 10, 10))}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(source.get(), 0, area));
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->GetPixelFormat(), PixelFormat24bppRGB);
        EXPECT_TRUE(copy->GetHorizontalResolution() == 150.0f && copy->GetVerticalResolution() == 72.0f);
        ASSERT_EQ(qeltest::SizeOf(copy.get()), qeltest::Size(want.Width, want.Height));
        for (int i = 0; i < want.Width * want.Height; ++i)
            ASSERT_EQ(PixelAt(copy.get(), i % want.Width, i / want.Width), Pattern(want.X + i % want.Width, want.Y + i / want.Width));
    }
    const FourColours palette;
    auto deep = MakePattern(16, 8, PixelFormat64bppARGB);
    auto indexed = MakeIndexed<Bitmap>(palette);
    ASSERT_TRUE(deep && indexed);
    std::unique_ptr<Bitmap> wide(ImageHelpers::CloneArea(deep.get(), 0, Rect()));
    EXPECT_TRUE(wide && wide->GetPixelFormat() == PixelFormat32bppARGB);
    for (const Rect& area : {Rect(), Rect(2, 3, 4, 4)}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(indexed.get(), 0, area));
        ASSERT_TRUE(copy && copy->GetPixelFormat() == PixelFormat24bppRGB);
        EXPECT_EQ(PixelAt(copy.get(), 2, 1), palette.entries[(area.X + area.Y + 3) % 4]);
    }
    // Alpha dropped by a 24-bit target lands on opaque white; a 32-bit copy keeps it as it is.
    auto alpha = MakePattern(10, 10, PixelFormat32bppARGB);
    ASSERT_TRUE(alpha && alpha->SetPixel(0, 0, Gdiplus::Color(0x00000000)) == Gdiplus::Ok &&
                alpha->SetPixel(4, 4, Gdiplus::Color(0x80000000)) == Gdiplus::Ok);
    for (const Rect& area : {Rect(), Rect(3, 3, 2, 2)}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(alpha.get(), PixelFormat24bppRGB, area));
        ASSERT_TRUE(copy);
        const int o = area.X;
        EXPECT_EQ(PixelAt(copy.get(), 3 - o, 3 - o), Pattern(3, 3));
        EXPECT_NEAR(PixelAt(copy.get(), 4 - o, 4 - o) & 0xFF, 0x7F, 2);  // half black on white
        EXPECT_EQ(PixelAt(copy.get(), 0, 0), o == 0 ? 0xFFFFFFFFu : Pattern(3, 3));
    }
    std::unique_ptr<Bitmap> same(ImageHelpers::CloneArea(alpha.get(), 0, Rect()));
    EXPECT_TRUE(same && PixelAt(same.get(), 4, 4) == 0x80000000u);
}

// Every copy keeps the property items too.
TEST(ImageHelpers, CloneAreaKeepsPropertyItems) {
    auto source = MakePattern(40, 30, PixelFormat24bppRGB);
    ASSERT_TRUE(source);
    char text[] = "pictavo";
    Gdiplus::PropertyItem description{PropertyTagImageDescription, sizeof(text), PropertyTagTypeASCII, text};
    if (source->SetPropertyItem(&description) != Gdiplus::Ok ||
        source->GetPropertyItemSize(PropertyTagImageDescription) <= sizeof(text))
        GTEST_SKIP() << "this GDI+ accepts property items without storing them (Wine's does): nothing to compare";
    for (const Rect& area : {Rect(), Rect(5, 4, 20, 10)}) {
        std::unique_ptr<Bitmap> copy(ImageHelpers::CloneArea(source.get(), 0, area));
        ASSERT_TRUE(copy);
        EXPECT_GT(copy->GetPropertyItemSize(PropertyTagImageDescription), sizeof(text)) << area.X;
    }
}

// Counting ignores alpha, in every format the count reads; a rectangle is inside a region only with
// its far corners, which lie one pixel outside it.
TEST(ImageHelpers, CountColorIgnoresAlphaAndRegionsNeedAllFourCorners) {
    for (Gdiplus::PixelFormat format : {PixelFormat32bppARGB, PixelFormat24bppRGB, PixelFormat16bppRGB565, PixelFormat64bppARGB}) {
        auto bitmap = MakePattern(20, 10, format);
        ASSERT_TRUE(bitmap);
        bitmap->SetPixel(0, 0, Gdiplus::Color(0x00000000));  // transparent black where the format keeps alpha
        bitmap->SetPixel(19, 9, Gdiplus::Color(0xFF000000));
        bitmap->SetPixel(4, 5, Gdiplus::Color(0xFFFF00FF));
        EXPECT_EQ(ImageHelpers::CountColor(bitmap.get(), 0xFF000000), 2u) << std::hex << format;
        EXPECT_EQ(ImageHelpers::CountColor(bitmap.get(), 0x00FF00FF), 1u) << std::hex << format;
    }
    EXPECT_EQ(ImageHelpers::CountColor(nullptr, 0), 0u);
    Gdiplus::Region region(Rect(0, 0, 100, 100));
    EXPECT_TRUE(ImageHelpers::RegionContainsRectangle(&region, 0, 0, 99, 99) && !ImageHelpers::RegionContainsRectangle(&region, 0, 0, 100, 100));
    region.Union(Rect(100, 0, 50, 60));  // two monitors of different heights
    EXPECT_TRUE(ImageHelpers::RegionContainsRectangle(&region, 80, 10, 60, 40) && !ImageHelpers::RegionContainsRectangle(&region, 80, 10, 60, 60));
}
