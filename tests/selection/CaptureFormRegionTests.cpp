// Region selection on the live overlay through the exported calls, with real input on every layout:
// the result is the frozen screen, pixel for pixel, and the overlay shows what it should meanwhile.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <cmath>

#include "CaptureFormTestSupport.h"
#include "ScreenTestWindows.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "selection/CaptureForm.h"
#include "selection/OverlayLayout.h"

using namespace formtest;

namespace {

// How many of every step-th pixel of r satisfy pred(x, y).
template <typename Pred>
int Count(const RECT& r, int step, Pred pred) {
    int n = 0;
    for (LONG y = r.top; y < r.bottom; y += step)
        for (LONG x = r.left; x < r.right; x += step) n += pred(x, y);
    return n;
}

class RegionCapture : public OverlayTest {
protected:
    // Runs CaptureShapeRegion while script plays on a second thread.
    UniqueDib Capture(int withCursor, int shape, std::function<void()> script) {
        return Run([&] { return UniqueDib(CPictavoUtil().CaptureShapeRegion(withCursor, shape)); }, std::move(script));
    }
    screentest::PatternScreens screens_;
};

// The frozen screen between the corners a and b, with the test cursor drawn where given.
void ExpectFrozenRegion(const BITMAPINFOHEADER* dib, POINT a, POINT b, const POINT* cursor = nullptr) {
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(qeltest::SizeOf(dib), qeltest::Size(std::abs(a.x - b.x) + 1, std::abs(a.y - b.y) + 1));
    EXPECT_TRUE(DibMatches(dib, POINT{std::min(a.x, b.x), std::min(a.y, b.y)}, [&](int sx, int sy) {
        return cursor && screentest::UnderTestCursor(*cursor, sx, sy) ? screentest::kCursorColor : Frozen(sx, sy);
    }));
}

}  // namespace

TEST_F(RegionCapture, DragOrEnterTwiceGivesTheFrozenScreenWithBothCornersShiftLocksAndEscapeCancels) {
    // On every monitor, up and to the left across the border of two, a one-pixel drag giving 2 x 2, and shape
    // codes without a shape of their own giving the plain rectangle.
    struct Case { int shape; POINT a, b; };
    const POINT c = On(1, 420, 350);
    std::vector<Case> cases{{1, c, POINT{c.x + 1, c.y + 1}}, {0, c, On(1, 590, 417)}, {4, c, On(1, 590, 417)}};
    for (size_t m = 0; m < monitors_.size(); ++m) cases.push_back({1, On(m, 100, 120), On(m, 300, 270)});
    if (monitors_.size() > 1) {
        const LONG border = monitors_[1].left > monitors_[0].left ? monitors_[1].left : monitors_[1].right;
        cases.push_back({1, POINT{border + 60, 420}, POINT{border - 70, 330}});
    }
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << k.shape << " from " << k.a.x << ", " << k.a.y);
        ExpectFrozenRegion(Capture(0, k.shape, [&] { if (WaitForOverlay()) Drag(k.a, k.b); }).get(), k.a, k.b);
    }
    // Enter twice selects from the cursor; Shift held from the press: the first move changes x and y, so y
    // stays where that move left it; Escape closes the overlay with no image.
    const POINT e = On(1, 500, 200), f = On(1, 380, 330), g = On(0, 200, 300), h = On(0, 320, 380);
    ExpectFrozenRegion(Capture(0, 1, [&] {
        if (WaitForOverlay()) MoveTo(e, 100), Key(VK_RETURN), MoveTo(f, 200), Key(VK_RETURN);
    }).get(), e, f);
    ExpectFrozenRegion(Capture(0, 1, [&] {
        if (WaitForOverlay()) MoveTo(g, 100), HoldKey(VK_SHIFT, true), Drag(g, h), HoldKey(VK_SHIFT, false);
    }).get(), g, POINT{h.x, (g.y + h.y) / 2});
    bool gone = false;
    EXPECT_TRUE(Capture(0, 1, [&] { if (WaitForOverlay()) Key(VK_ESCAPE, 0), gone = WaitForOverlayGone(1000); }) == nullptr);
    EXPECT_TRUE(gone);
}

