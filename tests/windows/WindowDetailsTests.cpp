// Window records against real windows of this process and of a second one.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "capture/CaptureSettings.h"
#include "module/ModuleState.h"
#include "windows/ScreenGeometry.h"
#include "windows/WindowDetails.h"

using wintest::MakeRect;
using wintest::TestWindow;
using wintest::TopLevel;

namespace {

bool Same(const Gdiplus::Rect& r, int x, int y, int width, int height) {
    return r.X == x && r.Y == y && r.Width == width && r.Height == height;
}

::testing::AssertionResult RectIs(const Gdiplus::Rect& r, int x, int y, int width, int height) {
    if (Same(r, x, y, width, height)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.X << ", " << r.Y << ", " << r.Width << ", " << r.Height
                                         << ") instead of (" << x << ", " << y << ", " << width << ", " << height
                                         << ")";
}

std::vector<HWND> Handles(const WindowRecordList& list) {
    std::vector<HWND> handles;
    for (const auto& r : list) handles.push_back(r->Handle());
    return handles;
}

ptrdiff_t IndexOf(const std::vector<HWND>& handles, HWND wnd) {
    auto it = std::find(handles.begin(), handles.end(), wnd);
    return it == handles.end() ? -1 : it - handles.begin();
}

WindowDetails* Find(const std::vector<WindowDetails*>& records, HWND wnd) {
    for (WindowDetails* r : records) {
        if (r->Handle() == wnd) return r;
    }
    return nullptr;
}

Gdiplus::Rect LastMonitor() { return ScreenGeometry::ListMonitors().back().bounds; }

LRESULT CALLBACK StubbornProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_RESTORE) return 0;
    return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

TEST(WindowRecord, RectangleIsCachedForTwoSecondsAndKeptForGoodOnceFrozen) {
    TestWindow wnd = TopLevel(L"cached", MakeRect(100, 120, 300, 200));
    WindowDetails live(wnd.get()), frozen(wnd.get());
    EXPECT_TRUE(RectIs(live.WindowRectangle(), 100, 120, 300, 200));
    EXPECT_TRUE(RectIs(frozen.WindowRectangle(), 100, 120, 300, 200));
    frozen.Freeze();

    MoveWindow(wnd.get(), 150, 170, 310, 210, TRUE);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), 100, 120, 300, 200)) << "read again within 2 s";
    Sleep(2100);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), 150, 170, 310, 210));
    EXPECT_TRUE(RectIs(frozen.WindowRectangle(), 100, 120, 300, 200));
    EXPECT_TRUE(frozen.Contains(POINT{100, 120}));
    EXPECT_FALSE(frozen.Contains(POINT{400, 200})) << "right edge is outside";

    // A window that is gone keeps answering with its last good rectangle.
    wnd.Destroy();
    Sleep(2100);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), 150, 170, 310, 210));
}

TEST(WindowRecord, ParkedOrIconicWindowsAreMinimisedAndOffScreen) {
    const Gdiplus::Rect screen = ScreenGeometry::VirtualScreenBounds();
    TestWindow parked = TopLevel(L"parked", MakeRect(-32000, -32000, 160, 40));
    TestWindow iconic = TopLevel(L"iconic", MakeRect(300, 300, 200, 150));
    ShowWindow(iconic.get(), SW_MINIMIZE);
    // On every layout a window on the last monitor is a normal window, also at negative coordinates.
    const Gdiplus::Rect m = LastMonitor();
    TestWindow normal = TopLevel(L"normal", MakeRect(m.X + 20, m.Y + 20, 200, 150));

    WindowDetails p(parked.get()), i(iconic.get()), n(normal.get());
    EXPECT_FALSE(IsIconic(parked.get()));
    EXPECT_TRUE(p.IsMinimised());
    EXPECT_TRUE(i.IsMinimised());
    EXPECT_FALSE(n.IsMinimised());
    EXPECT_FALSE(p.IsOnScreen(screen));
    EXPECT_FALSE(i.IsOnScreen(screen));
    EXPECT_TRUE(n.IsOnScreen(screen));
    EXPECT_TRUE(RectIs(n.WindowRectangle(), m.X + 20, m.Y + 20, 200, 150));
}

