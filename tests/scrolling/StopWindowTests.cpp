// The stop strip and the hotkey library under real input: Escape pressed while a window of another thread
// has the focus, with the strip there and after it has gone.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <QelAVFrame/hotkey.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "scrolling/EscStopCaptureWnd.h"
#include "scrolling/ScrollFrameQueue.h"

namespace {

using namespace qeltest;

// Pumps this thread's messages until done() holds, for at most about 10 s.
bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) PumpFor(20);
    return done();
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

// A window on a thread of its own that takes the focus and counts the Escape presses reaching it.
class ForeignFocus {
public:
    ForeignFocus() : thread_([this] { Run(); }) { WaitUntil([this] { return ready_.load(); }); }
    ~ForeignFocus() {
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    bool Activate() {
        ::PostMessageW(wnd_, WM_APP, 0, 0);
        return WaitUntil([this] { return wnd_ && ::GetForegroundWindow() == wnd_; });
    }
    std::atomic<int> escapes{0};

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ForeignFocus*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (msg == WM_KEYDOWN && wp == VK_ESCAPE && self) ++self->escapes;
        if (msg == WM_APP) ::SetForegroundWindow(wnd), ::SetFocus(wnd);
        if (msg == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(wnd, msg, wp, lp);
    }
    void Run() {
        WNDCLASSW wc{0, Proc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"QelForeignFocus"};
        ::RegisterClassW(&wc);
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 600, 300, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ready_ = true;
        MSG msg;
        while (wnd_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    }

    std::atomic<bool> ready_{false};
    HWND wnd_ = nullptr;
    std::thread thread_;
};

// A plain window to put the strip next to.
qel::UniqueHwnd Target(const RECT& r) {
    qel::UniqueHwnd wnd(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE, r.left, r.top,
                                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr));
    PumpFor(100);
    return wnd;
}

// White top and left edges, grey bottom and right ones, yellow inside with black text about the middle.
bool PaintedStrip(const ScreenCopy& s, std::string* why) {
    const LONG w = s.area.right - s.area.left, h = s.area.bottom - s.area.top;
    LONG yellow = 0, black = 0, minX = w, maxX = -1;
    char text[96];
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x) {
            const DWORD c = s.At(s.area.left + x, s.area.top + y);
            const DWORD edge = x == w - 1 || y == h - 1 ? 0xACA899 : x == 0 || y == 0 ? 0xFFFFFF : 1;
            if (edge != 1 && c != edge) {
                std::snprintf(text, sizeof(text), "edge at %ld,%ld: %06lX", x, y, c);
                return *why = text, false;
            }
            yellow += edge == 1 && c == 0xFFFF00;
            if (edge == 1 && c == 0) ++black, minX = std::min(minX, x), maxX = std::max(maxX, x);
        }
    std::snprintf(text, sizeof(text), "%ld yellow, %ld black from %ld to %ld", yellow, black, minX, maxX);
    *why = text;
    return yellow > (w - 2) * (h - 2) / 2 && black >= 50 && std::abs((minX + maxX) / 2 - w / 2) <= 4;
}

class StopWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(queue_.Open(L"QelStopWindowTest")); }
    ScrollFrameQueue queue_;
};

