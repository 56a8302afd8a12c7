#include <gtest/gtest.h>

#include "GdiplusHandles.h"
#include "capture/Capture.h"

namespace {

// Records its own destruction, to see who releases what.
struct TrackedBitmap : Gdiplus::Bitmap {
    TrackedBitmap(int w, int h, Gdiplus::PixelFormat f, bool* deleted) : Bitmap(w, h, f), deleted_(deleted) {}
    ~TrackedBitmap() override { *deleted_ = true; }
    bool* deleted_;
};

struct TrackedDetails : CaptureDetails {
    explicit TrackedDetails(bool* deleted) : deleted_(deleted) {}
    ~TrackedDetails() override { *deleted_ = true; }
    bool* deleted_;
};

Gdiplus::ARGB Pattern(int x, int y) { return 0xFF000000u | (x * 2) << 8 | (y * 3); }

std::unique_ptr<Gdiplus::Bitmap> PatternBitmap(int w, int h) {
    auto b = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat24bppRGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->SetPixel(x, y, Gdiplus::Color(Pattern(x, y)));
    return b;
}

Gdiplus::ARGB PixelOf(Gdiplus::Image* image, int x, int y) {
    Gdiplus::Color c;
    static_cast<Gdiplus::Bitmap*>(image)->GetPixel(x, y, &c);
    return c.GetValue();
}

class CaptureModel : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qel::EnsureGdiplus()); }
};

}  // namespace

TEST_F(CaptureModel, SetImageConvertsIndexedAndKeepsOthers) {
    Capture capture;
    bool paletteGone = false;
    auto* indexed = new TrackedBitmap(3, 2, PixelFormat8bppIndexed, &paletteGone);
    std::vector<BYTE> paletteBytes(sizeof(Gdiplus::ColorPalette) + 255 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
    palette->Count = 256;
    for (UINT i = 0; i < 256; ++i) palette->Entries[i] = 0xFF000000u | i << 16 | (255 - i);
    ASSERT_EQ(indexed->SetPalette(palette), Gdiplus::Ok);
    {
        qel::BitmapBitsLock bits(indexed, Gdiplus::Rect(0, 0, 3, 2), Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
        ASSERT_TRUE(bits.ok());
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) bits.scan0()[y * bits.data().Stride + x] = static_cast<BYTE>(40 * y + 10 * x);
    }
    capture.SetImage(indexed);
    EXPECT_TRUE(paletteGone);
    Gdiplus::Image* image = capture.GetImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat32bppARGB);
    ASSERT_EQ(image->GetWidth(), 3u);
    ASSERT_EQ(image->GetHeight(), 2u);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelOf(image, x, y), palette->Entries[40 * y + 10 * x]) << x << "," << y;

    // A 24-bit image is kept as the very same object; the converted one is released for it.
    bool firstGone = false, secondGone = false;
    auto* rgb = new TrackedBitmap(4, 4, PixelFormat24bppRGB, &firstGone);
    capture.SetImage(rgb);
    EXPECT_EQ(capture.GetImage(), rgb);
    capture.SetImage(rgb);  // handing back the held image must not free it
    EXPECT_FALSE(firstGone);
    capture.SetImage(new TrackedBitmap(1, 1, PixelFormat24bppRGB, &secondGone));
    EXPECT_TRUE(firstGone);
    capture.DisposeImage();
    EXPECT_TRUE(secondGone);
    EXPECT_EQ(capture.GetImage(), nullptr);
}

