// Where the stop strip goes, then the strip and the hotkey library under real input while a window of another
// thread has the focus.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <QelAVFrame/hotkey.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "scrolling/EscStopCaptureWnd.h"
#include "scrolling/ScrollFrameQueue.h"
#include "scrolling/StopStripPlacement.h"

namespace {

using namespace qeltest;

// A 1920 x 1080 primary screen; the strip is 220 x 18, centred on the target.
TEST(StopStripPlacement, BelowAboveClippedOrNone) {
    const RECT screen{0, 0, 1920, 1080};
    const std::pair<LONG, LONG> none{-1, -1};
    const std::pair<RECT, std::pair<LONG, LONG>> cases[] = {
        {{100, 100, 500, 400}, {190, 400}},     // below
        {{100, 600, 500, 1080}, {190, 582}},    // touching the bottom: above
        {{-300, 100, 100, 400}, {0, 400}},      // off the left edge: the clipped strip's left
        {{100, 0, 500, 1080}, none},            // full height
        {{2000, 100, 2400, 400}, none},         // on a monitor right of the primary
        {{-1000, 100, -400, 400}, none},        // on a monitor left of it
        {{100, 10, 500, 1075}, {190, 0}},       // 10 rows free above, 5 below
        {{100, 10, 500, 1070}, none},           // 10 on both sides: no whole strip anywhere
    };
    for (const auto& [target, expected] : cases) {
        const std::optional<POINT> at = qel::StopStripPosition(target, screen);
        EXPECT_EQ(at ? std::make_pair(at->x, at->y) : none, expected) << target.left << "," << target.top;
    }
}

size_t ThreadCount() {
    qel::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    size_t n = 0;
    for (BOOL more = snapshot && ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        n += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    return n;
}

// Takes the focus on a thread of its own and counts the Escape presses that reach it. Made after the test's
// own windows, which take the focus when shown.
class ForeignFocus {
public:
    ForeignFocus() : thread_([this] { Run(); }) {
        active = PumpUntil([this] { return wnd_ && ::GetForegroundWindow() == wnd_; });
    }
    ~ForeignFocus() {
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    bool active = false;
    std::atomic<int> escapes{0};

private:
    // Key messages are posted to the focused window's thread, so its loop sees every one that reached it.
    void Run() {
        const HWND wnd = ::CreateWindowExW(0, L"STATIC", L"focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 600, 300, 200,
                                           nullptr, nullptr, nullptr, nullptr);
        ::SetForegroundWindow(wnd);
        wnd_ = wnd;
        MSG msg;
        while (::IsWindow(wnd) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            escapes += msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
            ::DispatchMessageW(&msg);
        }
    }

    std::atomic<HWND> wnd_{nullptr};
    std::thread thread_;
};

TEST(StopWindow, StandsBelowTheTargetAndEscapeAnywhereStopsUntilItIsGone) {
    ScrollFrameQueue queue;
    ASSERT_TRUE(queue.Open(L"QelStopWindowTest"));
    qel::UniqueHwnd target(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE, 300, 200,
                                             400, 300, nullptr, nullptr, nullptr, nullptr));
    ::SetForegroundWindow(target.get());
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == target.get(); }));
    UniqueStopWindow strip = ShowStopWindow(target.get(), &queue);
    ASSERT_TRUE(strip);
    // The window being scrolled keeps the activation and the focus: wheel steps go to the focus.
    EXPECT_EQ(::GetForegroundWindow(), target.get());
    RECT r;
    ::GetWindowRect(strip->GetSafeHwnd(), &r);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}), std::vector<LONG>({390, 500, 610, 518}));
    EXPECT_TRUE(::GetWindowLongW(strip->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    const bool painted = PumpUntil([&] {
        const ScreenCopy s = CopyScreen(r);
        const auto count = [&](DWORD c) { return static_cast<size_t>(std::count(s.pixels.begin(), s.pixels.end(), c)); };
        return count(0xFFFF00) > s.pixels.size() / 2 && count(0) >= 50;
    });
    if (!painted) SaveScreenPng(RECT{r.left - 20, r.top - 20, r.right + 20, r.bottom + 20}, L"stop-strip.png");
    EXPECT_TRUE(painted) << "no yellow strip with black text";

    ForeignFocus focus;
    ASSERT_TRUE(focus.active);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return queue.StopRequested(); }));

    strip.reset();
    queue.ResetState();
    PressKey(VK_ESCAPE);
    // The library's keyboard hook sees a press before the focused window does, so a hotkey still set would have
    // fired by now; two presses there also mean that the hotkey swallowed neither.
    ASSERT_TRUE(PumpUntil([&] { return focus.escapes == 2; }));
    EXPECT_FALSE(queue.StopRequested());
}

void QELAVFRAME_CALL CountPress(void* count, obs_hotkey_id, obs_hotkey_t*, bool pressed) {
    if (pressed) ++*static_cast<std::atomic<int>*>(count);
}

TEST(HotkeyLibrary, UnregisteringOneOfTwoLeavesTheOtherAndTheLastEndsTheThread) {
    ForeignFocus focus;
    ASSERT_TRUE(focus.active);
    const size_t threads = ThreadCount();
    std::atomic<int> a{0}, b{0};
    const obs_hotkey_id ida = obs_hotkey_register_frontend("a", "A", &CountPress, &a);
    const obs_hotkey_id idb = obs_hotkey_register_frontend("b", "B", &CountPress, &b);
    obs_key_combination_t escape{0, obs_key_from_virtual_key(VK_ESCAPE)};
    obs_hotkey_load_bindings(ida, &escape, 1);
    obs_hotkey_load_bindings(idb, &escape, 1);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return a == 1 && b == 1; }));

    obs_hotkey_unregister(ida);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return b == 2; }));
    // The last unregistration joins the input thread, so no call of a's callback can still come.
    obs_hotkey_unregister(idb);
    EXPECT_EQ(a, 1);
    EXPECT_TRUE(PumpUntil([&] { return ThreadCount() == threads; }));
}

}  // namespace
