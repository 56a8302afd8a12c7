// Window records as Windows 10 sees them. Wine reports Windows 10 to this program only when told so
// before it starts, which a fixture of the test does.
#include <gtest/gtest.h>
#include <windows.h>

#include "WindowTestSupport.h"
#include "windows/OsVersion.h"

using namespace wintest;

TEST(Windows10, CloakedWindowsAreHiddenAndListedNowhere) {
    ASSERT_TRUE(OsVersion::IsWindows10OrLater()) << "started as Windows 10 by the test's fixture";
    TestWindow wnd = TopLevel(L"win10 plain", At(100, 100, 300, 200));
    // The stand-in says composition is off: from Windows 10 it is on whatever the compositor says.
    FakeDwm dwm;
    dwm.target = wnd.get();
    dwm.frame = WindowInfoRect(wnd.get());
    CompositorScope scope(&dwm);
    EXPECT_NE(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
    dwm.cloaked = 1;
    EXPECT_FALSE(WindowDetails(wnd.get()).IsVisible());
    EXPECT_EQ(IndexOf(Handles(WindowDetails::ListOnScreenWindows()), wnd.get()), -1);
}