TEST_F(CaptureModel, CropClipsMovesLocationsAndRefusesEmptyIntersections) {
    Capture capture;
    EXPECT_FALSE(capture.Crop(Gdiplus::Rect(0, 0, 5, 5)));  // no image
    capture.SetImage(PatternBitmap(100, 80).release());
    capture.SetLocation(POINT{7, 8});
    capture.SetCursorLocation(POINT{300, 200});

    // Wholly outside, or touching only along an edge (zero width, non-zero height): nothing changes.
    Gdiplus::Image* before = capture.GetImage();
    for (const Gdiplus::Rect& r : {Gdiplus::Rect(200, 200, 10, 10), Gdiplus::Rect(100, 10, 20, 20),
                                   Gdiplus::Rect(10, -30, 20, 30), Gdiplus::Rect(10, 10, 0, 0)}) {
        EXPECT_FALSE(capture.Crop(r)) << r.X << "," << r.Y << " " << r.Width << "x" << r.Height;
        EXPECT_EQ(capture.GetImage(), before);
        EXPECT_EQ(capture.GetLocation().x, 7);
        EXPECT_EQ(capture.GetCursorLocation().x, 300);
    }

    // Reaching past the right edge: cut at the edge, located at the rectangle's corner.
    ASSERT_TRUE(capture.Crop(Gdiplus::Rect(60, 20, 100, 30)));
    Gdiplus::Image* cut = capture.GetImage();
    ASSERT_EQ(cut->GetWidth(), 40u);
    ASSERT_EQ(cut->GetHeight(), 30u);
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 40; x += 3) ASSERT_EQ(PixelOf(cut, x, y), Pattern(60 + x, 20 + y)) << x << "," << y;
    EXPECT_EQ(capture.GetLocation().x, 60);
    EXPECT_EQ(capture.GetLocation().y, 20);
    EXPECT_EQ(capture.GetCursorLocation().x, 240);
    EXPECT_EQ(capture.GetCursorLocation().y, 180);

    // Starting above and left of the image: the clipped corner is (0, 0).
    ASSERT_TRUE(capture.Crop(Gdiplus::Rect(-10, -10, 20, 20)));
    EXPECT_EQ(capture.GetImage()->GetWidth(), 10u);
    EXPECT_EQ(PixelOf(capture.GetImage(), 9, 9), Pattern(69, 29));
    EXPECT_EQ(capture.GetCursorLocation().x, 240);
    capture.MoveCursorLocation(-5, 6);
    EXPECT_EQ(capture.GetCursorLocation().x, 235);
    EXPECT_EQ(capture.GetCursorLocation().y, 186);
}

TEST_F(CaptureModel, CursorIsAPrivateCopyAndNeverLeaks) {
    qel::UniqueHicon arrow(::CopyIcon(::LoadCursorW(nullptr, IDC_ARROW)));
    ASSERT_TRUE(arrow);
    Capture capture;
    capture.SetCursor(arrow.get());
    const HICON copy = capture.GetCursor();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, arrow.get());
    arrow.reset();  // the copy outlives the original
    EXPECT_TRUE(qel::IconInfo(copy).ok);
    capture.SetCursor(nullptr);
    EXPECT_EQ(capture.GetCursor(), nullptr);

    // Each call makes a copy and destroys the previous one; a leak would exhaust the handle tables.
    qel::UniqueHicon original(::CopyIcon(::LoadCursorW(nullptr, IDC_CROSS)));
    for (int i = 0; i < 40000; ++i) {
        capture.SetCursor(original.get());
        ASSERT_NE(capture.GetCursor(), nullptr) << "after " << i << " copies";
    }
}

TEST_F(CaptureModel, DetailsOwnershipAndScreenBounds) {
    bool ownedGone = false, lentGone = false;
    auto lent = std::make_unique<TrackedDetails>(&lentGone);
    {
        Capture capture;
        capture.SetDetails(new TrackedDetails(&ownedGone));
        capture.LendDetails(lent.get());
        EXPECT_TRUE(ownedGone);
        EXPECT_EQ(capture.GetDetails(), lent.get());

        // An empty stored rectangle is read again from the system.
        capture.SetScreenBounds(Gdiplus::Rect(5, 5, 0, 10));
        const Gdiplus::Rect b = capture.GetScreenBounds();
        EXPECT_EQ(b.X, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
        EXPECT_EQ(b.Width, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_EQ(b.Height, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    }
    EXPECT_FALSE(lentGone);
}

TEST(CaptureDetailsModel, NewDetailsAndValueList) {
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    CaptureDetails details;
    ::GetLocalTime(&after);
    auto ticks = [](const SYSTEMTIME& t) {
        FILETIME f;
        ::SystemTimeToFileTime(&t, &f);
        return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    EXPECT_LE(ticks(before), ticks(details.GetDateTime()));
    EXPECT_LE(ticks(details.GetDateTime()), ticks(after));
    EXPECT_TRUE(details.GetTitle().empty());
    EXPECT_TRUE(details.GetProperties().empty());

    EXPECT_FALSE(details.HasValue(0));
    EXPECT_EQ(details.AddValue(4), 4);
    details.AddValue(9);
    details.AddValue(4);
    EXPECT_EQ(details.GetValueList(), (std::list<int>{4, 9}));
    details.SetValueList({1, 2, 1, 3, 1});
    details.RemoveValue(1);
    EXPECT_EQ(details.GetValueList(), (std::list<int>{2, 3}));
    details.SetValueList(details.GetValueList());
    EXPECT_EQ(details.GetValueList(), (std::list<int>{2, 3}));
    details.ClearValueList();
    EXPECT_FALSE(details.HasValue(2));

    details.SetProperty(L"source", L"screen");
    details.SetProperty(L"source", L"Window");
    details.SetProperty(L"a", L"1");
    ASSERT_EQ(details.GetProperties().size(), 2u);
    EXPECT_EQ(details.GetProperties().begin()->first, L"a");
    EXPECT_EQ(details.GetProperties().at(L"source"), L"Window");
}
