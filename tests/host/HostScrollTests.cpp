// The host program's scrolling commands, as a user runs them, on a window of known content.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <string>

#include "ScrollTargetProcess.h"
#include "TestSupport.h"

using namespace scrolltest;

namespace {

// The content row a stitched row shows, read from its first pixel (content column 0 encodes the row).
long ContentRowAt(const uint32_t* row) {
    const uint32_t p = row[0];
    return static_cast<long>((p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF));
}

}  // namespace

TEST(HostScroll, TheFocusWindowScrolledToItsEndIsSavedPixelForPixel) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    ScrollTargetOptions o;
    o.contentHeight = 30000;
    const ScrollImage expected = ExpectedVerticalStitch(o);
    {
        ScrollTargetProcess target(o);
        ASSERT_TRUE(target.Hwnd()) << "the target did not show its first picture";
        ASSERT_TRUE(target.Foreground());
        const std::wstring png = qeltest::OutputPath(L"host-scroll-active.png");
        ::DeleteFileW(png.c_str());
        ASSERT_EQ(RunProgram(L"pictavo.exe", L"-o \"" + png + L"\" scroll-active --vertical --delay 0", 540000), 0);

        Gdiplus::Bitmap image(png.c_str());
        ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok);
        ASSERT_EQ(qeltest::SizeOf(&image), qeltest::Size(expected.width, expected.height));
        Gdiplus::Rect all(0, 0, expected.width, expected.height);
        Gdiplus::BitmapData data;
        ASSERT_EQ(image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data), Gdiplus::Ok);
        long differing = 0, first = -1, shown = -1;
        for (int y = 0; y < expected.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + static_cast<size_t>(y) * data.Stride);
            if (std::memcmp(row, &expected.pixels[static_cast<size_t>(y) * expected.width], expected.width * 4) == 0) continue;
            if (first < 0) first = y, shown = ContentRowAt(row);
            ++differing;
        }
        image.UnlockBits(&data);
        EXPECT_EQ(differing, 0) << "first differing row " << first << " shows content row " << shown;
    }
    Gdiplus::GdiplusShutdown(token);
}

TEST(HostScroll, ArgumentsTheScrollCommandsDoNotTakeExitWith2) {
    for (const wchar_t* bad : {L"scroll --sideways", L"scroll-active --delay", L"scroll-active --delay -1", L"scroll --delay 1x",
                               L"scroll-active --vertical --delay 4294967296", L"scroll --vertical --horizontal --delay 5 --vertical"})
        EXPECT_EQ(RunProgram(L"pictavo.exe", bad, 60000), 2) << bad;
}
