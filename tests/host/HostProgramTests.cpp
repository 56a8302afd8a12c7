// The host program, linked against the import libraries, run as a user would run it.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "Handles.h"
#include "TestSupport.h"

namespace {

// Runs pictavo.exe, found beside the test, with arguments; its exit status, or -1 when it could not run.
int RunHost(const std::wstring& arguments) { return qeltest::RunProgram(L"pictavo.exe", arguments, 60000); }

}  // namespace

TEST(HostProgram, WritesTheMonitorUnderTheCursorAsPngAndReportsFailuresByStatus) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    POINT cursor;
    ::GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info);

    const std::wstring png = qeltest::OutputPath(L"host-fullscreen.png");
    ::DeleteFileW(png.c_str());
    ASSERT_EQ(RunHost(L"-o \"" + png + L"\" fullscreen"), 0);
    {
        Gdiplus::Bitmap image(png.c_str());
        ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok);
        const RECT& m = info.rcMonitor;
        EXPECT_EQ(qeltest::SizeOf(&image), qeltest::Size(m.right - m.left, m.bottom - m.top));
        EXPECT_EQ(image.GetPixelFormat(), PixelFormat32bppARGB);
    }
    EXPECT_EQ(RunHost(L"monitors"), 0);
    // Nothing to capture or find: 1; arguments it cannot take: 2.
    for (const wchar_t* nothing : {L"window-copy 0x1", L"window-info 0x1", L"find-window NoSuchClassAnywhere"})
        EXPECT_EQ(RunHost(nothing), 1) << nothing;
    for (const wchar_t* bad : {L"no-such-command", L"--delay x fullscreen", L"window-at 1 x", L"region --shape star",
                               L"fullscreen extra", L"fixed 0x10", L"pick-fixed 10", L"fixed -5x5", L"polygon extra"})
        EXPECT_EQ(RunHost(bad), 2) << bad;
    Gdiplus::GdiplusShutdown(token);
}
