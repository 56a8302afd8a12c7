// The recording-area selector, the flashing frame and the colour picker: their placement and shape rules
// directly, then the tools themselves under real input, their marks read back from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <QelFramework/Framework.h>
#include <QelPictavo/FlashingWnd.h>
#include <QelPictavo/MouseCaptureWnd.h>
#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "tools/AreaMarks.h"
#include "tools/ToolGeometry.h"

inline void PrintTo(const CRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

using namespace qeltest;

bool InShape(const qel::FrameShape& s, LONG x, LONG y) {
    const auto in = [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
    return in(s.outer) && std::none_of(s.holes.begin(), s.holes.end(), in);
}
RECT Grown(const RECT& r, LONG by) { return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by}; }

// Labels count both edges; the picker's label beside the right or the bottom edge alone, on a monitor left
// of the primary too.
TEST(ToolRules, LabelPlacesAndTexts) {
    const RECT screen{0, 0, 1000, 800}, left{-1280, 0, 0, 1024};
    EXPECT_EQ(qel::AreaLabelText(RECT{10, 10, 20, 30}), L"Left : 10 Top : 10 Width : 11 Height : 21");
    EXPECT_EQ(qel::PickLabelText(RGB(255, 0, 0)), L"R:255 G:0 B:0");
    const struct { POINT cursor; RECT bounds; POINT box; } picks[] = {
        {{900, 400}, screen, {770, 430}}, {{400, 780}, screen, {430, 726}}, {{-100, 500}, left, {-230, 530}}};
    for (const auto& p : picks) {
        const POINT box = qel::PickLabelPosition(p.cursor, 100, p.bounds);
        EXPECT_TRUE(box.x == p.box.x && box.y == p.box.y) << p.cursor.x << "," << p.cursor.y;
    }
}

// The window regions of a 100 x 60 rectangle, probed at the edges of every arm and band. Thin: 4 pixels on
// the left and top, 3 on the right and bottom. Brackets: 8 and 7 thick, arms of 24 from the top-left corner
// and 27 from the bottom-right one.
TEST(ToolRules, FrameAndBracketsOfAHundredBySixty) {
    // Thin (1) or brackets (0), a point, inside (1) or not.
    const struct { bool thin; LONG x, y; bool in; } probes[] = {
        {1, 3, 10, 1}, {1, 4, 10, 0}, {1, 104, 10, 0}, {1, 105, 10, 1}, {1, 107, 10, 1}, {1, 108, 10, 0}, {1, 10, 3, 1},
        {1, 10, 4, 0}, {1, 10, 64, 0}, {1, 10, 67, 1}, {1, 10, 68, 0}, {0, 23, 0, 1}, {0, 24, 0, 0}, {0, 88, 0, 0},
        {0, 89, 0, 1}, {0, 115, 0, 1}, {0, 116, 0, 0}, {0, 0, 23, 1}, {0, 0, 24, 0}, {0, 0, 48, 0}, {0, 0, 49, 1},
        {0, 0, 75, 1}, {0, 0, 76, 0}, {0, 7, 10, 1}, {0, 8, 10, 0}, {0, 108, 68, 0}, {0, 108, 70, 1}, {0, 109, 10, 1}};
    for (const auto& [thin, x, y, in] : probes)
        EXPECT_EQ(InShape(qel::FlashFrameShape(100, 60, thin), x, y), in) << thin << " " << x << "," << y;
}

// Destroys a backdrop and the bitmap it shows.
void DestroyBackdrop(HWND wnd) {
    const auto bitmap = reinterpret_cast<HGDIOBJ>(::SendMessageW(wnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ::DestroyWindow(wnd);
    ::DeleteObject(bitmap);
}
using BackdropWnd = qel::UniqueHandle<HWND, DestroyBackdrop>;

// A window over area showing a different colour in nearly every pixel (rgb < 0), or the one colour 0xRRGGBB.
// Not topmost, so the windows under test lie above it. The pixels go into one DIB: brushes would take seconds.
BackdropWnd Backdrop(const RECT& area, long rgb) {
    const LONG w = area.right - area.left, h = area.bottom - area.top;
    const BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    DWORD* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    for (size_t i = 0; i < size_t(w) * h; ++i) bits[i] = rgb >= 0 ? DWORD(rgb) : DWORD(i * 2654435761u >> 7) & 0xFFFFFF;
    BackdropWnd wnd(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP | SS_BITMAP, area.left, area.top, w, h,
                                      nullptr, nullptr, nullptr, nullptr));
    ::SendMessageW(wnd.get(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
    PumpFor(300);
    return wnd;
}

// The pattern over the whole virtual screen, and a copy of the screen showing it.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen_ = VirtualScreen();
        monitors_ = qel::MonitorRects();
        backdrop_ = Backdrop(screen_, -1);
        ASSERT_TRUE(backdrop_);
        before_ = CopyScreen(screen_);
    }
    // Moves the real mouse and lets the tool see it.
    static void MoveTo(LONG x, LONG y) {
        MoveMouse(x, y);
        PumpFor(150);
    }

    RECT screen_{};
    std::vector<RECT> monitors_;
    BackdropWnd backdrop_;
    ScreenCopy before_;
};

class AreaSelector : public ScreenTest {
protected:
    size_t ChangedOutside(const RECT& keep) const {
        const ScreenCopy now = CopyScreen(screen_);
        return CountDifferences(before_, now) - CountDifferences(before_, now, &keep);
    }
    // Ends the loop with 99 if the input failed to end it.
    static int RunLoop(CMouseCaptureWnd& wnd) {
        static CMouseCaptureWnd* running;
        running = &wnd;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { running->EndModalLoop(99); });
        const int result = wnd.RunModalLoop();
        ::KillTimer(nullptr, timer);
        return result;
    }
};

TEST_F(AreaSelector, FixedAreaFollowsTheMouseIsPinnedAtEveryEdgeAndEndsByClickOrEscape) {
    // Every monitor here starts at y = 0.
    const RECT tallest = *std::max_element(monitors_.begin(), monitors_.end(), [](auto& a, auto& b) { return a.bottom < b.bottom; });
    const RECT& first = monitors_.front();
    // The rectangle is 201 x 151 between its edges; its centre is (200, 175).
    const LONG w = 201, h = 151, lastX = screen_.right - 1, lastY = screen_.bottom - 1, midY = (first.top + first.bottom) / 2;
    const struct { POINT cursor; CRect expected; } steps[] = {
        {{first.left + 500, midY}, {first.left + 400, midY - 75, first.left + 601, midY + 76}},
        {{screen_.left + 5, 500}, {screen_.left, 425, screen_.left + w, 576}},
        {{first.left + 500, screen_.top + 3}, {first.left + 400, screen_.top, first.left + 601, screen_.top + h}},
        {{screen_.right - 2, 500}, {lastX - w, 425, lastX, 576}},
        {{tallest.left + 500, tallest.bottom - 1}, {tallest.left + 400, lastY - h, tallest.left + 601, lastY}},
    };
    // A left click accepts; a right click or Escape cancels.
    for (int ending : {VK_LBUTTON, VK_RBUTTON, VK_ESCAPE}) {
        const bool cancel = ending != VK_LBUTTON;
        // The window sees the mouse where it is when it appears: on the centre the rectangle stays.
        MoveTo(200, 175);
        CMouseCaptureWnd wnd(eRecordFixedArea, CRect(100, 100, 301, 251));
        ASSERT_TRUE(wnd.CreateShiftWindow());
        PumpFor(200);
        EXPECT_EQ(wnd.GetCaptureArea(), CRect(100, 100, 301, 251));
        // The frame inverts its strips; the inside and everything away from the label stay.
        const ScreenCopy shown = CopyScreen(screen_);
        for (const RECT& side : {RECT{100, 101, 301, 102}, {100, 249, 301, 250}, {100, 104, 101, 247}, {299, 104, 300, 247}})
            EXPECT_GT(CountDifferences(before_, shown, &side), 0u) << side.left << "," << side.top;
        EXPECT_EQ(ChangedOutside(RECT{100, 60, 600, 300}), 0u);
        if (!cancel) SaveScreenPng(RECT{60, 60, 700, 320}, L"area-fixed.png");

        for (const auto& s : steps) {
            MoveTo(s.cursor.x, s.cursor.y);
            EXPECT_EQ(wnd.GetCaptureArea(), s.expected) << s.cursor.x << "," << s.cursor.y;
            // Only the current frame and its label are on the screen.
            const CRect& e = s.expected;
            EXPECT_EQ(ChangedOutside(RECT{e.left, e.top - 40, std::max(e.right, e.left + 500), e.bottom + 40}), 0u);
        }
        ending == VK_ESCAPE ? PressKey(VK_ESCAPE) : Click(ending == VK_LBUTTON);
        EXPECT_EQ(RunLoop(wnd), cancel ? 2 : 1) << ending;
        EXPECT_TRUE(cancel || wnd.GetCaptureArea() == steps[4].expected);
        PumpFor(200);
        EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u) << ending;
        wnd.DestroyWindow();
    }
}

