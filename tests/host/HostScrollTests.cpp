// The host program's scrolling command, as a user runs it, on a window of known content.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "GdiplusHandles.h"
#include "ScrollTargetProcess.h"
#include "TestSupport.h"

using namespace scrolltest;

TEST(HostScroll, TheFocusWindowScrolledToItsEndIsSavedPixelForPixel) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    ScrollTargetOptions o;
    o.contentHeight = 8000;  // a few hundred steps
    const ScrollImage expected = ExpectedVerticalStitch(o);
    int firstDiffering = -1;
    {
        ScrollTargetProcess target(o);
        ASSERT_TRUE(target.Hwnd() && target.Foreground()) << "the target did not show its first picture in front";
        const std::wstring png = qeltest::OutputPath(L"host-scroll-active.png");
        ::DeleteFileW(png.c_str());
        ASSERT_EQ(RunProgram(L"pictavo.exe", L"-o \"" + png + L"\" scroll-active --vertical --scroll-delay 0", 540000), 0);
        Gdiplus::Bitmap image(png.c_str());
        ASSERT_EQ(qeltest::SizeOf(&image), qeltest::Size(expected.width, expected.height));
        const qel::BitmapBitsLock bits(&image, {0, 0, expected.width, expected.height}, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
        ASSERT_TRUE(bits.ok());
        for (int y = 0; y < expected.height && firstDiffering < 0; ++y)
            if (std::memcmp(bits.scan0() + static_cast<size_t>(y) * bits.data().Stride, &expected.pixels[static_cast<size_t>(y) * expected.width],
                            expected.width * 4) != 0)
                firstDiffering = y;
    }
    EXPECT_EQ(firstDiffering, -1) << "first row that differs";
    Gdiplus::GdiplusShutdown(token);
}