// Shaped regions: opaque frozen pixels inside, transparent outside, the frozen colour at whatever
// coverage the rim gets. The rounded rectangle's corners are arcs of radius 10, an eighth of the shorter side.
TEST_F(RegionCapture, EllipseAndRoundedRectangleAreCutFromTheFrozenScreenAndAClickKeepsTheFormOpen) {
    const POINT a = On(1, 200, 150);
    bool openAfterClick = false;
    for (const int shape : {2, 3}) {
        const bool isEllipse = shape == 2;
        const int w = isEllipse ? 200 : 160, h = isEllipse ? 100 : 80;
        UniqueDib dib = Capture(0, shape, [&] {
            if (!WaitForOverlay()) return;
            if (isEllipse) MoveTo(a, 100), Click(), ::Sleep(400), openAfterClick = OverlayAt(a) != nullptr;
            Drag(a, POINT{a.x + w - 1, a.y + h - 1});
        });
        ASSERT_TRUE(dib && qeltest::SizeOf(dib.get()) == qeltest::Size(w, h)) << shape;
        int wrong = 0, outside = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // How far the pixel's centre lies beyond the rim, in half rim widths: > 1 outside, < -1 inside.
                const double cx = x + 0.5, cy = y + 0.5;
                double d = -2;
                if (isEllipse) d = (std::pow((cx - 100) / 100, 2) + std::pow((cy - 50) / 50, 2) - 1) / 0.1;
                else if ((x < 10 || x >= 150) && (y < 10 || y >= 70))
                    d = (std::hypot(cx - (x < 10 ? 10 : 150), cy - (y < 10 ? 10 : 70)) - 10) / 0.75;
                const DWORD got = DibArgb(dib.get(), x, y), frozen = Frozen(a.x + x, a.y + y);
                outside += d > 1;
                wrong += !(d > 1 ? got >> 24 == 0 : d < -1 ? got == frozen : got >> 24 == 0 || Near(got, frozen, 2));
            }
        EXPECT_TRUE(wrong == 0 && outside > (isEllipse ? 2000 : 30)) << shape << ": " << wrong << " wrong, " << outside << " outside";
    }
    EXPECT_TRUE(openAfterClick);
}

TEST_F(RegionCapture, TheCursorIsInTheFrozenImageOnlyWhenAskedFor) {
    qel::UniqueHicon cursor = screentest::MakeTestCursor();
    for (const auto& wnd : screens_.windows)
        ::SetClassLongPtrW(wnd.get(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor.get()));
    const POINT p = On(1, 600, 400), image{p.x - screentest::kHotspotX, p.y - screentest::kHotspotY};
    const POINT a{p.x - 40, p.y - 40}, b{p.x + 60, p.y + 60};
    for (const int withCursor : {0, 1}) {
        ::SetCursorPos(p.x - 1, p.y);
        MoveMouse(p.x, p.y);
        qeltest::PumpFor(200);
        SCOPED_TRACE(withCursor);
        UniqueDib dib = Capture(withCursor, 1, [&] { if (WaitForOverlay()) Drag(a, b); });
        ExpectFrozenRegion(dib.get(), a, b, withCursor ? &image : nullptr);
    }
}

// A capture started while an earlier one waits for the user (a host reacting to a hotkey inside the first
// overlay's loop) displaces it: the new overlay serves the user, the earlier capture gives up once it returns.
UniqueDib g_nested;
void CALLBACK StartNestedCapture(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_nested.reset(CPictavoUtil().CaptureShapeRegion(0, 1));
}

