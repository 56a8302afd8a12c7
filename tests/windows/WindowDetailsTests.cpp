// Window records against real windows of this process and of a second one.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "windows/ScreenGeometry.h"

using namespace wintest;

namespace {

Gdiplus::Rect LastMonitor() { return ScreenGeometry::ListMonitors().back().bounds; }

LRESULT CALLBACK IgnoreRestore(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_RESTORE) return 0;
    return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

TEST(WindowRecord, RectangleIsCachedForTwoSecondsAndKeptForGoodOnceFrozen) {
    const RECT first = At(100, 120, 300, 200), moved = At(150, 170, 310, 210);
    TestWindow wnd = TopLevel(L"cached", first);
    WindowDetails live(wnd.get()), frozen(wnd.get());
    EXPECT_TRUE(RectIs(live.WindowRectangle(), first));
    EXPECT_TRUE(RectIs(frozen.WindowRectangle(), first));
    frozen.Freeze();

    MoveWindow(wnd.get(), moved.left, moved.top, 310, 210, TRUE);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), first)) << "read again within 2 s";
    Sleep(2100);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), moved));
    EXPECT_TRUE(RectIs(frozen.WindowRectangle(), first));
    EXPECT_TRUE(frozen.Contains(POINT{100, 120}));
    EXPECT_FALSE(frozen.Contains(POINT{400, 200})) << "right edge is outside";

    // A window that is gone keeps answering with its last good rectangle.
    wnd.Destroy();
    Sleep(2100);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), moved));
}

TEST(WindowRecord, ParkedIconicAndMaximisedWindows) {
    const Gdiplus::Rect screen = ScreenGeometry::VirtualScreenBounds(), m = LastMonitor();
    TestWindow parked = TopLevel(L"parked", At(-32000, -32000, 160, 40));
    TestWindow iconic = TopLevel(L"iconic", At(300, 300, 200, 150));
    ShowWindow(iconic.get(), SW_MINIMIZE);
    // On every layout a window on the last monitor is a normal window, also at negative coordinates.
    TestWindow normal = TopLevel(L"normal", At(m.X + 20, m.Y + 20, 200, 150));
    TestWindow maximised = TopLevel(L"maximised", At(m.X + 40, m.Y + 40, 300, 200));
    ShowWindow(maximised.get(), SW_MAXIMIZE);

    WindowDetails p(parked.get()), i(iconic.get()), n(normal.get()), x(maximised.get());
    EXPECT_FALSE(IsIconic(parked.get()));
    EXPECT_TRUE(p.IsMinimised());
    EXPECT_TRUE(i.IsMinimised());
    EXPECT_FALSE(n.IsMinimised());
    EXPECT_FALSE(p.IsOnScreen(screen));
    EXPECT_FALSE(i.IsOnScreen(screen));
    EXPECT_TRUE(n.IsOnScreen(screen));
    EXPECT_TRUE(RectIs(n.WindowRectangle(), At(m.X + 20, m.Y + 20, 200, 150)));

    // A maximised window reaches past its monitor by its borders; the record leaves them off.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(maximised.get(), MONITOR_DEFAULTTONEAREST), &info));
    EXPECT_TRUE(x.IsMaximised());
    EXPECT_TRUE(RectIs(x.WindowRectangle(), info.rcWork));
}

