// The overlays' shared helpers, the region shaping that uses them, and the checkerboard resource.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/CaptureSession.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "selection/OverlayHelpers.h"

namespace {

class Helpers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qel::EnsureGdiplus());
        saved_ = CaptureSettings::Get();
    }
    void TearDown() override {
        CaptureSettings::Get().DisableRemoteOptimization = saved_.DisableRemoteOptimization;
        CaptureSettings::Get().ForceRemoteOptimization = saved_.ForceRemoteOptimization;
    }
    CaptureSettings saved_;
};

// Pixel bytes (blue, green, red, alpha) of a bottom-up 32-bit DIB at image coordinates.
BYTE* PixelAt(BITMAPINFOHEADER* dib, int x, int y) {
    BYTE* bits = reinterpret_cast<BYTE*>(dib) + dib->biSize;
    return bits + (static_cast<size_t>(dib->biHeight - 1 - y) * dib->biWidth + x) * 4;
}

// An opaque image whose colour tells every pixel's position, so a flipped or shifted copy shows.
UniqueDib PositionImage(int width, int height) {
    UniqueDib dib(QelImageTransform::CDIB32::CreateBlank32BitsDIB(width, height));
    for (int y = 0; dib && y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            BYTE* p = PixelAt(dib.get(), x, y);
            p[0] = static_cast<BYTE>(x);
            p[1] = static_cast<BYTE>(y);
            p[2] = static_cast<BYTE>(x / 2 + y);
            p[3] = 255;
        }
    }
    return dib;
}

bool SameColour(BITMAPINFOHEADER* a, BITMAPINFOHEADER* b, int x, int y) {
    return std::memcmp(PixelAt(a, x, y), PixelAt(b, x, y), 3) == 0;
}

}  // namespace

TEST_F(Helpers, RemoteSessionSwitchesCutAnimationsToOneFrame) {
    CaptureSettings& settings = CaptureSettings::Get();
    const bool systemRemote = ::GetSystemMetrics(SM_REMOTESESSION) != 0;
    settings.DisableRemoteOptimization = false;
    settings.ForceRemoteOptimization = false;
    EXPECT_EQ(IsRemoteSession(), systemRemote);
    EXPECT_EQ(AnimationFrames(11), systemRemote ? 1 : 11);

    settings.ForceRemoteOptimization = true;
    EXPECT_TRUE(IsRemoteSession());
    EXPECT_EQ(AnimationFrames(11), 1);
    EXPECT_EQ(AnimationFrames(16), 1);

    // Disabling wins over forcing.
    settings.DisableRemoteOptimization = true;
    EXPECT_FALSE(IsRemoteSession());
    EXPECT_EQ(AnimationFrames(11), 11);
    EXPECT_EQ(AnimationFrames(16), 16);
}

TEST(Rounding, HalfGoesUpEverythingBelowGoesDown) {
    EXPECT_EQ(RoundToPixels(41.5), 42);
    EXPECT_EQ(RoundToPixels(41.4), 41);
    EXPECT_EQ(RoundToPixels(41.49999), 41);
    EXPECT_EQ(RoundToPixels(0.5), 1);
    EXPECT_EQ(RoundToPixels(0.0), 0);
    EXPECT_EQ(RoundToPixels(13.0), 13);
}