TEST(WindowRecord, MaximisedWindowRectangleLosesItsBorders) {
    TestWindow wnd = TopLevel(L"maximised", MakeRect(100, 100, 300, 200));
    ShowWindow(wnd.get(), SW_MAXIMIZE);
    qeltest::PumpFor(100);
    WindowDetails record(wnd.get());
    ASSERT_TRUE(record.IsMaximised());
    HMONITOR monitor = MonitorFromWindow(wnd.get(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    const RECT& work = info.rcWork;
    EXPECT_TRUE(RectIs(record.WindowRectangle(), work.left, work.top, work.right - work.left, work.bottom - work.top));
}

TEST(WindowRecord, ChildrenShowTheirParentsTitleAndAreReadOnce) {
    TestWindow top = TopLevel(L"Parent title", MakeRect(200, 200, 400, 300));
    TestWindow child(L"QelTestWindow", L"child", WS_CHILD | WS_VISIBLE, 0, MakeRect(20, 30, 200, 150), top.get());
    TestWindow grandchild(L"QelTestWindow", L"grandchild", WS_CHILD | WS_VISIBLE, 0, MakeRect(10, 10, 50, 40),
                          child.get());
    TestWindow hidden(L"QelTestWindow", L"second child", WS_CHILD, 0, MakeRect(250, 30, 100, 100), top.get());

    WindowDetails record(top.get()), shallow(top.get());
    const std::vector<WindowDetails*> children = record.GetChildren(1);
    // Direct children only; grandchildren belong to their own parent's record.
    ASSERT_EQ(children.size(), 2u);
    WindowDetails* c = Find(children, child.get());
    ASSERT_NE(c, nullptr);
    EXPECT_NE(Find(children, hidden.get()), nullptr);
    EXPECT_EQ(c->Text(), L"Parent title");
    EXPECT_EQ(c->ParentHandle(), top.get());
    EXPECT_TRUE(c->ResolveParent());
    ASSERT_NE(c->Parent(), nullptr);
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
    TestWindow top(L"QelTestWindow", L"deep", WS_POPUP | WS_VISIBLE, 0, MakeRect(300, 200, 400, 300));
    TestWindow child(L"QelTestWindow", L"", WS_CHILD | WS_VISIBLE, 0, MakeRect(0, 0, 200, 150), top.get());
    TestWindow grandchild(L"QelTestWindow", L"", WS_CHILD | WS_VISIBLE, 0, MakeRect(50, 40, 60, 50), child.get());
    WindowDetails record(top.get());

    EXPECT_EQ(record.DeepestChildAt(POINT{299, 250}), nullptr);
    EXPECT_EQ(record.DeepestChildAt(POINT{300, 250}), &record) << "left edge, over the child";
    EXPECT_EQ(record.DeepestChildAt(POINT{310, 200}), &record) << "top edge, over the child";
    WindowDetails* inChild = record.DeepestChildAt(POINT{310, 210});
    ASSERT_NE(inChild, nullptr);
    EXPECT_EQ(inChild->Handle(), child.get());
    WindowDetails* inGrandchild = record.DeepestChildAt(POINT{370, 260});
    ASSERT_NE(inGrandchild, nullptr);
    EXPECT_EQ(inGrandchild->Handle(), grandchild.get());
    EXPECT_EQ(record.DeepestChildAt(POINT{350, 240})->Handle(), grandchild.get()) << "grandchild's own corner";
    EXPECT_EQ(record.DeepestChildAt(POINT{600, 400}), &record);
}

TEST(WindowRecord, IgnoredWindowsAreNeitherListedNorForeground) {
    TestWindow ours = TopLevel(L"ignored overlay", MakeRect(100, 100, 200, 200));
    TestWindow other = TopLevel(L"listed", MakeRect(150, 150, 200, 200));
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
    auto at = [&](int dx, int dy) { return MakeRect(m.X + dx, m.Y + dy, 250, 200); };
    TestWindow back = TopLevel(L"back", at(40, 40));
    TestWindow middle = TopLevel(L"middle", at(80, 80));
    TestWindow front = TopLevel(L"front", at(120, 120));
    SetWindowPos(front.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(middle.get(), front.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(back.get(), middle.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TestWindow hidden(L"QelTestWindow", L"hidden", WS_OVERLAPPEDWINDOW, 0, at(60, 60));
    TestWindow offScreen = TopLevel(L"off screen", MakeRect(m.X + m.Width + 5000, m.Y, 200, 200));
    TestWindow unredirected(L"QelTestWindow", L"no surface", WS_POPUP | WS_VISIBLE, WS_EX_NOREDIRECTIONBITMAP,
                            at(10, 300));
    TestWindow appFrame(L"ApplicationFrameWindow", L"app frame", WS_POPUP | WS_VISIBLE, WS_EX_NOREDIRECTIONBITMAP,
                        at(300, 300));

    const std::vector<HWND> shown = Handles(WindowDetails::ListOnScreenWindows());
    const ptrdiff_t f = IndexOf(shown, front.get()), mi = IndexOf(shown, middle.get()), b = IndexOf(shown, back.get());
    ASSERT_NE(f, -1);
    EXPECT_LT(f, mi);
    EXPECT_LT(mi, b);
    EXPECT_EQ(IndexOf(shown, hidden.get()), -1);
    EXPECT_EQ(IndexOf(shown, offScreen.get()), -1);
    EXPECT_EQ(IndexOf(shown, unredirected.get()), -1);
    EXPECT_NE(IndexOf(shown, appFrame.get()), -1);
}

TEST(WindowRecord, ModernAppClassesFollowTheirOwnVisibilityRules) {
    const Gdiplus::Rect m = LastMonitor();
    TestWindow smaller(L"Windows.UI.Core.CoreWindow", L"app", WS_POPUP | WS_VISIBLE, 0,
                       MakeRect(m.X + 10, m.Y + 10, 400, 300));
    TestWindow full(L"Windows.UI.Core.CoreWindow", L"full app", WS_POPUP | WS_VISIBLE, 0,
                    MakeRect(m.X, m.Y, m.Width, m.Height));
    TestWindow launcher(L"ImmersiveLauncher", L"launcher", WS_POPUP | WS_VISIBLE, 0,
                        MakeRect(m.X + 50, m.Y + 50, 300, 300));
    TestWindow gutter(L"ImmersiveGutter", L"gutter", WS_POPUP, 0, MakeRect(m.X + 420, m.Y + 10, 20, 300));

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
    const ptrdiff_t a = IndexOf(modern, smaller.get());
    ASSERT_NE(a, -1);
    ASSERT_LT(a + 1, static_cast<ptrdiff_t>(modern.size()));
    EXPECT_EQ(modern[a + 1], gutter.get());
    const ptrdiff_t fa = IndexOf(modern, full.get());
    ASSERT_NE(fa, -1);
    EXPECT_TRUE(fa + 1 == static_cast<ptrdiff_t>(modern.size()) || modern[fa + 1] != gutter.get());
    TestWindow plain = TopLevel(L"plain", MakeRect(m.X + 500, m.Y + 100, 200, 200));
    const std::vector<HWND> shown = Handles(WindowDetails::ListOnScreenWindows());
    ASSERT_NE(IndexOf(shown, smaller.get()), -1);
    EXPECT_LT(IndexOf(shown, smaller.get()), IndexOf(shown, plain.get())) << "modern apps come first";
    EXPECT_EQ(IndexOf(shown, full.get()), -1);
    EXPECT_EQ(IndexOf(shown, launcher.get()), -1);
}

TEST(WindowRecord, ProcessPathAndFileDescriptionOfAnotherProgram) {
    wintest::ProbeProcess probe(L"Qel probe path");
    ASSERT_NE(probe.first(), nullptr) << "window_probe.exe did not show its windows";
    WindowDetails record(probe.first());
    const std::wstring path = record.GetProcessPath();
    EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, wintest::ProbeProcess::Path().c_str(), -1, TRUE), CSTR_EQUAL)
        << std::string(path.begin(), path.end());
    EXPECT_EQ(WindowDetails::GetFileDescription(path), L"Qel Window Probe");

    // The device form of the same image path maps back onto its drive.
    wchar_t device[MAX_PATH + 1] = {};
    ASSERT_GT(K32GetProcessImageFileNameW(probe.process(), device, MAX_PATH + 1), 0u);
    EXPECT_EQ(device[0], L'\\');
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(device), path);
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(L"\\Device\\NoSuchVolume7\\x.exe"), L"");

    std::unique_ptr<WindowDetails> other = record.FindOtherProcessWindow();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Handle(), probe.second());
    EXPECT_EQ(WindowDetails(nullptr).GetProcessPath(), L"");
}