TEST(WindowRecord, ChildrenShowTheirParentsTitleAndAreReadOnce) {
    TestWindow top = TopLevel(L"Parent title", At(200, 200, 400, 300));
    TestWindow child = Child(top.get(), At(20, 30, 200, 150));
    TestWindow grandchild = Child(child.get(), At(10, 10, 50, 40));
    TestWindow hidden = Child(top.get(), At(250, 30, 100, 100), WS_CHILD);

    WindowDetails record(top.get()), shallow(top.get());
    const std::vector<WindowDetails*> children = record.GetChildren(1);
    // Direct children only; grandchildren belong to their own parent's record.
    ASSERT_EQ(children.size(), 2u);
    EXPECT_NE(Find(children, hidden.get()), nullptr);
    WindowDetails* c = Find(children, child.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Text(), L"Parent title");
    EXPECT_EQ(c->ParentHandle(), top.get());
    ASSERT_TRUE(c->ResolveParent());
    EXPECT_EQ(c->Parent()->Handle(), top.get());
    WindowDetails* shallowChild = Find(shallow.GetChildren(), child.get());
    ASSERT_NE(shallowChild, nullptr);

    // What was read in advance outlives the windows; what was not is read now and finds nothing.
    const HWND grandchildHandle = grandchild.get();
    grandchild.Destroy();
    ASSERT_EQ(c->GetChildren().size(), 1u);
    EXPECT_EQ(c->GetChildren()[0]->Handle(), grandchildHandle);
    EXPECT_TRUE(shallowChild->GetChildren().empty());
    EXPECT_EQ(record.GetChildren(), children) << "the array is never read again";
}

TEST(WindowRecord, DeepestChildAtPrefersEdgesOfTheWindowItself) {
    TestWindow top(L"QelTestWindow", L"deep", WS_POPUP | WS_VISIBLE, 0, At(300, 200, 400, 300));
    TestWindow child = Child(top.get(), At(0, 0, 200, 150));
    TestWindow grandchild = Child(child.get(), At(50, 40, 60, 50));
    WindowDetails record(top.get());
    auto at = [&](int x, int y) {
        WindowDetails* r = record.DeepestChildAt(POINT{x, y});
        return r ? r->Handle() : nullptr;
    };
    EXPECT_EQ(at(299, 250), nullptr);
    EXPECT_EQ(at(300, 250), top.get()) << "left edge, over the child";
    EXPECT_EQ(at(310, 200), top.get()) << "top edge, over the child";
    EXPECT_EQ(at(310, 210), child.get());
    EXPECT_EQ(at(350, 240), grandchild.get()) << "the grandchild's own corner";
    EXPECT_EQ(at(370, 260), grandchild.get());
    EXPECT_EQ(at(600, 400), top.get());
}

TEST(WindowRecord, IgnoredWindowsAreNeitherListedNorForeground) {
    TestWindow ours = TopLevel(L"ignored overlay", At(100, 100, 200, 200));
    TestWindow other = TopLevel(L"listed", At(150, 150, 200, 200));
    qel::IgnoredWindows().Add(ours.get());
    const std::vector<HWND> listed = Handles(WindowDetails::ListTopLevelWindows());
    SetForegroundWindow(ours.get());
    const std::unique_ptr<WindowDetails> foreground = WindowDetails::ForegroundWindowRecord();
    qel::IgnoredWindows().Remove(ours.get());

    EXPECT_EQ(IndexOf(listed, ours.get()), -1);
    EXPECT_NE(IndexOf(listed, other.get()), -1);
    ASSERT_NE(foreground, nullptr);
    EXPECT_EQ(foreground->Handle(), GetDesktopWindow());
    EXPECT_NE(IndexOf(Handles(WindowDetails::ListTopLevelWindows()), ours.get()), -1);
}

