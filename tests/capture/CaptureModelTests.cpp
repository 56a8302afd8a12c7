#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "GdiplusHandles.h"
#include "tests/windows/ScreenTestWindows.h"
#include "capture/Capture.h"

namespace {

// Records its own destruction, to see who releases what.
template <typename Base> struct Tracked : Base {
    template <typename... A> explicit Tracked(bool* gone, A... a) : Base(a...), gone_(gone) {}
    ~Tracked() override { *gone_ = true; }
    bool* gone_;
};
using TrackedBitmap = Tracked<Gdiplus::Bitmap>;

std::pair<long, long> XY(POINT p) { return {p.x, p.y}; }
std::pair<UINT, UINT> SizeOf(Gdiplus::Image* image) { return {image->GetWidth(), image->GetHeight()}; }

Gdiplus::ARGB Pattern(int x, int y) { return 0xFF000000u | x << 9 | y * 3; }

class CaptureModel : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }
    Capture capture;
};

}  // namespace

TEST_F(CaptureModel, SetImageConvertsIndexedAndKeepsOthers) {
    bool paletteGone = false, rgbGone = false;
    auto* indexed = new TrackedBitmap(&paletteGone, 3, 2, PixelFormat8bppIndexed);
    std::vector<BYTE> bytes(sizeof(Gdiplus::ColorPalette) + 255 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(bytes.data());
    palette->Count = 256;
    for (UINT i = 0; i < 256; ++i) palette->Entries[i] = 0xFF000000u | i << 16 | (255 - i);
    ASSERT_EQ(indexed->SetPalette(palette), Gdiplus::Ok);
    {
        qel::BitmapBitsLock bits(indexed, Gdiplus::Rect(0, 0, 3, 2), Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
        ASSERT_TRUE(bits.ok());
        for (int i = 0; i < 6; ++i) bits.scan0()[i / 3 * bits.data().Stride + i % 3] = static_cast<BYTE>(7 + 10 * i);
    }
    capture.SetImage(indexed);
    EXPECT_TRUE(paletteGone);
    Gdiplus::Image* image = capture.GetImage();
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat32bppARGB);
    ASSERT_EQ(SizeOf(image), std::make_pair(3u, 2u));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(screentest::PixelAt(image, i % 3, i / 3), palette->Entries[7 + 10 * i]) << i;

    // Other formats are kept as the very object given; handing back the held image must not free it.
    auto* rgb = new TrackedBitmap(&rgbGone, 4, 4, PixelFormat24bppRGB);
    capture.SetImage(rgb);
    capture.SetImage(rgb);
    EXPECT_EQ(capture.GetImage(), rgb);
    EXPECT_FALSE(rgbGone);
    capture.DisposeImage();
    EXPECT_TRUE(rgbGone);
}

TEST_F(CaptureModel, CropClipsMovesLocationsAndRefusesEmptyIntersections) {
    EXPECT_FALSE(capture.Crop(Gdiplus::Rect(0, 0, 5, 5)));  // no image
    auto* source = new Gdiplus::Bitmap(100, 80, PixelFormat24bppRGB);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) source->SetPixel(x, y, Gdiplus::Color(Pattern(x, y)));
    capture.SetImage(source);
    capture.SetCursorLocation(POINT{300, 200});
    // Wholly outside, touching an edge (no width or no height), or empty: nothing changes.
    for (const Gdiplus::Rect& r : {Gdiplus::Rect(200, 200, 10, 10), Gdiplus::Rect(100, 10, 20, 20),
                                   Gdiplus::Rect(10, -30, 20, 30), Gdiplus::Rect(10, 10, 0, 0)}) {
        EXPECT_FALSE(capture.Crop(r)) << r.X << "," << r.Y;
        EXPECT_EQ(capture.GetImage(), source);
        EXPECT_EQ(XY(capture.GetLocation()), XY(POINT{0, 0}));
        EXPECT_EQ(XY(capture.GetCursorLocation()), XY(POINT{300, 200}));
    }
    // Reaching past the right edge: cut at the edge, located at the rectangle's corner.
    ASSERT_TRUE(capture.Crop(Gdiplus::Rect(60, 20, 100, 30)));
    Gdiplus::Image* cut = capture.GetImage();
    ASSERT_EQ(SizeOf(cut), std::make_pair(40u, 30u));
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 40; x += 3) ASSERT_EQ(screentest::PixelAt(cut, x, y), Pattern(60 + x, 20 + y)) << x << "," << y;
    EXPECT_EQ(XY(capture.GetLocation()), XY(POINT{60, 20}));
    EXPECT_EQ(XY(capture.GetCursorLocation()), XY(POINT{240, 180}));
    // Starting above and left of the image: clipped to the corner (0, 0).
    ASSERT_TRUE(capture.Crop(Gdiplus::Rect(-10, -10, 20, 20)));
    EXPECT_EQ(screentest::PixelAt(capture.GetImage(), 9, 9), Pattern(69, 29));
    EXPECT_EQ(SizeOf(capture.GetImage()), std::make_pair(10u, 10u));
}

TEST_F(CaptureModel, CursorIsAPrivateCopyAndNeverLeaks) {
    qel::UniqueHicon arrow(::CopyIcon(::LoadCursorW(nullptr, IDC_ARROW)));
    capture.SetCursor(arrow.get());
    const HICON copy = capture.GetCursor();
    EXPECT_NE(copy, arrow.get());
    arrow.reset();
    EXPECT_TRUE(qel::IconInfo(copy).ok);  // the copy outlives the original
    capture.SetCursor(nullptr);
    EXPECT_EQ(capture.GetCursor(), nullptr);
    // Each call copies and destroys the previous copy; a leak would exhaust Wine's handle tables
    // (a leaking loop fails after about 22000 copies).
    qel::UniqueHicon cross(::CopyIcon(::LoadCursorW(nullptr, IDC_CROSS)));
    for (int i = 0; i < 40000; ++i) {
        capture.SetCursor(cross.get());
        ASSERT_NE(capture.GetCursor(), nullptr) << "after " << i << " copies";
    }
}

TEST_F(CaptureModel, DetailsOwnershipAndScreenBounds) {
    bool ownedGone = false, lentGone = false;
    Tracked<CaptureDetails> lent(&lentGone);
    {
        Capture other;
        other.SetDetails(new Tracked<CaptureDetails>(&ownedGone));
        other.LendDetails(&lent);
        EXPECT_TRUE(ownedGone);
        EXPECT_EQ(other.GetDetails(), &lent);
        other.SetScreenBounds(Gdiplus::Rect(5, 5, 0, 10));  // empty: read again from the system
        const Gdiplus::Rect b = other.GetScreenBounds();
        EXPECT_EQ(b.X, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
        EXPECT_EQ(b.Width, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    }
    EXPECT_FALSE(lentGone);
}