// Below a target in the middle of the primary screen, above one touching its bottom; none beside a target on
// another monitor, and then no hotkey thread either.
TEST_F(StopWindow, StandsBesideTheTargetAndPaintsItsStrip) {
    const LONG height = ::GetSystemMetrics(SM_CYSCREEN);
    const RECT cases[][2] = {{{300, 200, 700, 500}, {390, 500, 610, 518}},
                             {{300, height - 300, 700, height}, {390, height - 318, 610, height - 300}}};
    for (const auto& [where, expected] : cases) {
        qel::UniqueHwnd target = Target(where);
        UniqueStopWindow strip = ShowStopWindow(target.get(), &queue_);
        ASSERT_TRUE(strip);
        RECT r;
        ::GetWindowRect(strip->GetSafeHwnd(), &r);
        EXPECT_TRUE(::EqualRect(&r, &expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_TRUE(::GetWindowLongW(strip->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        std::string why;
        const bool painted = WaitUntil([&] { return PaintedStrip(CopyScreen(r), &why); });
        if (!painted) SaveScreenPng(RECT{r.left - 20, r.top - 20, r.right + 20, r.bottom + 20}, L"stop-strip.png");
        EXPECT_TRUE(painted) << why;
    }

    const RECT screen = VirtualScreen();
    const LONG primary = ::GetSystemMetrics(SM_CXSCREEN);
    if (screen.left >= 0 && screen.right <= primary) return;  // one monitor
    const LONG x = screen.left < 0 ? screen.left + 100 : primary + 100;
    qel::UniqueHwnd elsewhere = Target(RECT{x, 200, x + 400, 500});
    const size_t threads = ThreadCount();
    EXPECT_FALSE(ShowStopWindow(elsewhere.get(), &queue_));
    EXPECT_EQ(ThreadCount(), threads);
}

TEST_F(StopWindow, EscapeAnywhereRequestsTheStopUntilTheStripIsGone) {
    ForeignFocus focus;
    qel::UniqueHwnd target = Target(RECT{300, 200, 700, 500});
    const size_t threads = ThreadCount();
    UniqueStopWindow strip = ShowStopWindow(target.get(), &queue_);
    ASSERT_TRUE(strip);
    EXPECT_GT(ThreadCount(), threads);
    ASSERT_TRUE(focus.Activate());

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return queue_.StopRequested(); }));
    // The hook takes nothing away from the window with the focus.
    EXPECT_TRUE(WaitUntil([&] { return focus.escapes == 1; }));
    queue_.ResetState();
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return queue_.StopRequested(); }));

    strip.reset();
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));
    queue_.ResetState();
    PressKey(VK_ESCAPE);
    // A hook would have seen this press before the focused window did.
    ASSERT_TRUE(WaitUntil([&] { return focus.escapes == 3; }));
    EXPECT_FALSE(queue_.StopRequested());
}

// Counts a hotkey's presses and releases; unregisters `removes` from the callback when set.
struct Presses {
    std::atomic<int> down{0}, up{0};
    std::atomic<obs_hotkey_id> removes{QEL_HOTKEY_INVALID_ID};
};
void QELAVFRAME_CALL Count(void* data, obs_hotkey_id, obs_hotkey_t*, bool pressed) {
    auto* p = static_cast<Presses*>(data);
    if (pressed) obs_hotkey_unregister(p->removes);
    ++(pressed ? p->down : p->up);
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> in;
    for (const auto& [vk, down] : keys) {
        in.push_back(INPUT{INPUT_KEYBOARD, {}});
        in.back().ki.wVk = vk;
        in.back().ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    }
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Two hotkeys on Escape and one on Shift+Escape: each combination presses only its own, a repeating key
// presses nothing more, an unregistered hotkey is never called again. The last one unregisters itself from
// its callback, which cannot wait for itself: its thread still ends, and a new hotkey gets a working one.
TEST(HotkeyLibrary, CombinationsRepeatsAndUnregistering) {
    ForeignFocus focus;
    ASSERT_TRUE(focus.Activate());
    const size_t threads = ThreadCount();
    Presses a, b, shifted, next;
    const obs_hotkey_id ida = obs_hotkey_register_frontend("a", "A", &Count, &a);
    const obs_hotkey_id idb = obs_hotkey_register_frontend("b", "B", &Count, &b);
    const obs_hotkey_id ids = obs_hotkey_register_frontend("s", "S", &Count, &shifted);
    obs_key_combination_t escape{0, obs_key_from_virtual_key(VK_ESCAPE)};
    obs_key_combination_t shiftEscape{QEL_KEY_MOD_SHIFT, escape.key};
    obs_hotkey_load_bindings(ida, &escape, 1);
    obs_hotkey_load_bindings(idb, &escape, 1);
    obs_hotkey_load_bindings(ids, &shiftEscape, 1);

    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return a.up == 1 && b.up == 1; }));
    SendKeys({{VK_SHIFT, true}, {VK_ESCAPE, true}, {VK_ESCAPE, false}, {VK_SHIFT, false}});
    ASSERT_TRUE(WaitUntil([&] { return shifted.up == 1; }));
    EXPECT_EQ(shifted.down, 1);
    EXPECT_EQ(a.down, 1);
    SendKeys({{VK_ESCAPE, true}, {VK_ESCAPE, true}, {VK_ESCAPE, false}});
    ASSERT_TRUE(WaitUntil([&] { return a.up == 2; }));
    EXPECT_EQ(a.down, 2);

    obs_hotkey_unregister(ida);
    obs_hotkey_unregister(ids);
    b.removes = idb;
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return b.down == 3; }));
    EXPECT_EQ(a.down, 2);

    const obs_hotkey_id idn = obs_hotkey_register_frontend("next", "", &Count, &next);
    obs_hotkey_load_bindings(idn, &escape, 1);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return next.up == 1; }));
    EXPECT_EQ(b.down, 3);
    obs_hotkey_unregister(idn);
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));
}

}  // namespace
