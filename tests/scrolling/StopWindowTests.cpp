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
#include <string>
#include <functional>
#include <thread>
#include <utility>
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
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        PumpFor(20);
    }
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
    ForeignFocus() {
        thread_ = std::thread([this] { Run(); });
        WaitUntil([this] { return ready_.load(); });
    }
    ~ForeignFocus() {
        if (wnd_) ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    // Makes it the foreground window with the focus.
    bool Activate() {
        ::PostMessageW(wnd_, kActivate, 0, 0);
        return WaitUntil([this] { return ::GetForegroundWindow() == wnd_; });
    }
    int Escapes() const { return escapes_.load(); }
    HWND Window() const { return wnd_; }

private:
    static constexpr UINT kActivate = WM_APP + 7;

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ForeignFocus*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (msg == WM_KEYDOWN && wp == VK_ESCAPE && self) ++self->escapes_;
        if (msg == kActivate) {
            ::SetForegroundWindow(wnd);
            ::SetFocus(wnd);
        }
        if (msg == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(wnd, msg, wp, lp);
    }
    void Run() {
        WNDCLASSW wc{0, Proc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr,
                     reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, L"QelForeignFocus"};
        ::RegisterClassW(&wc);
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 600, 300, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        if (wnd_) ::SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ready_ = true;
        MSG msg;
        while (wnd_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<int> escapes_{0};
    HWND wnd_ = nullptr;
};

// A plain window to put the strip next to.
qel::UniqueHwnd Target(const RECT& r) {
    qel::UniqueHwnd wnd(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE, r.left, r.top,
                                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr));
    PumpFor(100);
    return wnd;
}

constexpr DWORD kYellow = 0xFFFF00, kWhite = 0xFFFFFF, kGrey = 0xACA899, kBlack = 0;

// The strip as painted: white top and left edges, grey bottom and right ones, yellow inside with black text
// roughly centred. Fills why with the first thing that is not so.
bool PaintedStrip(const ScreenCopy& s, std::string* why) {
    const LONG x0 = s.area.left, y0 = s.area.top, w = s.area.right - x0, h = s.area.bottom - y0;
    const auto fail = [&](const char* what, LONG x, LONG y) {
        char text[80];
        std::snprintf(text, sizeof(text), "%s at %ld,%ld: %06lX", what, x, y, s.At(x0 + x, y0 + y));
        *why = text;
        return false;
    };
    for (LONG x = 0; x < w; ++x) {
        if (s.At(x0 + x, y0) != (x < w - 1 ? kWhite : kGrey)) return fail("top edge", x, 0);
        if (s.At(x0 + x, y0 + h - 1) != kGrey) return fail("bottom edge", x, h - 1);
    }
    for (LONG y = 0; y < h; ++y) {
        if (s.At(x0, y0 + y) != (y < h - 1 ? kWhite : kGrey)) return fail("left edge", 0, y);
        if (s.At(x0 + w - 1, y0 + y) != kGrey) return fail("right edge", w - 1, y);
    }
    LONG yellow = 0, black = 0, minX = w, maxX = -1;
    for (LONG y = 1; y < h - 1; ++y)
        for (LONG x = 1; x < w - 1; ++x) {
            const DWORD c = s.At(x0 + x, y0 + y);
            yellow += c == kYellow;
            if (c == kBlack) {
                ++black;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
        }
    if (yellow < (w - 2) * (h - 2) / 2 || black < 50) {
        *why = "yellow " + std::to_string(yellow) + ", black " + std::to_string(black);
        return false;
    }
    if (std::abs((minX + maxX) / 2 - w / 2) > 4) {
        *why = "text from " + std::to_string(minX) + " to " + std::to_string(maxX);
        return false;
    }
    return true;
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
    const struct {
        RECT target;
        POINT at;
    } cases[] = {{{300, 200, 700, 500}, {390, 500}}, {{300, height - 300, 700, height}, {390, height - 318}}};
    for (const auto& c : cases) {
        qel::UniqueHwnd target = Target(c.target);
        UniqueStopWindow strip = ShowStopWindow(target.get(), &queue_);
        ASSERT_TRUE(strip);
        RECT r;
        ::GetWindowRect(strip->GetSafeHwnd(), &r);
        EXPECT_TRUE(r.left == c.at.x && r.top == c.at.y && r.right == c.at.x + 220 && r.bottom == c.at.y + 18)
            << r.left << "," << r.top << "," << r.right << "," << r.bottom;
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
    ASSERT_TRUE(focus.Window());
    qel::UniqueHwnd target = Target(RECT{300, 200, 700, 500});
    const size_t threads = ThreadCount();
    UniqueStopWindow strip = ShowStopWindow(target.get(), &queue_);
    ASSERT_TRUE(strip);
    EXPECT_GT(ThreadCount(), threads);
    ASSERT_TRUE(focus.Activate());

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return queue_.StopRequested(); }));
    // The hook takes nothing away from the window with the focus.
    EXPECT_TRUE(WaitUntil([&] { return focus.Escapes() == 1; }));
    queue_.ResetState();
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return queue_.StopRequested(); }));
    EXPECT_TRUE(::IsWindow(strip->GetSafeHwnd()));

    strip.reset();
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));
    queue_.ResetState();
    PressKey(VK_ESCAPE);
    // The hook would have seen this press before the focused window did.
    ASSERT_TRUE(WaitUntil([&] { return focus.Escapes() == 3; }));
    EXPECT_FALSE(queue_.StopRequested());
}

