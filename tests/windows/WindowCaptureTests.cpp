// Window capture: the thumbnail placement rule on made-up monitor lists, and print-window capture of
// real windows.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "windows/WindowCapture.h"

using namespace wintest;
using Gdiplus::Rect;
using namespace WindowCapture;

TEST(WindowCaptureRules, AThumbnailIsPlacedWhereAMonitorsWorkingAreaHoldsAllFourCornerPoints) {
    // 1280 x 1024 with a taskbar along its top, 1920 x 1080 right of it with one along its left: the
    // working-area origins are tried, but the thumbnail goes to the monitor's origin.
    const MonitorList dual{{Rect(0, 0, 1280, 1024), Rect(0, 40, 1280, 984)}, {Rect(1280, 0, 1920, 1080), Rect(1330, 0, 1870, 1080)}};
    const struct {
        Rect window;
        LONG x, y;
        bool fits;
    } cases[] = {
        {Rect(1000, 100, 600, 400), 1000, 100, true},  // across the seam
        {Rect(1200, 700, 400, 340), 0, 0, true},       // a corner in the gap
        {Rect(-50, 10, 600, 990), 1280, 0, true},
        {Rect(-50, 10, 600, 980), 0, 0, true},
    };
    for (const auto& c : cases) {
        const ThumbnailPlacement p = PlaceThumbnail(dual, c.window);
        EXPECT_TRUE(p.location.x == c.x && p.location.y == c.y && p.fits == c.fits) << c.window.X << "," << c.window.Y;
    }
}

static std::unique_ptr<Gdiplus::Bitmap> Print(HWND wnd) {
    WindowDetails record(wnd);
    return qel::EnsureGdiplus() ? CapturePrintWindow(record, nullptr) : nullptr;
}

TEST(PrintWindowCapture, APlainWindowGives24BitsOfItsOwnPixelsEvenWhenCoveredAndAShapedOneAlpha0Outside) {
    LookWindow plain(At(200, 150, 320, 240), WindowLook{kPaintColour, true, true});
    LookWindow shaped(At(600, 200, 240, 160));
    ASSERT_NE(::SetWindowRgn(shaped.get(), ::CreateEllipticRgn(0, 0, 240, 160), TRUE), 0);
    qel::UniqueHrgn shape(::CreateEllipticRgn(0, 0, 240, 160));
    // A window over both: printing does not read the screen.
    LookWindow cover(At(180, 130, 600, 200), WindowLook{RGB(0, 0, 255)}, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    qeltest::PumpFor(200);
    auto image = Print(plain.get());
    ASSERT_TRUE(image && image->GetPixelFormat() == PixelFormat24bppRGB);
    ASSERT_EQ(qeltest::SizeOf(image.get()), qeltest::Size(320, 240));
    int wrong = 0;
    for (int i = 0; i < 320 * 240; ++i) wrong += PixelAt(image.get(), i % 320, i / 320) != (0xFF000000u | PatternRgb(0, i % 320, i / 320));
    EXPECT_EQ(wrong, 0);

    image = Print(shaped.get());
    ASSERT_TRUE(image && image->GetPixelFormat() == PixelFormat32bppARGB);
    ASSERT_EQ(qeltest::SizeOf(image.get()), qeltest::Size(240, 160));
    int inside = 0;
    for (int i = 0; i < 240 * 160; ++i) {
        const Gdiplus::ARGB p = PixelAt(image.get(), i % 240, i / 240);
        const bool in = ::PtInRegion(shape.get(), i % 240, i / 240);
        inside += in;
        wrong += in ? p != Opaque(kPrintColour) : (p >> 24) != 0;
    }
    EXPECT_TRUE(inside > 20000 && inside < 240 * 160 - 5000) << inside;
    EXPECT_EQ(wrong, 0);
}

TEST(PrintWindowCapture, AMaximisedWindowLosesItsBordersAndNothingElse) {
    LookWindow target(At(100, 100, 400, 300), WindowLook{kPaintColour, true, true}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ::ShowWindow(target.get(), SW_MAXIMIZE);
    qeltest::PumpFor(300);
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::IsZoomed(target.get()) && ::GetWindowInfo(target.get(), &info));
    const int bx = static_cast<int>(info.cxWindowBorders), by = static_cast<int>(info.cyWindowBorders);
    ASSERT_TRUE(bx > 0 && by > 0);
    // What the window prints of itself as a whole, borders included.
    const int width = info.rcWindow.right - info.rcWindow.left, height = info.rcWindow.bottom - info.rcWindow.top;
    BITMAPINFO bmi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    qel::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    qel::UniqueHbitmap whole(::CreateDIBSection(dc.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    qel::SelectScope select(dc.get(), whole.get());
    ASSERT_TRUE(whole && ::PrintWindow(target.get(), dc.get(), 0));
    auto image = Print(target.get());
    ASSERT_TRUE(image);
    ASSERT_EQ(qeltest::SizeOf(image.get()), qeltest::Size(width - 2 * bx, height - 2 * by));
    // Each pixel is the whole print's one border in; a client pixel of the pattern shows it is the window's own.
    int wrong = 0, pattern = 0;
    for (int y = 0; y < height - 2 * by; ++y)
        for (int x = 0; x < width - 2 * bx; ++x) {
            const DWORD printed = static_cast<const DWORD*>(bits)[(y + by) * width + x + bx];
            wrong += PixelAt(image.get(), x, y) != (0xFF000000u | printed);
            pattern += printed == PatternRgb(0, 300, 200);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(pattern, 1);
}