TEST_F(RegionCapture, ACaptureStartedMeanwhileDisplacesTheWaitingOne) {
    const POINT a = On(0, 150, 160), b = On(0, 250, 230);
    HWND first = nullptr, second = nullptr;
    bool firstEndedByItself = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1100, StartNestedCapture);  // 800 ms into the capture call
    UniqueDib outer = Capture(0, 1, [&] {
        first = WaitForOverlay();
        for (int i = 0; i < 500 && first && (!second || second == first); ++i, ::Sleep(10))
            second = OverlayAt(POINT{10, 10});  // the second overlay replaces the first on top
        if (!second || second == first) return;
        RECT shown{};
        ::GetWindowRect(second, &shown);
        qeltest::WaitForWindowOnScreen(second, shown);
        Drag(a, b);
        // Within the script, before its closing Escape could reach it.
        for (int i = 0; i < 500 && !firstEndedByItself; ++i, ::Sleep(10)) firstEndedByItself = !::IsWindow(first);
    });
    ::KillTimer(nullptr, timer);
    // The first capture ended by itself as soon as the second one was done, not by the script's Escape.
    EXPECT_TRUE(first && second && outer == nullptr && firstEndedByItself);
    ExpectFrozenRegion(g_nested.get(), a, b);
    EXPECT_TRUE(CaptureForm::Current() == nullptr && !::IsWindow(first) && !::IsWindow(second));
}