struct Presses {
    std::atomic<int> down{0}, up{0};
};
void QELAVFRAME_CALL Count(void* data, obs_hotkey_id, obs_hotkey_t*, bool pressed) {
    ++(pressed ? static_cast<Presses*>(data)->down : static_cast<Presses*>(data)->up);
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> in;
    for (const auto& [vk, down] : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Two hotkeys on Escape and one on Shift+Escape: each combination presses only its own, a held key
// repeating presses nothing more, and an unregistered hotkey is never called again.
TEST(HotkeyLibrary, CombinationsRepeatsAndUnregistering) {
    ForeignFocus focus;
    ASSERT_TRUE(focus.Activate());
    const size_t threads = ThreadCount();
    Presses a, b, shifted;
    const obs_hotkey_id ida = obs_hotkey_register_frontend("a", "A", &Count, &a);
    const obs_hotkey_id idb = obs_hotkey_register_frontend("b", "B", &Count, &b);
    const obs_hotkey_id ids = obs_hotkey_register_frontend("s", "S", &Count, &shifted);
    ASSERT_NE(ida, OBS_INVALID_HOTKEY_ID);
    obs_key_combination_t escape{0, obs_key_from_virtual_key(VK_ESCAPE)};
    obs_key_combination_t shiftEscape{OBS_KEY_MODIFIER_SHIFT, escape.key};
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
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return b.up == 3; }));
    EXPECT_EQ(a.down, 2);
    EXPECT_EQ(shifted.down, 1);

    obs_hotkey_unregister(idb);
    obs_hotkey_unregister(ids);
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));
}

// The last hotkey unregistered from its own callback: the thread cannot wait for itself; it ends, and a new
// registration gets a working one.
struct SelfRemoving {
    obs_hotkey_id id = OBS_INVALID_HOTKEY_ID;
    std::atomic<bool> removed{false};
};
void QELAVFRAME_CALL RemoveSelf(void* data, obs_hotkey_id, obs_hotkey_t*, bool pressed) {
    auto* self = static_cast<SelfRemoving*>(data);
    if (!pressed) return;
    obs_hotkey_unregister(self->id);
    self->removed = true;
}

TEST(HotkeyLibrary, UnregisteredFromItsOwnCallback) {
    ForeignFocus focus;
    ASSERT_TRUE(focus.Activate());
    const size_t threads = ThreadCount();
    obs_key_combination_t escape{0, obs_key_from_virtual_key(VK_ESCAPE)};
    SelfRemoving first;
    first.id = obs_hotkey_register_frontend("first", "", &RemoveSelf, &first);
    obs_hotkey_load_bindings(first.id, &escape, 1);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return first.removed.load(); }));

    Presses next;
    const obs_hotkey_id id = obs_hotkey_register_frontend("next", "", &Count, &next);
    obs_hotkey_load_bindings(id, &escape, 1);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return next.up == 1; }));
    obs_hotkey_unregister(id);
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));
}

}  // namespace
