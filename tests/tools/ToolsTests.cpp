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
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "Handles.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "ToolInput.h"
#include "tools/AreaMarks.h"
#include "tools/ToolGeometry.h"

inline void PrintTo(const CRect& r, std::ostream* os) { *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")"; }

namespace {

using namespace qeltest;
using testing::PrintToString;

constexpr DWORD kYellow = kPickLabelYellow, kWhite = 0xFFFFFF;  // as screen copies hold them, 0x00RRGGBB

bool InShape(const qel::FrameShape& s, LONG x, LONG y) {
    const auto in = [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
    return in(s.outer) && std::none_of(s.holes.begin(), s.holes.end(), in);
}

// Labels count both edges; the picker's label beside the right or the bottom edge alone, on a monitor left
// of the primary too. The window regions of a 100 x 60 rectangle, probed at the edges of every arm and band.
// Thin: 4 pixels on the left and top, 3 on the right and bottom. Brackets: 8 and 7 thick, arms of 24 from the
// top-left corner and 27 from the bottom-right one.
TEST(ToolRules, LabelsAndFrameShapes) {
    const RECT screen{0, 0, 1000, 800}, left{-1280, 0, 0, 1024};
    EXPECT_EQ(qel::AreaLabelText(RECT{10, 10, 20, 30}), L"Left : 10 Top : 10 Width : 11 Height : 21");
    EXPECT_EQ(qel::PickLabelText(RGB(255, 0, 0)), L"R:255 G:0 B:0");
    const struct { POINT cursor; RECT bounds; POINT box; } picks[] = {
        {{900, 400}, screen, {770, 430}}, {{400, 780}, screen, {430, 726}}, {{-100, 500}, left, {-230, 530}}};
    const auto xy = [](POINT q) { return std::make_pair(q.x, q.y); };
    for (const auto& p : picks) EXPECT_EQ(xy(qel::PickLabelPosition(p.cursor, 100, p.bounds)), xy(p.box)) << p.cursor.x << "," << p.cursor.y;
    // Thin (1) or brackets (0), a point, inside (1) or not.
    const struct { bool thin; LONG x, y; bool in; } probes[] = {
        {1, 3, 10, 1}, {1, 4, 10, 0}, {1, 104, 10, 0}, {1, 105, 10, 1}, {1, 107, 10, 1}, {1, 108, 10, 0}, {1, 10, 3, 1},
        {1, 10, 4, 0}, {1, 10, 64, 0}, {1, 10, 67, 1}, {1, 10, 68, 0}, {0, 23, 0, 1}, {0, 24, 0, 0}, {0, 88, 0, 0},
        {0, 89, 0, 1}, {0, 115, 0, 1}, {0, 116, 0, 0}, {0, 0, 23, 1}, {0, 0, 24, 0}, {0, 0, 48, 0}, {0, 0, 49, 1},
        {0, 0, 75, 1}, {0, 0, 76, 0}, {0, 7, 10, 1}, {0, 8, 10, 0}, {0, 108, 68, 0}, {0, 108, 70, 1}, {0, 109, 10, 1}};
    for (const auto& [thin, x, y, in] : probes)
        EXPECT_EQ(InShape(qel::FlashFrameShape(100, 60, thin), x, y), in) << thin << " " << x << "," << y;
}

// A window over area showing a different colour in nearly every pixel (rgb < 0), or the one colour 0xRRGGBB.
// Not topmost, so the windows under test lie above it. The pixels go into one DIB: brushes would take seconds.
struct Backdrop {
    Backdrop(const RECT& area, long rgb) {
        const LONG w = area.right - area.left, h = area.bottom - area.top;
        const BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        DWORD* bits = nullptr;
        bitmap.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
        for (size_t i = 0; i < size_t(w) * h; ++i) bits[i] = rgb >= 0 ? DWORD(rgb) : DWORD(i * 2654435761u >> 7) & 0xFFFFFF;
        wnd.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP | SS_BITMAP, area.left, area.top, w, h, nullptr,
                                    nullptr, nullptr, nullptr));
        ::SendMessageW(wnd.get(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
        ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
        // Wine shows a window's pixels only once its surface is flushed.
        const RECT row{area.left, area.top, area.left + 64, area.top + 1};
        PumpUntil([&] { return CopyScreen(row).pixels == std::vector<DWORD>(bits, bits + 64); });
    }
    qel::UniqueHbitmap bitmap;  // the static control shows it but does not own it: it goes after the window
    qel::UniqueHwnd wnd;
};

// The pattern over the whole virtual screen, and a copy of the screen showing it.
class OnScreen : public ::testing::Test {
protected:
    const RECT screen_ = VirtualScreen();
    const std::vector<RECT> monitors_ = qel::MonitorRects();
    const Backdrop backdrop_{screen_, -1};
    const ScreenCopy before_ = CopyScreen(screen_);
};

TEST_F(OnScreen, AreaSelectorFixedAreaFollowsTheMouseIsPinnedAtEveryEdgeAndEndsByClickOrEscape) {
    // Every monitor here starts at y = 0.
    const RECT tallest = *std::max_element(monitors_.begin(), monitors_.end(), [](auto& a, auto& b) { return a.bottom < b.bottom; });
    const RECT& first = monitors_.front();
    // The rectangle is 201 x 151 between its edges; its centre is (200, 175).
    const LONG w = 201, h = 151, lastX = screen_.right - 1, lastY = screen_.bottom - 1, midY = (first.top + first.bottom) / 2;
    const struct { POINT cursor; CRect expected; } steps[] = {
        {{200, 175}, {100, 100, 301, 251}},
        {{first.left + 500, midY}, {first.left + 400, midY - 75, first.left + 601, midY + 76}},
        {{screen_.left + 5, 500}, {screen_.left, 425, screen_.left + w, 576}},
        {{first.left + 500, screen_.top + 3}, {first.left + 400, screen_.top, first.left + 601, screen_.top + h}},
        {{screen_.right - 2, 500}, {lastX - w, 425, lastX, 576}},
        {{tallest.left + 500, tallest.bottom - 1}, {tallest.left + 400, lastY - h, tallest.left + 601, lastY}},
    };
    // A left click accepts; a right click or Escape cancels.
    for (int ending : {VK_LBUTTON, VK_RBUTTON, VK_ESCAPE}) {
        // The window sees the mouse where it is when it appears: on the centre the rectangle stays.
        MoveMouse(steps[0].cursor);
        CMouseCaptureWnd wnd(eRecordFixedArea, steps[0].expected);
        ASSERT_TRUE(wnd.CreateShiftWindow());
        for (const auto& s : steps) {
            MoveMouse(s.cursor);
            // Only the current frame and its label are on the screen, the frame's strips inverted.
            const CRect& e = s.expected;
            const RECT keep{e.left, e.top - 40, std::max(e.right, e.left + 500), e.bottom + 40};
            const RECT strips[] = {{e.left, e.top + 1, e.right, e.top + 2}, {e.left, e.bottom - 2, e.right, e.bottom - 1},
                                   {e.left, e.top + 4, e.left + 1, e.bottom - 4}, {e.right - 2, e.top + 4, e.right - 1, e.bottom - 4}};
            EXPECT_TRUE(PumpUntil([&] {
                const ScreenCopy now = CopyScreen(screen_);
                return wnd.GetCaptureArea() == e && CountDifferences(before_, now) == CountDifferences(before_, now, &keep) &&
                       std::all_of(std::begin(strips), std::end(strips), [&](const RECT& r) { return CountDifferences(before_, now, &r) > 0; });
            })) << s.cursor.x << "," << s.cursor.y << ": " << PrintToString(wnd.GetCaptureArea());
            if (&s == steps && ending == VK_LBUTTON) SaveScreenPng(RECT{60, 60, 700, 320}, L"area-fixed.png");
        }
        ending == VK_ESCAPE ? PressKey(VK_ESCAPE) : Click(ending == VK_LBUTTON);
        EXPECT_EQ(RunSelectorLoop(wnd), ending == VK_LBUTTON ? 1 : 2) << ending;
        EXPECT_TRUE(ending != VK_LBUTTON || wnd.GetCaptureArea() == std::end(steps)[-1].expected);
        PumpFor(200);  // the click's release must not draw again either
        EXPECT_EQ(CountDifferences(before_, CopyScreen(screen_)), 0u) << ending;
        wnd.DestroyWindow();
    }
}

TEST_F(OnScreen, AreaSelectorNewAreaIsTheNormalisedRectangleOfADragAcrossMonitors) {
    // Escape before a drag cancels with no area.
    CMouseCaptureWnd early(eRecordNewArea, CRect());
    ASSERT_TRUE(early.CreateShiftWindow());
    PressKey(VK_ESCAPE);
    EXPECT_EQ(RunSelectorLoop(early), 2);
    EXPECT_TRUE(early.GetCaptureArea().IsRectEmpty()) << PrintToString(early.GetCaptureArea());
    early.DestroyWindow();
    CMouseCaptureWnd wnd(eRecordNewArea, CRect());
    ASSERT_TRUE(wnd.CreateShiftWindow());
    // Where the leftmost monitor ends: a drag across it spans two monitors when there are two.
    const auto leftmost = std::min_element(monitors_.begin(), monitors_.end(), [](auto& m, auto& n) { return m.left < n.left; });
    const LONG b = monitors_.size() < 2 ? (screen_.left + screen_.right) / 2 : leftmost->right;
    MoveMouse(b + 150, 300);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    // On before the press is handled, as on a busy thread: the drag still starts where the button went down.
    MoveMouse(b - 200, 120);  // up and to the left of the start
    const RECT leftPart{b - 200, 60, b, 310}, rightPart{b, 60, b + 151, 310};
    ScreenCopy across;
    EXPECT_TRUE(PumpUntil([&] {
        across = CopyScreen(screen_);
        return wnd.GetCaptureArea() == CRect(b - 200, 120, b + 150, 300) && CountDifferences(before_, across, &leftPart) &&
               CountDifferences(before_, across, &rightPart);
    })) << PrintToString(wnd.GetCaptureArea());
    SaveScreenPng(RECT{b - 260, 40, std::min(b + 700, screen_.right), 360}, L"area-new-across.png");
    // With two monitors each part has its label: a white box 5 to 25 pixels above its top edge, from
    // 10 pixels right of its left edge.
    const auto whiteAt = [&](LONG x) { int n = 0; for (LONG y = 90; y < 118; ++y) n += across.At(x, y) == kWhite; return n; };
    EXPECT_TRUE(monitors_.size() < 2 || (whiteAt(b - 180) > 5 && whiteAt(b + 20) > 5));
    // Back onto the start's monitor only: the other monitor is clean again, its label removed too.
    MoveMouse(b + 300, 250);
    const RECT otherSide{std::max(screen_.left, b - 700), screen_.top, b, screen_.bottom};
    EXPECT_TRUE(PumpUntil([&] {
        return wnd.GetCaptureArea() == CRect(b + 150, 250, b + 300, 300) && !CountDifferences(before_, CopyScreen(screen_), &otherSide);
    })) << PrintToString(wnd.GetCaptureArea());
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(RunSelectorLoop(wnd), 1);
    EXPECT_EQ(wnd.GetCaptureArea(), CRect(b + 150, 250, b + 300, 300));
    wnd.DestroyWindow();
    EXPECT_TRUE(PumpUntil([&] { return CountDifferences(before_, CopyScreen(screen_)) == 0; })) << "marks left behind";
}

// Pixels of then's area where "differs now" and "inside the shape at origin" disagree (so with no shape,
// those that differ).
size_t Mismatches(const ScreenCopy& then, const qel::FrameShape& shape = {}, POINT origin = {}) {
    const ScreenCopy now = CopyScreen(then.area);
    size_t n = 0;
    for (LONG y = then.area.top; y < then.area.bottom; ++y)
        for (LONG x = then.area.left; x < then.area.right; ++x)
            n += (now.At(x, y) != then.At(x, y)) != InShape(shape, x - origin.x, y - origin.y);
    return n;
}

// The thin frame as created; after a move the window carries the brackets.
TEST_F(OnScreen, FlashingFrameFlashesInItsExactShapeStopsPlainAndMovesOnlyWhenMovable) {
    RECT r{400, 300, 500, 360};  // 100 x 60; CreateFlashing takes it by reference
    CFlashingWnd wnd;
    ASSERT_NE(wnd.CreateFlashing(L"flash", r, 1), 0);
    wnd.ShowWindow(SW_SHOWNOACTIVATE);
    PumpFor(300);  // the window paints nothing of its own: no look to wait for
    const qel::FrameShape thin = qel::FlashFrameShape(100, 60, true);
    const POINT origin{r.left - 4, r.top - 4};
    // The flash covers the whole window, so it shows the window's region and place exactly.
    const ScreenCopy plain = CopyScreen(RECT{r.left - 30, r.top - 30, r.right + 30, r.bottom + 30});
    wnd.DrawFlashingRect(false, false);
    EXPECT_TRUE(PumpUntil([&] { return Mismatches(plain, thin, origin) == 0; })) << "flashed in its exact shape";
    SaveScreenPng(plain.area, L"flash-thin.png");
    // The timer goes on from there: its next step restores the plain look, and it flashes on and off until
    // stopped; started twice it leaves no second timer behind.
    wnd.StartFlashing();
    wnd.StartFlashing();
    ASSERT_TRUE(PumpUntil([&] { return Mismatches(plain) == 0; }) && PumpUntil([&] { return Mismatches(plain) > 0; }));
    // Stopped while flashed, after an odd number of ticks, it paints the plain look back.
    wnd.StopFlashing();
    for (int i = 0; i < 3; ++i) {
        PumpFor(110);  // longer than a tick: a timer left running would show
        EXPECT_EQ(Mismatches(plain), 0u) << i;
    }
    // A drag on the frame moves it only while movable, and never off the screen: dragged far past the left
    // edge of the virtual screen it stops there with its size kept.
    const POINT grab{r.right + 3, r.bottom - 5};
    const RECT moved{screen_.left, r.top - 50, screen_.left + 100, r.bottom - 50};
    for (bool movable : {false, true}) {
        wnd.SetMovable(movable);
        MoveMouse(grab);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        PumpFor(200);  // the frame reads the cursor when it sees the press: move on only after that
        MoveMouse(screen_.left, grab.y - 50);
        MouseButton(MOUSEEVENTF_LEFTUP);
        PumpFor(250);  // not movable, nothing changes: there is no state to wait for
        EXPECT_TRUE(wnd.Rect() == CRect(movable ? moved : r) && wnd.NewRegionUsed() == movable) << movable;
    }
    const ScreenCopy movedPlain = CopyScreen(RECT{moved.left, moved.top - 30, moved.right + 30, moved.bottom + 30});
    wnd.DrawFlashingRect(false, false);
    EXPECT_TRUE(PumpUntil([&] { return Mismatches(movedPlain, qel::FlashFrameShape(100, 60, false), POINT{moved.left - 8, moved.top - 8}) == 0; }));
    SaveScreenPng(movedPlain.area, L"flash-moved.png");
    wnd.StopFlashing();
    wnd.DestroyWindow();
}

// Red on the primary monitor, picked by a left click; green on each other one (left of the primary too), by a right click.
TEST_F(OnScreen, ColourPickerClickAndEscapePickTheColourUnderTheTipOnEveryMonitorEnterRefusesAndTheLabelStaysOnScreen) {
    std::vector<std::pair<POINT, COLORREF>> spots{{{400, 400}, RGB(255, 0, 0)}};
    for (const RECT& m : monitors_)
        if (m.left != 0 || m.top != 0) spots.push_back({{m.left + 200, m.top + 200}, RGB(0, 255, 0)});
    for (const auto& [p, colour] : spots) {
        const DWORD rgb = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        const auto under = Backdrop(RECT{p.x - 100, p.y - 100, p.x + 100, p.y + 100}, long(rgb));
        ScreenCopy label;
        EXPECT_EQ(Pick(p, POINT{p.x + 32, p.y + 40}, [&] { Click(rgb == 0xFF0000); }, &label), colour);
        // The label box starts 30 pixels right of and below the cursor: a light top edge, yellow inside,
        // the swatch from 5 to 25 pixels in; left of it the colour window below.
        EXPECT_TRUE(label.At(p.x + 40, p.y + 30) == kWhite && label.At(p.x + 40, p.y + 31) == kYellow && label.At(p.x + 32, p.y + 40) == kYellow);
        EXPECT_TRUE(label.At(p.x + 45, p.y + 42) == rgb && label.At(p.x + 29, p.y + 40) == rgb);
        EXPECT_EQ(Pick(POINT{p.x - 50, p.y + 50}, POINT{p.x - 18, p.y + 90}, [] { PressKey(VK_ESCAPE); }), colour);
    }
    // Enter refuses; in the corner the label moves left of the cursor and above it (its top edge 54 pixels up).
    const LONG right = ::GetSystemMetrics(SM_CXSCREEN) - 20, bottom = ::GetSystemMetrics(SM_CYSCREEN) - 20;
    ScreenCopy corner;
    EXPECT_EQ(Pick(POINT{right, bottom}, POINT{right - 40, bottom - 53}, [] { PressKey(VK_RETURN); }, &corner), 0xFFFFFFFFu);
    EXPECT_TRUE(corner.At(right - 40, bottom - 53) == kYellow && corner.At(right - 40, bottom - 54) == kWhite);
}

}  // namespace
