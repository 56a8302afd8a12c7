// The screen colour picker driven by real input from a second thread while the picking loop runs.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "TestSupport.h"
#include "ToolTestSupport.h"

namespace {

using tooltest::CopyScreen;
using tooltest::MoveMouse;
using tooltest::ScreenCopy;

constexpr DWORD kYellow = 0xFFFF00;  // as screen copies hold it, 0x00RRGGBB
constexpr DWORD kWhite = 0xFFFFFF;

// The picker's window: topmost, a tool window, over the whole virtual screen.
HWND FindPicker(DWORD thread) {
    struct Search {
        RECT screen;
        HWND found;
    } search{tooltest::VirtualScreen(), nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND wnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            RECT r{};
            ::GetWindowRect(wnd, &r);
            const LONG_PTR ex = ::GetWindowLongPtrW(wnd, GWL_EXSTYLE);
            if (::IsWindowVisible(wnd) && (ex & WS_EX_TOPMOST) && (ex & WS_EX_TOOLWINDOW) && ::EqualRect(&r, &s->screen)) {
                s->found = wnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ColourPicker : public ::testing::Test {
protected:
    void SetUp() override {
        if (!AfxGetThread()) app_.emplace();
        primary_ = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        backdrop_ = tooltest::PatternWindow(tooltest::VirtualScreen());
        red_ = tooltest::SolidWindow(RECT{300, 300, 500, 500}, RGB(255, 0, 0));
        ASSERT_TRUE(backdrop_ && red_);
    }

    // Runs the picker on this thread while `input` runs on another once the picker shows. If the
    // picker is still there 5 seconds after the input, Enter ends it (and the test sees 0xFFFFFFFF).
    unsigned long Pick(const std::function<void()>& input) {
        const DWORD self = ::GetCurrentThreadId();
        std::atomic<bool> shown{false};
        std::thread driver([&] {
            for (int i = 0; i < 100 && !FindPicker(self); ++i) ::Sleep(50);
            shown = FindPicker(self) != nullptr;
            ::Sleep(200);
            input();
            for (int i = 0; i < 100 && FindPicker(self); ++i) ::Sleep(50);
            if (FindPicker(self)) tooltest::PressKey(VK_RETURN);
        });
        const unsigned long color = CPictavoUtil().PickScreenColor();
        driver.join();
        EXPECT_TRUE(shown);
        EXPECT_EQ(FindPicker(self), nullptr);
        return color;
    }

    // Moves the mouse and waits for the picker to repaint its label.
    static void Hover(LONG x, LONG y) {
        MoveMouse(x, y);
        ::Sleep(400);
    }

    std::optional<CWinApp> app_;
    RECT primary_{};
    qel::UniqueHwnd backdrop_;
    qel::UniqueHwnd red_;
};

TEST_F(ColourPicker, ClickOverRedReturnsRedAndTheLabelShowsItsSwatch) {
    ScreenCopy label;
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    const unsigned long color = Pick([&] {
        Hover(400, 400);
        ::GetCursorInfo(&cursor);
        label = CopyScreen(RECT{400, 400, 700, 480});
        tooltest::SaveScreenPng(RECT{280, 280, 720, 520}, L"pick-red.png");
        tooltest::Click();
    });
    EXPECT_EQ(color, 0x000000FFu);
    // The eyedropper is the cursor while picking (the resource is linked into this executable).
    EXPECT_EQ(cursor.hCursor, ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1000)));
    // The label box starts 30 pixels right of and below the cursor: a light top edge, yellow inside,
    // the swatch from 5 to 25 pixels in.
    ASSERT_FALSE(label.pixels.empty());
    EXPECT_EQ(label.At(440, 430), kWhite);
    EXPECT_EQ(label.At(440, 431), kYellow);
    EXPECT_EQ(label.At(432, 440), kYellow);
    EXPECT_EQ(label.At(445, 442), 0xFF0000u);
    EXPECT_EQ(label.At(429, 440), 0xFF0000u);  // left of the box: the red window below
}

TEST_F(ColourPicker, EscapePicksAndEnterRefuses) {
    EXPECT_EQ(Pick([] {
                  Hover(350, 450);
                  tooltest::PressKey(VK_ESCAPE);
              }),
              0x000000FFu);
    EXPECT_EQ(Pick([] {
                  Hover(350, 450);
                  tooltest::PressKey(VK_RETURN);
              }),
              0xFFFFFFFFu);
    // A right click picks like a left one.
    EXPECT_EQ(Pick([] {
                  Hover(450, 350);
                  tooltest::Click(false);
              }),
              0x000000FFu);
}

TEST_F(ColourPicker, LabelMovesLeftNearTheRightEdgeAndUpNearTheBottom) {
    const LONG right = primary_.right - 20, bottom = primary_.bottom - 20;
    ScreenCopy nearRight, nearBottom, corner;
    Pick([&] {
        Hover(right, 300);
        nearRight = CopyScreen(RECT{right - 300, 280, right + 1, 400});
        Hover(300, bottom);
        nearBottom = CopyScreen(RECT{280, bottom - 60, 700, bottom + 1});
        Hover(right, bottom);
        corner = CopyScreen(RECT{right - 300, bottom - 60, right + 1, bottom + 1});
        tooltest::SaveScreenPng(RECT{right - 320, bottom - 80, primary_.right, primary_.bottom}, L"pick-corner.png");
        tooltest::PressKey(VK_RETURN);
    });
    ASSERT_FALSE(corner.pixels.empty());
    // Left of the cursor: the box ends 30 pixels before it; its top inner row is yellow.
    EXPECT_EQ(nearRight.At(right - 40, 331), kYellow);
    // Above the cursor: the box starts 54 pixels above it.
    EXPECT_EQ(nearBottom.At(340, bottom - 53), kYellow);
    EXPECT_EQ(nearBottom.At(340, bottom - 54), kWhite);
    EXPECT_EQ(corner.At(right - 40, bottom - 53), kYellow);
}

TEST_F(ColourPicker, AThreadWithoutAThreadObjectIsRefusedAtOnce) {
    unsigned long color = 0;
    std::thread([&] { color = CPictavoUtil().PickScreenColor(); }).join();
    EXPECT_EQ(color, 0xFFFFFFFFu);
}

TEST_F(ColourPicker, AColourOnTheOtherMonitorCanBePicked) {
    const auto monitors = tooltest::Monitors();
    const RECT* other = nullptr;
    for (const RECT& m : monitors) {
        if (m.left != 0 || m.top != 0) other = &m;
    }
    if (!other) GTEST_SKIP() << "one monitor";
    const LONG x = other->left + 200, y = other->top + 200;
    auto green = tooltest::SolidWindow(RECT{x - 50, y - 50, x + 50, y + 50}, RGB(0, 255, 0));
    ScreenCopy label;
    const unsigned long color = Pick([&] {
        Hover(x, y);
        label = CopyScreen(RECT{x, y, x + 100, y + 60});
        tooltest::Click();
    });
    EXPECT_EQ(color, 0x0000FF00u);
    ASSERT_FALSE(label.pixels.empty());
    EXPECT_EQ(label.At(x + 40, y + 31), kYellow);
    EXPECT_EQ(label.At(x + 45, y + 42), 0x00FF00u);
}

}  // namespace
