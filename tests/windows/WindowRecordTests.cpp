// Window records against real windows of this process and of a second one, and the window-list worker
// (which also runs the thread class under it). The compositor's part is checked in the compositor tests.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <memory>

#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "windows/ScreenGeometry.h"
#include "windows/WindowEnumeration.h"
#include "windows/WindowListHolder.h"

using namespace wintest;

TEST(WindowRecord, ParkedAndIconicWindowsAreMinimisedAndChildrenAreReadOnce) {
    const Gdiplus::Rect screen = ScreenGeometry::VirtualScreenBounds(), m = ScreenGeometry::ListMonitors().back().bounds;
    TestWindow parked = TopLevel(L"parked", At(-32000, -32000, 160, 40)), iconic = TopLevel(L"iconic", At(300, 300, 200, 150));
    ShowWindow(iconic.get(), SW_MINIMIZE);
    TestWindow normal = TopLevel(L"normal", At(m.X + 20, m.Y + 20, 200, 150));
    WindowDetails p(parked.get()), i(iconic.get()), n(normal.get());
    EXPECT_TRUE(p.IsMinimised() && !IsIconic(parked.get()) && !p.IsOnScreen(screen));
    EXPECT_TRUE(i.IsMinimised() && !i.IsOnScreen(screen));
    EXPECT_TRUE(!n.IsMinimised() && n.IsOnScreen(screen) && RectIs(n.WindowRectangle(), At(m.X + 20, m.Y + 20, 200, 150)));

    // Children are read once and show their parent's title.
    TestWindow top = Window(L"QelTestWindow", L"Parent title", WS_POPUP | WS_VISIBLE, 0, At(300, 200, 400, 300));
    TestWindow child = Child(top.get(), At(0, 0, 200, 150)), hidden = Child(top.get(), At(250, 30, 100, 100), WS_CHILD);
    WindowDetails record(top.get());
    const std::vector<WindowDetails*> children = record.GetChildren(1);
    ASSERT_EQ(children.size(), 2u);  // direct children only, hidden ones too
    EXPECT_NE(Find(children, hidden.get()), nullptr);
    WindowDetails* c = Find(children, child.get());
    ASSERT_TRUE(c && c->Text() == L"Parent title" && c->ResolveParent() && c->Parent()->Handle() == top.get());
    EXPECT_EQ(record.GetChildren(), children) << "the array is never read again";
}