TEST_F(AreaSelector, NewAreaIsTheNormalisedRectangleOfADragAcrossMonitors) {
    {  // Escape before a drag cancels with no area.
        CMouseCaptureWnd early(eRecordNewArea, CRect(0, 0, 0, 0));
        ASSERT_TRUE(early.CreateShiftWindow());
        PumpFor(200);
        PressKey(VK_ESCAPE);
        EXPECT_EQ(RunLoop(early), 2);
        EXPECT_TRUE(early.GetCaptureArea().IsRectEmpty());
        early.DestroyWindow();
        PumpFor(200);
    }
    CMouseCaptureWnd wnd(eRecordNewArea, CRect(0, 0, 0, 0));
    ASSERT_TRUE(wnd.CreateShiftWindow());
    PumpFor(200);
    // Where the leftmost monitor ends: a drag across it spans two monitors when there are two.
    LONG b = (screen_.left + screen_.right) / 2;
    if (monitors_.size() > 1)
        b = std::min_element(monitors_.begin(), monitors_.end(), [](auto& m, auto& n) { return m.left < n.left; })->right;
    MoveTo(b + 150, 300);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    PumpFor(150);
    MoveTo(b - 200, 120);  // up and to the left of the start
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b - 200, 120, b + 150, 300));
    const ScreenCopy across = CopyScreen(screen_);
    const RECT leftPart{b - 200, 60, b, 310}, rightPart{b, 60, b + 151, 310};
    EXPECT_GT(CountDifferences(before_, across, &leftPart), 0u);
    EXPECT_GT(CountDifferences(before_, across, &rightPart), 0u);
    SaveScreenPng(RECT{b - 260, 40, std::min(b + 700, screen_.right), 360}, L"area-new-across.png");
    // With two monitors each part has its label: a white box 5 to 25 pixels above its top edge, from
    // 10 pixels right of its left edge.
    for (LONG x : {b - 180, b + 20}) {
        int white = 0;
        for (LONG y = 90; y < 118; ++y) white += across.At(x, y) == 0xFFFFFF;
        EXPECT_TRUE(monitors_.size() < 2 || white > 5) << x;
    }
    // Back onto the start's monitor only: the other monitor is clean again, its label removed too.
    MoveTo(b + 300, 250);
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b + 150, 250, b + 300, 300));
    const RECT otherSide{std::max(screen_.left, b - 700), screen_.top, b, screen_.bottom};
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_), &otherSide), 0u);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(RunLoop(wnd), 1);
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b + 150, 250, b + 300, 300));
    wnd.DestroyWindow();
    PumpFor(300);
    EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u);
}