TEST(WindowRecord, FileDescriptionIsEmptyWithoutAVersionBlock) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(WindowDetails::GetFileDescription(self), L"");
    EXPECT_EQ(WindowDetails::GetFileDescription(wintest::ModuleFolder() + L"no-such-file.exe"), L"");
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
    wintest::ProbeProcess probe(L"Qel probe front");
    ASSERT_NE(probe.first(), nullptr);
    ShowWindow(probe.first(), SW_MINIMIZE);
    for (int i = 0; i < 40 && !IsIconic(probe.first()); ++i) qeltest::PumpFor(25);
    ASSERT_TRUE(IsIconic(probe.first()));
    WindowDetails::BringToFront(probe.first());
    for (int i = 0; i < 40 && IsIconic(probe.first()); ++i) qeltest::PumpFor(25);
    EXPECT_FALSE(IsIconic(probe.first()));
    EXPECT_EQ(GetForegroundWindow(), probe.first());

    TestWindow ours = TopLevel(L"restored", MakeRect(200, 200, 300, 200));
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
                        MakeRect(250, 250, 300, 200), nullptr, StubbornProc);
    ShowWindow(stubborn.get(), SW_MINIMIZE);
    WindowDetails stubbornRecord(stubborn.get());
    start = GetTickCount();
    stubbornRecord.Restore();
    const DWORD waited = GetTickCount() - start;
    EXPECT_TRUE(IsIconic(stubborn.get()));
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 3000u);
}
