// pictavo.exe, linked against the import libraries, run as a user would run it on each display layout;
// json_output.sh runs its other commands and reads what they print.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include "TestSupport.h"

TEST(HostProgram, FullscreenWritesTheMonitorUnderTheCursorAsAnArgbPng) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    POINT cursor;
    ::GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info);
    const RECT& m = info.rcMonitor;
    const std::wstring png = qeltest::OutputPath(L"host-fullscreen.png");
    ::DeleteFileW(png.c_str());
    ASSERT_EQ(qeltest::RunProgram(L"pictavo.exe", L"-o \"" + png + L"\" fullscreen", 60000), 0);
    {
        Gdiplus::Bitmap image(png.c_str());
        EXPECT_EQ(qeltest::SizeOf(&image), qeltest::Size(m.right - m.left, m.bottom - m.top));
        EXPECT_EQ(image.GetPixelFormat(), PixelFormat32bppARGB);
    }
    Gdiplus::GdiplusShutdown(token);
}