TEST_F(Helpers, MeasureTextIsTheEightPointSizeRoundedHalfUp) {
    // The overlays' generic sans-serif family where the system has one; any installed family measures
    // by the same rule.
    Gdiplus::InstalledFontCollection installed;
    Gdiplus::FontFamily any;
    int found = 0;
    installed.GetFamilies(1, &any, &found);
    const Gdiplus::FontFamily* family = Gdiplus::FontFamily::GenericSansSerif();
    if (!family) family = found == 1 ? &any : nullptr;
    ASSERT_NE(family, nullptr);
    const wchar_t* text = L"1920 x 1080";
    const Gdiplus::Size size = MeasureText(family, text);

    // The same measurement taken here on the screen's DC, at 8 points and at 16 points.
    qel::WindowDc dc(nullptr);
    Gdiplus::Graphics graphics(dc.get());
    Gdiplus::RectF eight, sixteen;
    Gdiplus::Font font8(family, 8.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    Gdiplus::Font font16(family, 16.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    ASSERT_EQ(graphics.MeasureString(text, -1, &font8, Gdiplus::RectF(0, 0, 1000, 500), nullptr, &eight), Gdiplus::Ok);
    ASSERT_EQ(graphics.MeasureString(text, -1, &font16, Gdiplus::RectF(0, 0, 1000, 500), nullptr, &sixteen),
              Gdiplus::Ok);
    ASSERT_GT(eight.Width, 10.0f);
    EXPECT_EQ(size.Width, static_cast<int>(eight.Width + 0.5f));
    EXPECT_EQ(size.Height, static_cast<int>(eight.Height + 0.5f));
    EXPECT_LT(size.Width, static_cast<int>(sixteen.Width));

    // A window's DC measures the same; a longer text is wider; nothing to measure gives nothing.
    const Gdiplus::Size onDesktop = MeasureText(family, text, ::GetDesktopWindow());
    EXPECT_EQ(onDesktop.Width, size.Width);
    EXPECT_EQ(onDesktop.Height, size.Height);
    EXPECT_GT(MeasureText(family, L"1920 x 10800").Width, size.Width);
    EXPECT_EQ(MeasureText(nullptr, text).Width, 0);
    EXPECT_EQ(MeasureText(family, nullptr).Height, 0);
}

TEST_F(Helpers, RoundedRectangleIsAppendedAsOneClosedFigure) {
    Gdiplus::GraphicsPath path;
    path.AddLine(500, 500, 505, 505);
    path.CloseFigure();
    AddRoundedRectangle(10, 20, 100, 50, 10, path);
    EXPECT_EQ(path.GetLastStatus(), Gdiplus::Ok);
    const int count = path.GetPointCount();
    std::vector<BYTE> types(static_cast<size_t>(count));
    ASSERT_EQ(path.GetPathTypes(types.data(), count), Gdiplus::Ok);
    int starts = 0;
    for (BYTE t : types) starts += (t & Gdiplus::PathPointTypePathTypeMask) == Gdiplus::PathPointTypeStart;
    EXPECT_EQ(starts, 2);
    EXPECT_TRUE(types.back() & Gdiplus::PathPointTypeCloseSubpath);
    EXPECT_EQ(SelectionCornerRadius(80, 160), 10);
    EXPECT_EQ(SelectionCornerRadius(7, 100), 0);
}

TEST_F(Helpers, EllipseShapeClearsTheCornersAndKeepsTheInside) {
    UniqueDib source = PositionImage(200, 100);
    ASSERT_TRUE(source);
    UniqueDib shaped(ShapeDib(source.get(), 2));
    ASSERT_TRUE(shaped);
    ASSERT_EQ(shaped->biWidth, 200);
    ASSERT_EQ(shaped->biHeight, 100);
    ASSERT_EQ(shaped->biBitCount, 32);

    for (POINT corner : {POINT{0, 0}, POINT{199, 0}, POINT{0, 99}, POINT{199, 99}}) {
        EXPECT_EQ(PixelAt(shaped.get(), corner.x, corner.y)[3], 0) << corner.x << "," << corner.y;
    }
    EXPECT_EQ(PixelAt(shaped.get(), 100, 50)[3], 255);
    EXPECT_TRUE(SameColour(shaped.get(), source.get(), 100, 50));
    EXPECT_TRUE(SameColour(shaped.get(), source.get(), 100, 5));  // upright, not flipped
    EXPECT_TRUE(SameColour(shaped.get(), source.get(), 15, 50));

    // Well inside: opaque with the source's colour; well outside: transparent. Rim pixels keep the
    // source's colour at whatever coverage the renderer gives them (Wine's fills are not anti-aliased).
    int inside = 0, outside = 0, wrong = 0, covered = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const double u = (x + 0.5 - 100) / 100, v = (y + 0.5 - 50) / 50;
            const double e = u * u + v * v;
            const BYTE* p = PixelAt(shaped.get(), x, y);
            const BYTE* s = PixelAt(source.get(), x, y);
            if (p[3] > 0) ++covered;
            if (e < 0.9) {
                ++inside;
                if (p[3] != 255 || !SameColour(shaped.get(), source.get(), x, y)) ++wrong;
            } else if (e > 1.1) {
                ++outside;
                if (p[3] != 0) ++wrong;
            } else if (p[3] > 0) {
                for (int c = 0; c < 3; ++c) {
                    if (std::abs(p[c] - s[c]) > 2) ++wrong;
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << inside << " inside and " << outside << " outside";
    // Close to the ellipse's area, pi * 100 * 50.
    EXPECT_NEAR(covered, 15708, 400);
}

TEST_F(Helpers, RoundedRectangleShapeUsesTheEighthOfTheShorterSideAsRadius) {
    UniqueDib source = PositionImage(160, 80);
    UniqueDib shaped(ShapeDib(source.get(), 3));
    ASSERT_TRUE(shaped);
    ASSERT_EQ(shaped->biWidth, 160);
    ASSERT_EQ(shaped->biHeight, 80);
    EXPECT_EQ(PixelAt(shaped.get(), 80, 40)[3], 255);
    EXPECT_TRUE(SameColour(shaped.get(), source.get(), 80, 40));
    EXPECT_EQ(PixelAt(shaped.get(), 3, 40)[3], 255);  // the straight edges are not rounded

    // Corner pixels against a circle of radius 10, with a pixel and a half of slack for the rim.
    int wrong = 0, checked = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            for (int mirror = 0; mirror < 4; ++mirror) {
                const int px = mirror & 1 ? 159 - x : x, py = mirror & 2 ? 79 - y : y;
                const double d = std::hypot(x + 0.5 - 10, y + 0.5 - 10);
                const BYTE alpha = PixelAt(shaped.get(), px, py)[3];
                if (d > 11.5) {
                    ++checked;
                    if (alpha != 0) ++wrong;
                } else if (d < 8.5) {
                    ++checked;
                    if (alpha != 255) ++wrong;
                }
            }
        }
    }
    EXPECT_GT(checked, 200);
    EXPECT_EQ(wrong, 0);
}

TEST_F(Helpers, OnlyEllipsesAndRoundedRectanglesOfOurOwnImagesAreShaped) {
    UniqueDib source = PositionImage(40, 30);
    for (int shape : {0, 1, 4, 5, 6}) EXPECT_EQ(ShapeDib(source.get(), shape), nullptr) << shape;
    EXPECT_EQ(ShapeDib(nullptr, 2), nullptr);
    UniqueDib eightBit(QelImageTransform::CBitmapCreator::CreateDibImage(40, 30, 8, 0));
    EXPECT_EQ(ShapeDib(eightBit.get(), 2), nullptr);
    // A one-pixel selection is still an image.
    UniqueDib tiny = PositionImage(1, 1);
    UniqueDib shapedTiny(ShapeDib(tiny.get(), 3));
    ASSERT_TRUE(shapedTiny);
    EXPECT_EQ(shapedTiny->biWidth, 1);
    EXPECT_EQ(shapedTiny->biHeight, 1);
}

TEST_F(Helpers, CheckerboardResourceIsASeamlessTwoColourPalettePng) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1001), L"PNG");
    ASSERT_NE(found, nullptr);
    const DWORD size = ::SizeofResource(nullptr, found);
    const void* data = ::LockResource(::LoadResource(nullptr, found));
    ASSERT_NE(data, nullptr);
    qel::UniqueHglobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    ASSERT_TRUE(block);
    std::memcpy(::GlobalLock(block.get()), data, size);
    ::GlobalUnlock(block.get());
    IStream* stream = nullptr;
    ASSERT_EQ(::CreateStreamOnHGlobal(block.get(), FALSE, &stream), S_OK);
    std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    ASSERT_TRUE(image && image->GetLastStatus() == Gdiplus::Ok);
    ASSERT_EQ(image->GetWidth(), 225u);
    ASSERT_EQ(image->GetHeight(), 225u);
    EXPECT_EQ(image->GetPixelFormat(), PixelFormat8bppIndexed);

    auto at = [&](int x, int y) {
        Gdiplus::Color c;
        image->GetPixel(x, y, &c);
        return c.GetValue();
    };
    // A checkerboard: a pixel matches the top row's pixel of its column exactly when the left column's
    // pixel of its row matches the corner.
    std::set<Gdiplus::ARGB> colours;
    int mismatches = 0;
    for (int y = 0; y < 225; ++y) {
        for (int x = 0; x < 225; ++x) {
            colours.insert(at(x, y));
            if ((at(x, y) == at(x, 0)) != (at(0, y) == at(0, 0))) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(colours, (std::set<Gdiplus::ARGB>{0xFFFFFFFF, 0xFFCCCCCC}));

    // Squares of about 11 pixels, an even count of them across and down so the tiles join without a seam.
    for (bool across : {true, false}) {
        std::vector<int> runs{1};
        for (int i = 1; i < 225; ++i) {
            if (across ? at(i, 0) != at(i - 1, 0) : at(0, i) != at(0, i - 1))
                runs.push_back(1);
            else
                ++runs.back();
        }
        EXPECT_EQ(runs.size() % 2, 0u);
        for (int r : runs) EXPECT_TRUE(r == 11 || r == 12) << r;
    }
}