class FlashingFrame : public ScreenTest {
protected:
    // Takes the area as it is now as the unflashed screen.
    void Watch(const RECT& around) {
        around_ = around;
        plain_ = CopyScreen(around);
    }
    // Pixels of the watched area, afterMs from now, where "differs from then" and "inside the shape at origin"
    // disagree (so with no shape, those that differ); with outsideOnly, only the pixels outside that differ.
    size_t Mismatches(DWORD afterMs, const ScreenCopy& then, const qel::FrameShape& shape = {}, POINT origin = {},
                      bool outsideOnly = false) const {
        PumpFor(afterMs);
        const ScreenCopy now = CopyScreen(around_);
        size_t n = 0;
        for (LONG y = around_.top; y < around_.bottom; ++y)
            for (LONG x = around_.left; x < around_.right; ++x) {
                const bool in = InShape(shape, x - origin.x, y - origin.y);
                n += (now.At(x, y) != then.At(x, y)) != in && !(outsideOnly && in);
            }
        return n;
    }
    RECT around_{};
    ScreenCopy plain_;
};

// The thin frame as created; after a move the window carries the brackets.
TEST_F(FlashingFrame, FlashesInItsExactShapeStopsPlainAndMovesOnlyWhenMovable) {
    RECT r{400, 300, 500, 360};  // 100 x 60; CreateFlashing takes it by reference
    CFlashingWnd wnd;
    ASSERT_NE(wnd.CreateFlashing(L"flash", r, 1), 0);
    wnd.ShowWindow(SW_SHOWNOACTIVATE);
    PumpFor(200);
    Watch(Grown(r, 30));
    const qel::FrameShape shape = qel::FlashFrameShape(100, 60, true);
    const POINT origin{r.left - 4, r.top - 4};
    // Outside its region the window shows what lies below.
    EXPECT_EQ(Mismatches(150, before_, shape, origin, true), 0u);
    wnd.DrawFlashingRect(false, false);
    EXPECT_EQ(Mismatches(150, plain_, shape, origin), 0u);
    SaveScreenPng(around_, L"flash-thin.png");
    wnd.DrawFlashingRect(false, false);
    EXPECT_EQ(Mismatches(150, plain_), 0u) << "the second step restores";
    // The timer flashes until stopped; started twice it leaves no second timer behind.
    wnd.StartFlashing();
    wnd.StartFlashing();
    int flashedSamples = 0, plainSamples = 0;
    for (int i = 0; i < 12; ++i) (Mismatches(45, plain_) ? flashedSamples : plainSamples)++;
    EXPECT_TRUE(flashedSamples > 0 && plainSamples > 0) << flashedSamples << " of 12 flashed";
    // Stopped while flashed, after an odd number of ticks, it paints the plain look back.
    bool flashed = false;
    for (int i = 0; i < 12 && !flashed; ++i) flashed = Mismatches(30, plain_) > 0;
    ASSERT_TRUE(flashed);
    wnd.StopFlashing();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Mismatches(110, plain_), 0u) << i;
    // A drag on the frame moves it only while movable, and never off the screen.
    const POINT grab{r.right + 3, r.bottom - 5};
    auto drag = [&](LONG toX, LONG toY) {
        MoveTo(grab.x, grab.y);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        PumpFor(150);
        MoveMouse(toX, toY);
        PumpFor(150);
        MouseButton(MOUSEEVENTF_LEFTUP);
        PumpFor(250);
    };
    drag(grab.x + 100, grab.y + 100);
    EXPECT_TRUE(wnd.Rect() == CRect(r) && !wnd.NewRegionUsed());
    wnd.SetMovable(true);
    drag(screen_.left, grab.y - 50);  // far past the left edge of the virtual screen
    const RECT moved{screen_.left, r.top - 50, screen_.left + 100, r.bottom - 50};
    EXPECT_TRUE(wnd.Rect() == CRect(moved) && wnd.NewRegionUsed());
    Watch(RECT{moved.left, moved.top - 30, moved.right + 30, moved.bottom + 30});
    wnd.DrawFlashingRect(false, false);
    EXPECT_EQ(Mismatches(150, plain_, qel::FlashFrameShape(100, 60, false), POINT{moved.left - 8, moved.top - 8}), 0u);
    SaveScreenPng(around_, L"flash-moved.png");
    wnd.StopFlashing();
    wnd.DestroyWindow();
}

