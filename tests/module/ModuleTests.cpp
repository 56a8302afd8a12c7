#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>

#include <QelFramework/Framework.h>

#include "GdiplusHandles.h"

TEST(Module, GdiplusStartsOnceAndDrawsPixels) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    ASSERT_TRUE(qel::EnsureGdiplus());
    Gdiplus::Bitmap bmp(4, 4, PixelFormat32bppARGB);
    bmp.SetPixel(1, 2, Gdiplus::Color(255, 10, 20, 30));
    Gdiplus::Color c;
    bmp.GetPixel(1, 2, &c);
    EXPECT_EQ(c.GetValue(), 0xFF0A141Eu);
}

TEST(Module, DisplayLayoutIsTheOneAskedFor) {
    const char* layout = std::getenv("QEL_LAYOUT");
    ASSERT_NE(layout, nullptr);
    const std::string l = layout;
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    if (l == "single") {
        EXPECT_EQ(monitors, 1);
        EXPECT_EQ(cx, 1920);
    } else if (l == "dual") {
        EXPECT_EQ(monitors, 2);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(cx, 3200);
    } else if (l == "left") {
        EXPECT_EQ(monitors, 2);
        EXPECT_EQ(x, -1280);
        EXPECT_EQ(cx, 3200);
    }
}

TEST(Module, LoadingTheLibraryLeavesTheHostsThreadAndAppAloneAndJoinsTheResourceSearch) {
    ASSERT_EQ(AfxGetThread(), nullptr);
    qel::UniqueHmodule library(::LoadLibraryW(L"QelPictavoDll.dll"));
    ASSERT_TRUE(library);
    EXPECT_EQ(AfxGetThread(), nullptr);
    EXPECT_EQ(AfxGetApp(), nullptr);
    // The eyedropper and the checkerboard are found in the library wherever the resource handle points.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(1001), L"PNG"), library.get());
    {
        CWinApp host(L"host");
        EXPECT_EQ(AfxGetThread(), &host);
        EXPECT_EQ(AfxGetApp(), &host);
    }
    const HMODULE unloaded = library.get();
    library.reset();
    EXPECT_NE(AfxFindResourceHandle(MAKEINTRESOURCEW(1001), L"PNG"), unloaded);
}
