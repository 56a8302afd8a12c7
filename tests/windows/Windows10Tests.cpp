// Window records as Windows 10 sees them. Wine reports Windows 10 to this program only when told so
// before it starts: the first run tells it and runs itself again.
#include <gtest/gtest.h>
#include <windows.h>

#include "WindowTestSupport.h"
#include "capture/CaptureSettings.h"
#include "windows/OsVersion.h"
#include "windows/ScreenGeometry.h"

using namespace wintest;

#define REQUIRE_WINDOWS_10() \
    if (!OsVersion::IsWindows10OrLater()) GTEST_SKIP() << "runs in the process started as Windows 10"

TEST(Windows10, RelaunchedAsWindows10Passes) {
    if (OsVersion::IsWindows10OrLater()) return;
    const std::wstring path = OwnExePath();
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + path.substr(path.find_last_of(L"\\/") + 1);
    const wchar_t version[] = L"win10";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version, sizeof(version)), ERROR_SUCCESS);
    std::wstring commandLine = L"\"" + path + L"\" --gtest_filter=Windows10.*";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    qel::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 300000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u) << "the Windows 10 run failed; its output is above";
}

TEST(Windows10, TheCompositorIsAlwaysOnAndCloakedWindowsAreHidden) {
    REQUIRE_WINDOWS_10();
    TestWindow wnd = TopLevel(L"win10 plain", At(100, 100, 300, 200));
    EXPECT_TRUE(WindowDetails::IsDwmEnabled());
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), WindowInfoRect(wnd.get()))) << "Wine's compositor degrades";
    FakeDwm dwm;
    dwm.target = wnd.get();
    dwm.frame = WindowInfoRect(wnd.get());
    CompositorScope scope(&dwm);
    EXPECT_TRUE(WindowDetails::IsDwmEnabled());
    EXPECT_EQ(dwm.compositionQueries, 0) << "always on: not asked";
    EXPECT_NE(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
    dwm.cloaked = 1;
    EXPECT_FALSE(WindowDetails(wnd.get()).IsVisible());
    EXPECT_EQ(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
}

TEST(Windows10, FramesGrowUnlessMaximisedAndModernAppsEndTheirOwnQuestions) {
    REQUIRE_WINDOWS_10();
    SettingsScope restore;
    const Gdiplus::Rect m = ScreenGeometry::ListMonitors().front().bounds;
    TestWindow normal = TopLevel(L"win10 grown", At(200, 200, 300, 200));
    TestWindow maximised = TopLevel(L"win10 maximised", At(200, 200, 300, 200));
    ShowWindow(maximised.get(), SW_MAXIMIZE);
    TestWindow app = Window(L"Windows.UI.Core.CoreWindow", L"", WS_POPUP | WS_VISIBLE, 0, At(m.X + 40, m.Y + 40, 500, 400));
    FakeDwm dwm;
    CompositorScope scope(&dwm);
    dwm.target = normal.get();
    dwm.frame = RECT{207, 200, 493, 393};
    CaptureSettings::Get().WindowFrameGrowth = SIZE{3, 2};
    EXPECT_TRUE(RectIs(WindowDetails(normal.get()).WindowRectangle(), RECT{204, 198, 496, 395}));
    // A maximised frame reaches past the monitor by the borders, which come off instead.
    dwm.target = maximised.get();
    const RECT f = dwm.frame = WindowInfoRect(maximised.get());
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    GetWindowInfo(maximised.get(), &info);
    const int bx = static_cast<int>(info.cxWindowBorders), by = static_cast<int>(info.cyWindowBorders);
    EXPECT_TRUE(RectIs(WindowDetails(maximised.get()).WindowRectangle(), RECT{f.left + bx, f.top + by, f.right - bx, f.bottom - by}));

    // A modern app's empty frame falls back to its own rectangle (and must not ask itself forever).
    CaptureSettings::Get().WindowFrameGrowth = SIZE{0, 0};
    dwm.target = app.get();
    dwm.frame = RECT{};
    EXPECT_TRUE(RectIs(WindowDetails(app.get()).WindowRectangle(), WindowInfoRect(app.get())));
    dwm.frame = RECT{m.X + 50, m.Y + 50, m.X + 450, m.Y + 350};
    WindowDetails snapped(app.get());
    EXPECT_TRUE(RectIs(snapped.WindowRectangle(), dwm.frame));
    EXPECT_TRUE(snapped.IsVisible() && !snapped.IsMaximised());
    dwm.frame = RECT{m.X, m.Y, m.X + m.Width, m.Y + m.Height};
    WindowDetails full(app.get());
    EXPECT_TRUE(RectIs(full.WindowRectangle(), dwm.frame));
    EXPECT_FALSE(full.IsVisible() || full.IsMaximised());
}