TEST(WindowRecord, OnScreenListHoldsVisibleWindowsInZOrder) {
    const Gdiplus::Rect m = LastMonitor();
    auto at = [&](int dx, int dy) { return At(m.X + dx, m.Y + dy, 250, 200); };
    TestWindow back = TopLevel(L"back", at(40, 40)), middle = TopLevel(L"middle", at(80, 80));
    TestWindow front = TopLevel(L"front", at(120, 120));
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(front.get(), HWND_TOP, 0, 0, 0, 0, keep);
    SetWindowPos(middle.get(), front.get(), 0, 0, 0, 0, keep);
    SetWindowPos(back.get(), middle.get(), 0, 0, 0, 0, keep);
    TestWindow hidden(L"QelTestWindow", L"hidden", WS_OVERLAPPEDWINDOW, 0, at(60, 60));
    TestWindow offScreen = TopLevel(L"off screen", At(m.X + m.Width + 5000, m.Y, 200, 200));
    TestWindow noSurface(L"QelTestWindow", L"", WS_POPUP | WS_VISIBLE, WS_EX_NOREDIRECTIONBITMAP, at(10, 300));
    TestWindow appFrame(L"ApplicationFrameWindow", L"", WS_POPUP | WS_VISIBLE, WS_EX_NOREDIRECTIONBITMAP, at(300, 300));

    const std::vector<HWND> shown = Handles(WindowDetails::ListOnScreenWindows());
    ASSERT_NE(IndexOf(shown, front.get()), -1);
    EXPECT_LT(IndexOf(shown, front.get()), IndexOf(shown, middle.get()));
    EXPECT_LT(IndexOf(shown, middle.get()), IndexOf(shown, back.get()));
    EXPECT_EQ(IndexOf(shown, hidden.get()), -1);
    EXPECT_EQ(IndexOf(shown, offScreen.get()), -1);
    EXPECT_EQ(IndexOf(shown, noSurface.get()), -1);
    EXPECT_NE(IndexOf(shown, appFrame.get()), -1);
}

TEST(WindowRecord, ModernAppClassesFollowTheirOwnVisibilityRules) {
    const Gdiplus::Rect m = LastMonitor();
    const DWORD shown = WS_POPUP | WS_VISIBLE;
    TestWindow smaller(L"Windows.UI.Core.CoreWindow", L"", shown, 0, At(m.X + 10, m.Y + 10, 400, 300));
    TestWindow full(L"Windows.UI.Core.CoreWindow", L"", shown, 0, At(m.X, m.Y, m.Width, m.Height));
    TestWindow launcher(L"ImmersiveLauncher", L"", shown, 0, At(m.X + 50, m.Y + 50, 300, 300));
    TestWindow gutter(L"ImmersiveGutter", L"", WS_POPUP, 0, At(m.X + 420, m.Y + 10, 20, 300));
    TestWindow plain = TopLevel(L"plain", At(m.X + 500, m.Y + 100, 200, 200));

    WindowDetails app(smaller.get()), fullApp(full.get()), l(launcher.get()), g(gutter.get());
    EXPECT_TRUE(app.IsVisible());
    EXPECT_FALSE(app.IsMaximised());
    EXPECT_FALSE(app.IsMinimised());
    EXPECT_FALSE(fullApp.IsVisible()) << "exactly a monitor's bounds";
    EXPECT_FALSE(fullApp.IsMaximised());
    EXPECT_TRUE(fullApp.IsMinimised());
    EXPECT_FALSE(l.IsVisible());
    EXPECT_TRUE(l.IsMinimised());
    EXPECT_TRUE(l.IsModernAppWindow());
    EXPECT_FALSE(l.IsCoreWindowClass());
    EXPECT_TRUE(g.IsVisible()) << "hidden, but gutters always count";

    // The visible app is followed by the gutter; the full-screen one is listed without.
    const std::vector<HWND> modern = Handles(WindowDetails::ListModernAppWindows());
    const ptrdiff_t a = IndexOf(modern, smaller.get()), f = IndexOf(modern, full.get());
    ASSERT_TRUE(a != -1 && a + 1 < static_cast<ptrdiff_t>(modern.size()));
    EXPECT_EQ(modern[a + 1], gutter.get());
    ASSERT_NE(f, -1);
    EXPECT_TRUE(f + 1 == static_cast<ptrdiff_t>(modern.size()) || modern[f + 1] != gutter.get());
    const std::vector<HWND> onScreen = Handles(WindowDetails::ListOnScreenWindows());
    ASSERT_NE(IndexOf(onScreen, smaller.get()), -1);
    EXPECT_LT(IndexOf(onScreen, smaller.get()), IndexOf(onScreen, plain.get())) << "modern apps come first";
    EXPECT_EQ(IndexOf(onScreen, full.get()), -1);
    EXPECT_EQ(IndexOf(onScreen, launcher.get()), -1);
}

