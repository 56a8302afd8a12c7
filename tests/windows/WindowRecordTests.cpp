// Window records against real windows of this process and of a second one, and the compositor seam.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <utility>

#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "windows/OsVersion.h"
#include "windows/ScreenGeometry.h"

using namespace wintest;

namespace {

LRESULT CALLBACK IgnoreRestore(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_RESTORE ? 0 : DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

TEST(WindowRecord, RectangleIsCachedForTwoSecondsAndOutlivesTheWindow) {
    const RECT first = At(100, 120, 300, 200), moved = At(150, 170, 310, 210);
    TestWindow wnd = TopLevel(L"cached", first);
    WindowDetails record(wnd.get());
    EXPECT_TRUE(RectIs(record.WindowRectangle(), first));
    MoveWindow(wnd.get(), moved.left, moved.top, 310, 210, TRUE);
    EXPECT_TRUE(RectIs(record.WindowRectangle(), first)) << "read again within 2 s";
    EXPECT_TRUE(record.Contains(POINT{100, 120}) && !record.Contains(POINT{400, 200})) << "right edge is outside";
    Sleep(2100);
    EXPECT_TRUE(RectIs(record.WindowRectangle(), moved));
    wnd.reset();
    Sleep(2100);
    EXPECT_TRUE(RectIs(record.WindowRectangle(), moved));
}

TEST(WindowRecord, ParkedIconicAndMaximisedWindowsOnTheLastMonitor) {
    const Gdiplus::Rect screen = ScreenGeometry::VirtualScreenBounds(), m = ScreenGeometry::ListMonitors().back().bounds;
    TestWindow parked = TopLevel(L"parked", At(-32000, -32000, 160, 40)), iconic = TopLevel(L"iconic", At(300, 300, 200, 150));
    ShowWindow(iconic.get(), SW_MINIMIZE);
    TestWindow normal = TopLevel(L"normal", At(m.X + 20, m.Y + 20, 200, 150)), maximised = TopLevel(L"maximised", At(m.X + 40, m.Y + 40, 300, 200));
    ShowWindow(maximised.get(), SW_MAXIMIZE);
    WindowDetails p(parked.get()), i(iconic.get()), n(normal.get()), x(maximised.get());
    EXPECT_TRUE(p.IsMinimised() && !IsIconic(parked.get()) && !p.IsOnScreen(screen));
    EXPECT_TRUE(i.IsMinimised() && !i.IsOnScreen(screen));
    EXPECT_TRUE(!n.IsMinimised() && n.IsOnScreen(screen) && RectIs(n.WindowRectangle(), At(m.X + 20, m.Y + 20, 200, 150)));
    // A maximised window reaches past its monitor by its borders; the record leaves them off.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(maximised.get(), MONITOR_DEFAULTTONEAREST), &info));
    EXPECT_TRUE(x.IsMaximised() && RectIs(x.WindowRectangle(), info.rcWork));
}

TEST(WindowRecord, ChildrenAreReadOnceShowTheirParentsTitleAndAreHitInside) {
    TestWindow top = Window(L"QelTestWindow", L"Parent title", WS_POPUP | WS_VISIBLE, 0, At(300, 200, 400, 300));
    TestWindow child = Child(top.get(), At(0, 0, 200, 150)), grandchild = Child(child.get(), At(50, 40, 60, 50));
    TestWindow hidden = Child(top.get(), At(250, 30, 100, 100), WS_CHILD);
    WindowDetails record(top.get()), shallow(top.get());
    const std::vector<WindowDetails*> children = record.GetChildren(1);
    ASSERT_EQ(children.size(), 2u);  // direct children only, hidden ones too
    EXPECT_NE(Find(children, hidden.get()), nullptr);
    WindowDetails* c = Find(children, child.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Text(), L"Parent title");
    EXPECT_TRUE(c->ResolveParent() && c->Parent()->Handle() == top.get());
    // The deepest child under a point, except on the edges of the window itself.
    const std::pair<POINT, HWND> hits[] = {{{299, 250}, nullptr},    {{300, 250}, top.get()},   {{310, 200}, top.get()},
                                           {{310, 210}, child.get()}, {{350, 240}, grandchild.get()}, {{600, 400}, top.get()}};
    for (const auto& [p, wnd] : hits) {
        WindowDetails* hit = record.DeepestChildAt(p);
        EXPECT_EQ(hit ? hit->Handle() : nullptr, wnd) << p.x << "," << p.y;
    }
    // What was read in advance outlives the windows; what was not is read now and finds nothing.
    WindowDetails* shallowChild = Find(shallow.GetChildren(), child.get());
    ASSERT_NE(shallowChild, nullptr);
    const HWND grandchildHandle = grandchild.get();
    grandchild.reset();
    ASSERT_EQ(c->GetChildren().size(), 1u);
    EXPECT_EQ(c->GetChildren()[0]->Handle(), grandchildHandle);
    EXPECT_TRUE(shallowChild->GetChildren().empty());
    EXPECT_EQ(record.GetChildren(), children) << "the array is never read again";
}

TEST(WindowRecord, ListsHoldVisibleWindowsInZOrderAfterModernAppsButNoIgnoredOnes) {
    const Gdiplus::Rect m = ScreenGeometry::ListMonitors().back().bounds;
    auto at = [&](int dx, int dy, int w = 250, int h = 200) { return At(m.X + dx, m.Y + dy, w, h); };
    const DWORD shown = WS_POPUP | WS_VISIBLE;
    TestWindow back = TopLevel(L"back", at(40, 40)), front = TopLevel(L"front", at(120, 120)), ignored = TopLevel(L"ignored", at(0, 0));
    SetWindowPos(back.get(), front.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TestWindow hidden = Window(L"QelTestWindow", L"hidden", WS_OVERLAPPEDWINDOW, 0, at(60, 60));
    TestWindow offScreen = TopLevel(L"off screen", at(m.Width + 5000, 0));
    TestWindow noSurface = Window(L"QelTestWindow", L"", shown, WS_EX_NOREDIRECTIONBITMAP, at(10, 300));
    TestWindow appFrame = Window(L"ApplicationFrameWindow", L"", shown, WS_EX_NOREDIRECTIONBITMAP, at(300, 300));
    // Modern app classes: a core window counts unless it covers exactly a monitor; launchers never do;
    // a gutter, even hidden, follows the visible app in the modern list.
    TestWindow app = Window(L"Windows.UI.Core.CoreWindow", L"", shown, 0, at(10, 10, 400, 300));
    TestWindow full = Window(L"Windows.UI.Core.CoreWindow", L"", shown, 0, at(0, 0, m.Width, m.Height));
    TestWindow launcher = Window(L"ImmersiveLauncher", L"", shown, 0, at(50, 50, 300, 300));
    TestWindow gutter = Window(L"ImmersiveGutter", L"", WS_POPUP, 0, at(420, 10, 20, 300));
    WindowDetails a(app.get()), f(full.get()), l(launcher.get());
    EXPECT_TRUE(a.IsVisible() && !a.IsMaximised() && !a.IsMinimised());
    EXPECT_TRUE(!f.IsVisible() && !f.IsMaximised() && f.IsMinimised());
    EXPECT_TRUE(!l.IsVisible() && l.IsMinimised() && l.IsModernAppWindow() && !l.IsCoreWindowClass());
    EXPECT_TRUE(WindowDetails(gutter.get()).IsVisible());
    const std::vector<HWND> modern = Handles(WindowDetails::ListModernAppWindows());
    const ptrdiff_t ia = IndexOf(modern, app.get()), ifull = IndexOf(modern, full.get());
    ASSERT_TRUE(ia != -1 && ia + 1 < static_cast<ptrdiff_t>(modern.size()) && ifull != -1);
    EXPECT_EQ(modern[ia + 1], gutter.get());
    EXPECT_TRUE(ifull + 1 == static_cast<ptrdiff_t>(modern.size()) || modern[ifull + 1] != gutter.get());

    qel::IgnoredWindows().Add(ignored.get());
    const std::vector<HWND> listed = Handles(WindowDetails::ListOnScreenWindows());
    EXPECT_EQ(IndexOf(Handles(WindowDetails::ListTopLevelWindows()), ignored.get()), -1);
    SetForegroundWindow(ignored.get());
    const std::unique_ptr<WindowDetails> foreground = WindowDetails::ForegroundWindowRecord();
    qel::IgnoredWindows().Remove(ignored.get());
    EXPECT_TRUE(foreground && foreground->Handle() == GetDesktopWindow()) << "an ignored window is never the foreground";
    ASSERT_NE(IndexOf(listed, app.get()), -1);
    EXPECT_LT(IndexOf(listed, app.get()), IndexOf(listed, front.get())) << "modern apps come first";
    EXPECT_LT(IndexOf(listed, front.get()), IndexOf(listed, back.get()));
    EXPECT_NE(IndexOf(listed, appFrame.get()), -1);
    for (HWND absent : {ignored.get(), hidden.get(), offScreen.get(), noSurface.get(), full.get(), launcher.get()})
        EXPECT_EQ(IndexOf(listed, absent), -1) << absent;
}

TEST(WindowRecord, ProcessPathFileDescriptionAndWindowsOfAnotherProgram) {
    HelperProcess probe(L"capture_target_idea.exe", L"Qel probe path", L"200 200 320 240 second");
    ASSERT_NE(probe.window(), nullptr) << "capture_target_idea.exe did not show its windows";
    WindowDetails record(probe.window());
    const std::wstring path = record.GetProcessPath();
    EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, (ExeFolder() + L"capture_target_idea.exe").c_str(), -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(WindowDetails::GetFileDescription(path), L"IntelliJ IDEA");
    EXPECT_EQ(WindowDetails::GetFileDescription(OwnExePath()) + WindowDetails::GetFileDescription(path + L".missing"), L"");
    EXPECT_EQ(WindowDetails(nullptr).GetProcessPath(), L"");
    std::unique_ptr<WindowDetails> other = record.FindOtherProcessWindow();
    EXPECT_TRUE(other && other->Handle() == FindWindowW(nullptr, L"Qel probe path second"));
    // The device form of the same path maps back onto its drive, matching whole components only.
    wchar_t device[MAX_PATH + 1] = {};
    ASSERT_GT(K32GetProcessImageFileNameW(probe.process(), device, MAX_PATH + 1), 0u);
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(device), path) << device;
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(L"\\Device\\NoSuchVolume7\\x.exe"), L"");
    const std::wstring volume = L"\\Device\\HarddiskVolume1";
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\device\\harddiskvolume1\\Tools\\a.exe", volume, L"C:"), L"C:\\Tools\\a.exe");
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\Device\\HarddiskVolume10\\a.exe", volume, L"C:"), L"");
}

TEST(WindowRecord, BringToFrontAndRestoreUnMinimiseOrGiveUpAfterTwoSeconds) {
    HelperProcess probe(L"capture_target_plain.exe", L"Qel probe front", L"200 200 320 240");
    const HWND first = probe.window();
    ASSERT_NE(first, nullptr);
    ShowWindow(first, SW_MINIMIZE);
    for (int i = 0; i < 40 && !IsIconic(first); ++i) qeltest::PumpFor(25);
    TestWindow ours = TopLevel(L"restored", At(200, 200, 300, 200));
    SetForegroundWindow(ours.get());  // a minimised window may stay the foreground one under Wine
    ASSERT_TRUE(IsIconic(first) && GetForegroundWindow() != first);
    WindowDetails::BringToFront(first);
    for (int i = 0; i < 40 && IsIconic(first); ++i) qeltest::PumpFor(25);
    EXPECT_TRUE(!IsIconic(first) && GetForegroundWindow() == first);

    TestWindow stubborn =
        Window(L"QelStubbornWindow", L"stubborn", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, At(250, 250, 300, 200), nullptr, IgnoreRestore);
    for (HWND wnd : {ours.get(), stubborn.get()}) {
        ShowWindow(wnd, SW_MINIMIZE);
        WindowDetails record(wnd);
        ASSERT_TRUE(record.IsMinimised());
        const DWORD start = GetTickCount();
        record.Restore();
        const DWORD waited = GetTickCount() - start;
        if (wnd == ours.get()) {
            EXPECT_TRUE(!IsIconic(wnd) && !record.IsMinimised() && GetForegroundWindow() == wnd);
            EXPECT_LT(waited, 1000u) << "no wait once the window is back";
        } else {
            EXPECT_TRUE(IsIconic(wnd));
            EXPECT_TRUE(waited >= 1900 && waited < 3000) << waited;
        }
    }
}

TEST(DwmSeam, RecordsTakeFramesFromACompositorThatAnswersAndFallBackOtherwise) {
    ASSERT_FALSE(OsVersion::IsWindows8OrLater());
    TestWindow wnd = TopLevel(L"composited", At(200, 150, 300, 200));
    const RECT info = WindowInfoRect(wnd.get());
    EXPECT_FALSE(WindowDetails::IsDwmEnabled());  // Wine's compositor
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    FakeDwm dwm;
    CompositorScope scope(&dwm);
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    EXPECT_EQ(dwm.attributeQueries, 0) << "composition off: never asked for frames";
    dwm.composition = TRUE;
    dwm.frame = RECT{205, 152, 495, 345};
    EXPECT_TRUE(WindowDetails::IsDwmEnabled() && RectIs(WindowDetails(wnd.get()).WindowRectangle(), dwm.frame));
    dwm.frame = RECT{205, 152, 205, 345};  // empty
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    dwm.attributeResult = E_NOTIMPL;
    EXPECT_TRUE(RectIs(WindowDetails(wnd.get()).WindowRectangle(), info));
    // Before Windows 8 nothing is cloaked, and the compositor is not asked.
    dwm.attributeResult = S_OK;
    dwm.cloaked = 1;
    const int asked = dwm.attributeQueries;
    EXPECT_FALSE(WindowDetails(wnd.get()).IsCloaked());
    EXPECT_EQ(dwm.attributeQueries, asked);

    // A thumbnail is unregistered once, through the compositor that registered it.
    {
        qel::DwmThumbnail one(nullptr, nullptr), other(nullptr, nullptr);
        qel::DwmThumbnail moved(std::move(one));
        other = std::move(moved);
        EXPECT_FALSE(one || moved);
        EXPECT_EQ(dwm.unregistrations, 1) << "the thumbnail `other` held before";
        qel::SetDwmForTesting(nullptr);
    }
    EXPECT_EQ(dwm.registrations * 10 + dwm.unregistrations, 22);
}