// What the overlay itself shows, read back from the screen while it is up. Screenshots are saved for a
// person to look at.
TEST_F(RegionCapture, OverlayShowsTheFrozenScreenCrossHairLabelsSelectionAndMagnifierThatZToggles) {
    const RECT mon = monitors_.back();
    const POINT p{mon.left + (mon.right - mon.left) / 2 - 300, mon.top + (mon.bottom - mon.top) / 2 - 250};
    const int side = OverlayLayout::ZoomerSide(Gdiplus::Rect(mon.left, mon.top, mon.right - mon.left, mon.bottom - mon.top));
    // The magnifier takes its size from the monitor the cursor is on when the overlay opens, and keeps
    // it while it fits: start on the monitor watched.
    MoveMouse(p.x, p.y);
    const RECT zoomer{p.x + 20, p.y + 20, p.x + 20 + side, p.y + 20 + side};
    ScreenCopy idle, dragging, zoomerOff, nextOff, nextOn;
    bool offSetting = true;
    UniqueDib dib = Capture(0, 1, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(p, 900);  // the magnifier grows out of the cursor over 16 frames
        idle = CopyScreen(mon);
        SaveScreenPng(mon, L"overlay-crosshair.png");
        Key('Z', 900);  // the magnifier off, for this and later captures
        zoomerOff = CopyScreen(zoomer);
        offSetting = CaptureSettings::Get().ZoomerEnabled;
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MoveTo(POINT{p.x + 300, p.y + 200}, 900);
        dragging = CopyScreen(mon);
        SaveScreenPng(mon, L"overlay-selection.png");
        Key(VK_ESCAPE);
        MouseButton(MOUSEEVENTF_LEFTUP);
    });
    // The next capture starts without it; Z brings it back.
    MoveMouse(p.x, p.y);
    UniqueDib next = Capture(0, 1, [&] {
        if (WaitForOverlay()) MoveTo(p, 900), nextOff = CopyScreen(zoomer), Key('Z', 900), nextOn = CopyScreen(zoomer);
    });
    ASSERT_TRUE(dib == nullptr && next == nullptr && !dragging.pixels.empty() && !nextOn.pixels.empty());

    // Background: the frozen screen wherever nothing is drawn over it.
    const auto unchanged = [](const ScreenCopy& shot) { return [&shot](LONG x, LONG y) { return shot.At(x, y) == FrozenRgb(x, y); }; };
    const RECT background{mon.left + 10, mon.top + 60, p.x - 10, p.y - 60};
    EXPECT_EQ(Count(background, 3, unchanged(idle)), Count(background, 3, [](LONG, LONG) { return true; }));

    // The dotted cross-hair through the cursor, in both directions, beyond the magnifier.
    int vertical = 0, horizontal = 0, lineWrong = 0;
    for (LONG i = 0; i < 100; ++i) {
        const LONG y = p.y + side + 40 + i, x = p.x - 200 + i;
        vertical += idle.At(p.x, y) == 0x20B2AA;
        horizontal += idle.At(x, p.y) == 0x20B2AA;
        lineWrong += (idle.At(p.x, y) != 0x20B2AA && idle.At(p.x, y) != FrozenRgb(p.x, y)) +
                     (idle.At(x, p.y) != 0x20B2AA && idle.At(x, p.y) != FrozenRgb(x, p.y));
    }
    EXPECT_TRUE(vertical >= 30 && horizontal >= 30 && lineWrong == 0) << vertical << " " << horizontal << " " << lineWrong;

    // The magnifier: below and right of the cursor, the cursor's pixel at its centre.
    const POINT centre{p.x + 20 + side / 2, p.y + 20 + side / 2};
    const int pixel = side / OverlayLayout::kZoomerSourceSide;
    EXPECT_EQ(idle.At(centre.x, centre.y), FrozenRgb(p.x, p.y));
    EXPECT_EQ(idle.At(centre.x + pixel * 5, centre.y + pixel * 5), FrozenRgb(p.x + 5, p.y + 5));
    const int all = Count(zoomer, 2, [](LONG, LONG) { return true; }), magnified = all - Count(zoomer, 2, unchanged(idle));
    const int magnifiedNext = Count(zoomer, 2, [&](LONG x, LONG y) { return nextOn.At(x, y) == idle.At(x, y) && idle.At(x, y) != FrozenRgb(x, y); });
    EXPECT_TRUE(magnified > 1000 && !offSetting && CaptureSettings::Get().ZoomerEnabled) << magnified;
    EXPECT_EQ(Count(zoomer, 2, unchanged(zoomerOff)), all);
    EXPECT_EQ(Count(zoomer, 2, unchanged(nextOff)), all);
    EXPECT_GT(magnifiedNext, magnified * 9 / 10);

    // Pixels of a label: its box fill blended over the frozen screen, text ink, or (anti-aliased) each
    // channel in between; enough fill and ink, nothing else.
    const auto label = [](const ScreenCopy& shot, const RECT& r, DWORD fill, int alpha, DWORD ink, int minFill,
                          int minInk) -> testing::AssertionResult {
        int n[3] = {};
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) {
                const DWORD got = shot.At(x, y), under = Blend(FrozenRgb(x, y), fill, alpha);
                bool between = true;
                for (int sh = 0; sh <= 16; sh += 8) {
                    const int g = got >> sh & 0xFF, u = under >> sh & 0xFF, i = ink >> sh & 0xFF;
                    between &= g >= std::min(u, i) - 4 && g <= std::max(u, i) + 4;
                }
                n[0] += Near(got, under, 3), n[1] += Near(got, ink, 8), n[2] += !between;
            }
        if (n[0] > minFill && n[1] > minInk && n[2] == 0) return testing::AssertionSuccess();
        return testing::AssertionFailure() << n[0] << " fill, " << n[1] << " ink, " << n[2] << " other";
    };
    // The coordinate label: a box from 5 pixels right of and below the cursor, its text drawn in it.
    EXPECT_TRUE(label(idle, RECT{p.x + 7, p.y + 7, p.x + 35, p.y + 16}, 0xD9F0E3, 0xC8, 0x2E8B57, 60, 5));

    // The selection: its fill blended over the frozen screen; outside it and its labels, the frozen screen.
    EXPECT_EQ(Count(RECT{p.x + 3, p.y + 3, p.x + 80, p.y + 40}, 1,
                    [&](LONG x, LONG y) { return !Near(dragging.At(x, y), Blend(FrozenRgb(x, y), 0x3CB371, 0x32), 3); }), 0);
    EXPECT_EQ(dragging.At(p.x - 40, p.y - 40), FrozenRgb(p.x - 40, p.y - 40));
    // The size read-out, "301 x 201" in bold across the selection's middle.
    EXPECT_TRUE(label(dragging, RECT{p.x + 120, p.y + 92, p.x + 180, p.y + 108}, 0x3CB371, 0x32, 0x20B2AA, 100, 30));
}