constexpr DWORD kYellow = 0xFFFF00, kWhite = 0xFFFFFF;  // as screen copies hold them, 0x00RRGGBB

// The picker's window, of the given thread, is topmost over the whole virtual screen (the backdrop is not topmost).
bool PickerShown(DWORD thread) {
    const RECT screen = VirtualScreen();
    const HWND wnd = ::WindowFromPoint(POINT{screen.left, screen.top});
    RECT r{};
    return ::GetWindowThreadProcessId(wnd, nullptr) == thread && (::GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) &&
           ::GetWindowRect(wnd, &r) && ::EqualRect(&r, &screen);
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
        const auto waitFor = [self](bool want) {
            for (int i = 0; i < 100 && PickerShown(self) != want; ++i) ::Sleep(50);
            return PickerShown(self) == want;
        };
        bool shown = false;
        std::thread driver([&] {
            shown = waitFor(true);
            ::Sleep(200);
            input();
            if (!waitFor(false)) PressKey(VK_RETURN);
        });
        const unsigned long color = CPictavoUtil().PickScreenColor();
        driver.join();
        EXPECT_TRUE(shown && !PickerShown(self));
        return color;
    }
    std::optional<CWinApp> app_;
};

// Red on the primary monitor, picked by a left click; green on each other one (left of the primary too), by a right click.
TEST_F(ColourPicker, ClickAndEscapePickTheColourUnderTheTipOnEveryMonitorEnterRefusesAndTheLabelStaysOnScreen) {
    std::vector<std::pair<POINT, COLORREF>> spots{{{400, 400}, RGB(255, 0, 0)}};
    for (const RECT& m : monitors_)
        if (m.left != 0 || m.top != 0) spots.push_back({{m.left + 200, m.top + 200}, RGB(0, 255, 0)});
    for (const auto& [p, colour] : spots) {
        const DWORD rgb = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        const auto under = Backdrop(RECT{p.x - 100, p.y - 100, p.x + 100, p.y + 100}, long(rgb));
        ScreenCopy label;
        EXPECT_EQ(Pick([&] {
            Hover(p.x, p.y);
            label = CopyScreen(RECT{p.x, p.y, p.x + 300, p.y + 80});
            Click(rgb == 0xFF0000);
        }), colour);
        // The label box starts 30 pixels right of and below the cursor: a light top edge, yellow inside,
        // the swatch from 5 to 25 pixels in; left of it the colour window below.
        ASSERT_FALSE(label.pixels.empty());
        EXPECT_TRUE(label.At(p.x + 40, p.y + 30) == kWhite && label.At(p.x + 40, p.y + 31) == kYellow);
        EXPECT_EQ(label.At(p.x + 32, p.y + 40), kYellow);
        EXPECT_TRUE(label.At(p.x + 45, p.y + 42) == rgb && label.At(p.x + 29, p.y + 40) == rgb);
        EXPECT_EQ(Pick([&] { Hover(p.x - 50, p.y + 50); PressKey(VK_ESCAPE); }), colour);
    }
    // Enter refuses; in the corner the label moves left of the cursor and above it (its top edge 54 pixels up).
    const LONG right = ::GetSystemMetrics(SM_CXSCREEN) - 20, bottom = ::GetSystemMetrics(SM_CYSCREEN) - 20;
    ScreenCopy corner;
    EXPECT_EQ(Pick([&] {
        Hover(right, bottom);
        corner = CopyScreen(RECT{right - 300, bottom - 60, right + 1, bottom + 1});
        PressKey(VK_RETURN);
    }), 0xFFFFFFFFu);
    ASSERT_FALSE(corner.pixels.empty());
    EXPECT_TRUE(corner.At(right - 40, bottom - 53) == kYellow && corner.At(right - 40, bottom - 54) == kWhite);
}

}  // namespace