TEST(WindowRecord, ListsHoldVisibleWindowsInZOrderAfterModernAppsButNoIgnoredOnes) {
    const Gdiplus::Rect m = ScreenGeometry::ListMonitors().back().bounds;
    auto at = [&](int dx, int dy, int w = 250, int h = 200) { return At(m.X + dx, m.Y + dy, w, h); };
    const DWORD shown = WS_POPUP | WS_VISIBLE;
    TestWindow back = TopLevel(L"back", at(40, 40)), front = TopLevel(L"front", at(120, 120)), ignored = TopLevel(L"ignored", at(0, 0));
    SetWindowPos(back.get(), front.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TestWindow hidden = Window(L"QelTestWindow", L"hidden", WS_OVERLAPPEDWINDOW, 0, at(60, 60)), offScreen = TopLevel(L"off", at(m.Width + 5000, 0));
    TestWindow noSurface = Window(L"QelTestWindow", L"", shown, WS_EX_NOREDIRECTIONBITMAP, at(10, 300));
    TestWindow appFrame = Window(L"ApplicationFrameWindow", L"", shown, WS_EX_NOREDIRECTIONBITMAP, at(300, 300));
    // Modern app classes: a core window counts unless it covers exactly a monitor; launchers never do.
    TestWindow app = Window(L"Windows.UI.Core.CoreWindow", L"", shown, 0, at(10, 10, 400, 300));
    TestWindow full = Window(L"Windows.UI.Core.CoreWindow", L"", shown, 0, at(0, 0, m.Width, m.Height));
    TestWindow launcher = Window(L"ImmersiveLauncher", L"", shown, 0, at(50, 50, 300, 300));

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

TEST(WindowRecord, ProcessPathAndFileDescriptionOfAnotherProgram) {
    HelperProcess probe(L"capture_target_idea.exe", L"Qel probe path", L"200 200 320 240");
    ASSERT_NE(probe.window, nullptr) << "capture_target_idea.exe did not show its windows";
    WindowDetails record(probe.window);
    const std::wstring path = record.GetProcessPath();
    EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, (ExeFolder() + L"capture_target_idea.exe").c_str(), -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(WindowDetails::GetFileDescription(path), L"IntelliJ IDEA");
    EXPECT_EQ(WindowDetails::GetFileDescription(OwnExePath()) + WindowDetails::GetFileDescription(path + L".missing") +
                  WindowDetails(nullptr).GetProcessPath(), L"");
    // The device form of the same path maps back onto its drive, matching whole components only.
    wchar_t device[MAX_PATH + 1] = {};
    ASSERT_GT(K32GetProcessImageFileNameW(probe.process.get(), device, MAX_PATH + 1), 0u);
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(device), path) << device;
    EXPECT_EQ(WindowDetails::DevicePathToDrivePath(L"\\Device\\NoSuchVolume7\\x.exe"), L"");
    EXPECT_EQ(WindowDetails::ReplaceDevicePrefix(L"\\Device\\HarddiskVolume10\\a.exe", L"\\Device\\HarddiskVolume1", L"C:"), L"");
}

TEST(WindowEnumeration, ReadersSeeAPrefixOfTheFinalListAndRecordsComeFrozen) {
    // Top-level windows, each over a chain of six nested children.
    std::vector<TestWindow> windows;
    for (int i = 0; i < 8; ++i) {
        windows.push_back(TopLevel(L"forest", At(10 + 7 * i, 10 + 5 * i, 400, 300)));
        for (int d = 0; d < 6; ++d) windows.push_back(Child(windows.back().get(), At(2, 2, 300 - 10 * d, 200)));
    }
    // The worker runs to its end while this thread answers its windows' messages, holding the list's
    // lock nearly all the time and letting go only for an instant between looks: the worker, which
    // takes the lock once per record, can then hand over one record or so per look.
    WindowRecordList list;
    WindowListHolder holder(&list);
    auto worker = std::make_unique<RetrieveWindowDetails>(&holder);
    ASSERT_TRUE(worker->Start());
    std::vector<std::vector<HWND>> snapshots;
    MSG msg;
    while (worker->State() != CQelBaseThread::kFinished) {
        WindowListLock lock(holder);
        snapshots.push_back(Handles(*holder.list));
        for (int i = 0; i < 20; ++i, ::Sleep(0))
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    worker->Join();
    const std::vector<HWND> final = Handles(list);
    size_t partial = 0;
    for (const std::vector<HWND>& s : snapshots) {
        ASSERT_TRUE(s.size() <= final.size() && std::equal(s.begin(), s.end(), final.begin()));
        partial += !s.empty() && s.size() < final.size();
    }
    EXPECT_GT(partial, 0u) << "records must be handed over one at a time";
    // The newest window is in front: the forest comes out in reverse order of creation.
    std::vector<ptrdiff_t> positions;
    for (size_t i = 0; i < windows.size(); i += 7) positions.push_back(IndexOf(final, windows[i].get()));
    ASSERT_TRUE(positions.back() != -1 && std::is_sorted(positions.rbegin(), positions.rend()));

    // Handed over frozen: the rectangle read by the worker stays. A record of our own keeps the
    // rectangle it read for a while after the move, then reads the new one.
    WindowDetails* record = std::next(list.begin(), positions[0])->get();
    WindowDetails live(windows[0].get());
    ASSERT_TRUE(RectIs(live.WindowRectangle(), At(10, 10, 400, 300)));
    MoveWindow(windows[0].get(), 300, 300, 200, 200, FALSE);
    EXPECT_TRUE(RectIs(live.WindowRectangle(), At(10, 10, 400, 300))) << "read again at once";
    bool moved = false;
    for (int i = 0; i < 100 && !moved; ++i, Sleep(50)) moved = static_cast<bool>(RectIs(live.WindowRectangle(), At(300, 300, 200, 200)));
    EXPECT_TRUE(moved && RectIs(record->WindowRectangle(), At(10, 10, 400, 300))) << "our record never read again, or the worker's did";
}

namespace {

// Counts its hooks; its body waits until the gate opens.
struct GatedThread : CQelBaseThread {
    ~GatedThread() override { ::SetEvent(gate.get()), Join(); }
    bool OnStart() override { return ++starts, accept; }
    DWORD Run() override { return ::WaitForSingleObject(gate.get(), 10000); }
    void OnStopping() override { ++stoppings; }
    void OnStopped() override { ++stopped; }

    bool accept = true;
    int starts = 0, stoppings = 0, stopped = 0;
    qel::UniqueKernelHandle gate{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

TEST(WorkerThread, StartWhileRunningStartsNothingNewAndJoinWithoutAThreadOnlyEnds) {
    GatedThread never;
    never.Join();
    EXPECT_TRUE(never.stoppings == 0 && never.stopped == 1 && never.State() == CQelBaseThread::kNotStarted);
    never.accept = false;
    EXPECT_TRUE(!never.Start() && never.starts == 1 && never.ThreadId() == 0u) << "declined: no thread";

    GatedThread worker;
    ASSERT_TRUE(worker.Start());
    for (int i = 0; i < 400 && worker.State() != CQelBaseThread::kRunning; ++i) ::Sleep(5);
    const DWORD id = worker.ThreadId();
    EXPECT_TRUE(worker.Start() && worker.starts == 1 && worker.ThreadId() == id && worker.State() == CQelBaseThread::kRunning);
    ::SetEvent(worker.gate.get());
    worker.Join();
    EXPECT_TRUE(worker.State() == CQelBaseThread::kFinished && worker.stoppings == 1 && worker.stopped == 1);
}