TEST(WindowRecord, ProcessPathAndFileDescriptionOfAnotherProgram) {
    HelperProcess probe(L"window_probe.exe", L"Qel probe path");
    ASSERT_NE(probe.window(), nullptr) << "window_probe.exe did not show its windows";
    WindowDetails record(probe.window());
    const std::wstring path = record.GetProcessPath();
    EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, (ExeFolder() + L"window_probe.exe").c_str(), -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(WindowDetails::GetFileDescription(path), L"Qel Window Probe");
    EXPECT_EQ(WindowDetails::GetFileDescription(OwnExePath()), L"") << "no version block";
    EXPECT_EQ(WindowDetails::GetFileDescription(path + L".missing"), L"");

    // The device form of the same image path maps back onto its drive.
    wchar_t device[MAX_PATH + 1] = {};
    ASSERT_GT(K32GetProcessImageFileNameW(probe.process(), device, MAX_PATH + 1), 0u);
    EXPECT_EQ(device[0], L'\\');
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(device), path);
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(L"\\Device\\NoSuchVolume7\\x.exe"), L"");

    std::unique_ptr<WindowDetails> other = record.FindOtherProcessWindow();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Handle(), ::FindWindowW(L"QelWindowProbe", L"Qel probe path second"));
    EXPECT_EQ(WindowDetails(nullptr).GetProcessPath(), L"");
}

TEST(WindowRecord, DevicePrefixMatchesWholePathComponentsOnly) {
    const std::wstring device = L"\\Device\\HarddiskVolume1";
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\device\\harddiskvolume1\\Tools\\a.exe", device, L"C:"),
              L"C:\\Tools\\a.exe");
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\Device\\HarddiskVolume10\\a.exe", device, L"C:"), L"");
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\Device\\Harddisk", device, L"C:"), L"");
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\Device\\Mup\\server\\a.exe", L"\\Device\\Mup\\", L"K:"),
              L"K:server\\a.exe");
}

TEST(WindowRecord, BringToFrontAndRestoreUnMinimise) {
    HelperProcess probe(L"window_probe.exe", L"Qel probe front");
    const HWND first = probe.window();
    ASSERT_NE(first, nullptr);
    ShowWindow(first, SW_MINIMIZE);
    for (int i = 0; i < 40 && !IsIconic(first); ++i) qeltest::PumpFor(25);
    ASSERT_TRUE(IsIconic(first));
    WindowDetails::BringToFront(first);
    for (int i = 0; i < 40 && IsIconic(first); ++i) qeltest::PumpFor(25);
    EXPECT_FALSE(IsIconic(first));
    EXPECT_EQ(GetForegroundWindow(), first);

    TestWindow ours = TopLevel(L"restored", At(200, 200, 300, 200));
    ShowWindow(ours.get(), SW_MINIMIZE);
    WindowDetails record(ours.get());
    ASSERT_TRUE(record.IsMinimised());
    DWORD start = GetTickCount();
    record.Restore();
    EXPECT_FALSE(IsIconic(ours.get()));
    EXPECT_FALSE(record.IsMinimised());
    EXPECT_LT(GetTickCount() - start, 1000u) << "no wait once the window is back";
    EXPECT_EQ(GetForegroundWindow(), ours.get());

    // A window that ignores the restore is given up after 2 s.
    TestWindow stubborn(L"QelStubbornWindow", L"stubborn", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                        At(250, 250, 300, 200), nullptr, IgnoreRestore);
    ShowWindow(stubborn.get(), SW_MINIMIZE);
    start = GetTickCount();
    WindowDetails(stubborn.get()).Restore();
    const DWORD waited = GetTickCount() - start;
    EXPECT_TRUE(IsIconic(stubborn.get()));
    EXPECT_TRUE(waited >= 1900 && waited < 3000) << waited;
}
