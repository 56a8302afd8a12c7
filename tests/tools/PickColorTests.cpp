// The screen colour picker driven by real input from a second thread while the picking loop runs.
#include <QelPictavo/PictavoUtil.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

#include "TestSupport.h"
#include "ToolTestSupport.h"

namespace {

using namespace tooltest;

constexpr DWORD kYellow = 0xFFFF00;  // as screen copies hold it, 0x00RRGGBB
constexpr DWORD kWhite = 0xFFFFFF;

// The picker's window: topmost, a tool window, over the whole virtual screen.
bool PickerShown(DWORD thread) {
    std::pair<RECT, bool> search{VirtualScreen(), false};
    ::EnumThreadWindows(
        thread,
        [](HWND wnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<std::pair<RECT, bool>*>(param);
            RECT r{};
            ::GetWindowRect(wnd, &r);
            const LONG_PTR ex = ::GetWindowLongPtrW(wnd, GWL_EXSTYLE);
            s->second = ::IsWindowVisible(wnd) && (ex & WS_EX_TOPMOST) && (ex & WS_EX_TOOLWINDOW) && ::EqualRect(&r, &s->first);
            return !s->second;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Moves the mouse and waits for the picker to repaint its label.
void Hover(LONG x, LONG y) {
    MoveMouse(x, y);
    ::Sleep(400);
}

class ColourPicker : public ScreenTest {
protected:
    void SetUp() override {
        if (!AfxGetThread()) app_.emplace();
        ScreenTest::SetUp();
    }

    // Runs the picker on this thread while `input` runs on another once the picker shows. If the
    // picker is still there 5 seconds after the input, Enter ends it (and the test sees 0xFFFFFFFF).
    static unsigned long Pick(const std::function<void()>& input) {
        const DWORD self = ::GetCurrentThreadId();
        std::atomic<bool> shown{false};
        std::thread driver([&] {
            for (int i = 0; i < 100 && !PickerShown(self); ++i) ::Sleep(50);
            shown = PickerShown(self);
            ::Sleep(200);
            input();
            for (int i = 0; i < 100 && PickerShown(self); ++i) ::Sleep(50);
            if (PickerShown(self)) PressKey(VK_RETURN);
        });
        const unsigned long color = CPictavoUtil().PickScreenColor();
        driver.join();
        EXPECT_TRUE(shown && !PickerShown(self));
        return color;
    }

    std::optional<CWinApp> app_;
};

// Red on the primary monitor, green on each other one (left of the primary too).
TEST_F(ColourPicker, ClickAndEscapePickTheColourUnderTheTipOnEveryMonitorAndTheLabelShowsIt) {
    std::vector<std::pair<POINT, COLORREF>> spots{{{400, 400}, RGB(255, 0, 0)}};
    for (const RECT& m : monitors_)
        if (m.left != 0 || m.top != 0) spots.push_back({{m.left + 200, m.top + 200}, RGB(0, 255, 0)});
    for (const auto& [p, colour] : spots) {
        auto under = SolidWindow(RECT{p.x - 100, p.y - 100, p.x + 100, p.y + 100}, colour);
        ScreenCopy label;
        CURSORINFO cursor{};
        cursor.cbSize = sizeof(cursor);
        EXPECT_EQ(Pick([&] {
                      Hover(p.x, p.y);
                      ::GetCursorInfo(&cursor);
                      label = CopyScreen(RECT{p.x, p.y, p.x + 300, p.y + 80});
                      SaveScreenPng(RECT{p.x - 120, p.y - 120, p.x + 320, p.y + 120}, colour == RGB(255, 0, 0) ? L"pick-red.png" : L"pick-other-monitor.png");
                      Click();
                  }),
                  colour);
        // The eyedropper is the cursor while picking (the resource is linked into this executable).
        EXPECT_EQ(cursor.hCursor, ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1000)));
        // The label box starts 30 pixels right of and below the cursor: a light top edge, yellow inside,
        // the swatch from 5 to 25 pixels in; left of it the colour window below.
        const DWORD rgb = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        ASSERT_FALSE(label.pixels.empty());
        EXPECT_EQ(label.At(p.x + 40, p.y + 30), kWhite);
        EXPECT_EQ(label.At(p.x + 40, p.y + 31), kYellow);
        EXPECT_EQ(label.At(p.x + 32, p.y + 40), kYellow);
        EXPECT_EQ(label.At(p.x + 45, p.y + 42), rgb);
        EXPECT_EQ(label.At(p.x + 29, p.y + 40), rgb);
        EXPECT_EQ(Pick([&] {
                      Hover(p.x - 50, p.y + 50);
                      PressKey(VK_ESCAPE);
                  }),
                  colour);
    }
}

TEST_F(ColourPicker, EnterRefusesAndTheLabelMovesLeftNearTheRightEdgeAndUpNearTheBottom) {
    const LONG right = ::GetSystemMetrics(SM_CXSCREEN) - 20, bottom = ::GetSystemMetrics(SM_CYSCREEN) - 20;
    ScreenCopy nearRight, nearBottom, corner;
    EXPECT_EQ(Pick([&] {
                  Hover(right, 300);
                  nearRight = CopyScreen(RECT{right - 300, 280, right + 1, 400});
                  Hover(300, bottom);
                  nearBottom = CopyScreen(RECT{280, bottom - 60, 700, bottom + 1});
                  Hover(right, bottom);
                  corner = CopyScreen(RECT{right - 300, bottom - 60, right + 1, bottom + 1});
                  SaveScreenPng(RECT{right - 320, bottom - 80, right + 20, bottom + 20}, L"pick-corner.png");
                  PressKey(VK_RETURN);
              }),
              0xFFFFFFFFu);
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

}  // namespace
