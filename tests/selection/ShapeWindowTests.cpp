// The shape windows under real input on every layout: a fixed-size rectangle, a polygon and a free-hand
// outline are cut from the frozen screen pixel for pixel, transparent outside the shape and off every
// monitor, and the windows show the frozen screen, the selection and the magnifier meanwhile.
#include <gtest/gtest.h>

#include <QelPictavo/PictavoUtil.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "CaptureFormTestSupport.h"
#include "ScreenTestWindows.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "selection/CatchFixedRgnScreenWnd.h"
#include "selection/CatchPolygonScreenWnd.h"
#include "selection/OverlayLayout.h"
#include "windows/ScreenGeometry.h"

using namespace formtest;

namespace {

DWORD Frozen(int sx, int sy) { return screentest::ExpectedScreenPixel(sx, sy); }
DWORD FrozenRgb(int sx, int sy) { return Frozen(sx, sy) & 0xFFFFFF; }

POINT Origin() {
    const Gdiplus::Rect b = ScreenGeometry::VirtualScreenBounds();
    return POINT{b.X, b.Y};
}
POINT ToClient(POINT s) { return POINT{s.x - Origin().x, s.y - Origin().y}; }

// A DIB taken at screen point origin against expected(sx, sy): the pixel itself where expected is
// opaque, any fully transparent pixel where it is not; skip(sx, sy) marks pixels not checked.
testing::AssertionResult CutMatches(const BITMAPINFOHEADER* dib, POINT origin,
                                    const std::function<DWORD(int, int)>& expected,
                                    const std::function<bool(int, int)>& skip = nullptr) {
    if (!dib) return testing::AssertionFailure() << "no image";
    int wrong = 0, checked = 0;
    std::string first;
    for (int y = 0; y < dib->biHeight; ++y)
        for (int x = 0; x < dib->biWidth; ++x) {
            const int sx = origin.x + x, sy = origin.y + y;
            if (skip && skip(sx, sy)) continue;
            ++checked;
            const DWORD want = expected(sx, sy), got = DibArgb(dib, x, y);
            if (want >> 24 ? got == want : got >> 24 == 0) continue;
            if (!wrong++) first = std::to_string(sx) + ", " + std::to_string(sy) + ": " + std::to_string(got);
        }
    if (wrong || checked < dib->biWidth * dib->biHeight / 4)
        return testing::AssertionFailure() << wrong << " of " << checked << " checked pixels differ, first at " << first;
    return testing::AssertionSuccess();
}

// Even-odd inside test of a pixel against an outline, and whether the pixel lies too near an edge to
// tell (the rim is blended).
struct Outline {
    std::vector<POINT> points;  // screen coordinates
    bool Inside(double x, double y) const {
        bool in = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const POINT a = points[i], b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / double(b.y - a.y) + a.x) in = !in;
        }
        return in;
    }
    bool NearEdge(double x, double y) const {
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const double ax = points[j].x, ay = points[j].y, dx = points[i].x - ax, dy = points[i].y - ay;
            const double len2 = dx * dx + dy * dy;
            const double t = len2 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
            if (std::hypot(x - ax - t * dx, y - ay - t * dy) < 2.0) return true;
        }
        return false;
    }
};

// The frozen screen inside the outline, transparent outside it; the rim is not checked.
testing::AssertionResult CutAlong(const BITMAPINFOHEADER* dib, const Outline& outline) {
    if (!dib) return testing::AssertionFailure() << "no image";
    const Gdiplus::Rect b = OverlayLayout::PointBounds(outline.points.data(), outline.points.size());
    if (dib->biWidth != b.Width || dib->biHeight != b.Height)
        return testing::AssertionFailure() << dib->biWidth << " x " << dib->biHeight << ", expected " << b.Width
                                           << " x " << b.Height;
    return CutMatches(
        dib, POINT{b.X, b.Y},
        [&](int sx, int sy) { return outline.Inside(sx + 0.5, sy + 0.5) ? Frozen(sx, sy) : 0u; },
        [&](int sx, int sy) { return outline.NearEdge(sx + 0.5, sy + 0.5); });
}

// A free-hand window that notes every mouse position reported while the button is down.
class RecordingFreehand : public CCatchFreehandScreenWnd {
public:
    using CCatchFreehandScreenWnd::CCatchFreehandScreenWnd;
    std::vector<CPoint> reported;

protected:
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        if (flags & MK_LBUTTON) reported.push_back(point);
        CCatchFreehandScreenWnd::OnMouseMove(flags, point);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(RecordingFreehand, CCatchFreehandScreenWnd)
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

// A fixed-size window that gets Enter before its first animation tick.
class EnterAtOnce : public CCatchFixedRgnScrrenWnd {
public:
    using CCatchFixedRgnScrrenWnd::CCatchFixedRgnScrrenWnd;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs) {
        const int result = CCatchFixedRgnScrrenWnd::OnCreate(cs);
        PostMessage(WM_KEYDOWN, VK_RETURN, 0);  // ahead of any timer message
        return result;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(EnterAtOnce, CCatchFixedRgnScrrenWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

void DoubleClick() {
    Click();
    Click();
    ::Sleep(150);
}

class ShapeWindows : public OverlayTest {
protected:
    POINT On(size_t monitor, int dx, int dy) const {
        const RECT& m = monitors_[std::min(monitor, monitors_.size() - 1)];
        return POINT{m.left + dx, m.top + dy};
    }
    // Runs a call that shows a shape window while script plays on a second thread.
    template <typename Call> auto Run(Call call, std::function<void()> script) {
        // The pattern windows are this thread's: they repaint where the last overlay was only while it pumps.
        qeltest::PumpFor(300);
        InputScript input(std::move(script));
        auto result = call();
        input.Join();
        return result;
    }
    UniqueDib Shape(int shape, std::function<void()> script) {
        return Run([&] { return UniqueDib(CPictavoUtil().CaptureShapeRegion(0, shape)); }, std::move(script));
    }
    screentest::PatternScreens screens_;
};

}  // namespace

TEST_F(ShapeWindows, FixedRectangleLiesByItsAnchorAndIsCutFromTheFrozenScreenEvenOffTheScreen) {
    const int w = 101, h = 61;
    struct Case { WORD key; POINT click, corner; };
    std::vector<Case> cases;
    for (size_t m = 0; m < monitors_.size(); ++m) cases.push_back({'U', On(m, 300, 200), On(m, 300, 200)});
    const POINT p = On(1, 400, 300);
    cases.push_back({'R', p, POINT{p.x - w, p.y}});
    cases.push_back({'B', p, POINT{p.x - w, p.y - h}});
    cases.push_back({'L', p, POINT{p.x, p.y - h}});
    cases.push_back({'C', p, POINT{p.x - 50, p.y - 30}});
    // Hanging off the shorter monitor's bottom-right corner: over the gap below it, onto the next monitor or
    // off the screen; full size, transparent where there is no screen.
    const RECT shorter = *std::min_element(monitors_.begin(), monitors_.end(), [](const RECT& a, const RECT& b) {
        return a.bottom - a.top < b.bottom - b.top;
    });
    cases.push_back({'U', POINT{shorter.right - 40, shorter.bottom - 20}, POINT{shorter.right - 40, shorter.bottom - 20}});
    int ignored = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << char(k.key) << " at " << k.click.x << ", " << k.click.y);
        // The second argument is never read.
        const int second = ignored++ * 7919 - 5;
        UniqueDib dib = Run([&] { return UniqueDib(CPictavoUtil().CaptureFixedRegion(0, second, w, h)); }, [&] {
            if (!WaitForOverlay()) return;
            MoveTo(k.click, 100);
            if (k.key != 'U') Key(k.key);
            Click();
        });
        ASSERT_TRUE(dib && dib->biWidth == w && dib->biHeight == h);
        EXPECT_TRUE(CutMatches(dib.get(), k.corner, Frozen));
    }

    // The rectangle handed back is relative to the screen-bounds origin; C halves an odd width toward zero.
    const POINT at{500 + Origin().x, 300 + Origin().y};
    const CRect placed = Run([&] { return CPictavoUtil::TokenFixedSizeRectanguluarRegion(w, h); }, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(at, 100);
        Key('C');
        Key('C');
        Click();
    });
    EXPECT_EQ(placed, CRect(450, 270, 551, 331));
    // A size beyond the screen is cut to it.
    const Gdiplus::Rect bounds = ScreenGeometry::VirtualScreenBounds();
    const CRect whole = Run([&] { return CPictavoUtil::TokenFixedSizeRectanguluarRegion(100000, 100000); }, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(On(0, 10, 10), 100);
        Click();
    });
    EXPECT_TRUE(whole.Width() == bounds.Width && whole.Height() == bounds.Height) << whole.Width() << " x " << whole.Height();
}

TEST_F(ShapeWindows, FixedRectangleRefusesEmptySizesAndGivesNothingForEnterBeforeItsFirstTick) {
    bool shown = false;
    Run([&] {
        const bool refused = !CPictavoUtil().CaptureFixedRegion(0, 0, 0, 10) && !CPictavoUtil().CaptureFixedRegion(1, 0, 10, -5) &&
                             CPictavoUtil::TokenFixedSizeRectanguluarRegion(0, 0).IsRectNull() &&
                             CPictavoUtil::TokenFixedSizeRectanguluarRegion(INT_MIN, 4).IsRectNull();
        return refused;
    }, [&] {
        for (int i = 0; i < 30 && !shown; ++i, ::Sleep(10)) shown = OverlayAt(POINT{10, 10}) != nullptr;
    });
    EXPECT_FALSE(shown);
    EnterAtOnce window(false, 80, 80);
    EXPECT_EQ(Run([&] { return window.RunForm(); }, [] {}), 1);
    EXPECT_EQ(window.ShapePath().GetPointCount(), 0);
    EXPECT_EQ(UniqueDib(window.GetResult()), nullptr);
}

TEST_F(ShapeWindows, PolygonClosesWithThreeCornersAndIsCutAlongThemAcrossMonitors) {
    const POINT a = On(0, 150, 150), b = On(1, 260, 520), c = On(0, 420, 380);
    // Click, rubber band, click, rubber band, double click: the double click's first press adds the last corner.
    UniqueDib triangle = Shape(5, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(a, 100);
        Click();
        MoveTo(b, 100);
        Click();
        MoveTo(c, 100);
        DoubleClick();
    });
    EXPECT_TRUE(CutAlong(triangle.get(), Outline{{a, b, c}}));
    // A double click first leaves two equal points: no image. Enter first only presses, Enter again closes.
    EXPECT_EQ(Shape(5, [&] { if (WaitForOverlay()) MoveTo(a, 100), DoubleClick(); }), nullptr);
    EXPECT_EQ(Shape(5, [&] { if (WaitForOverlay()) MoveTo(a, 100), Key(VK_RETURN), Key(VK_RETURN); }), nullptr);
    // A right click clears the corners so far; Enter closes the new outline.
    UniqueDib again = Shape(5, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(On(0, 600, 100), 100);
        Click();
        MoveTo(On(0, 640, 190), 100);
        Click();
        Click(false);
        for (const POINT p : {a, b, c}) MoveTo(p, 100), Click();
        MoveTo(c, 100);
        Key(VK_RETURN);
    });
    EXPECT_TRUE(CutAlong(again.get(), Outline{{a, b, c}}));

    // Bounds of 10.4 x 10.6 pixels round to 10 x 11.
    CCatchPolygonScreenWnd unshown(false);
    unshown.ShapePath().AddRectangle(Gdiplus::RectF(5.3f, 7.2f, 10.4f, 10.6f));
    UniqueDib rounded(unshown.GetResult());
    EXPECT_TRUE(rounded && rounded->biWidth == 10 && rounded->biHeight == 11);
}

TEST_F(ShapeWindows, FreehandTakesEveryReportedPositionInOrderAndAClickAddsACorner) {
    const POINT centre = On(0, 400, 330);
    std::vector<POINT> trail;
    for (int i = 0; i <= 36; ++i) {
        const double angle = i * 3.14159265358979 / 18;
        trail.push_back(POINT{centre.x + LONG(std::lround(150 * std::cos(angle))), centre.y + LONG(std::lround(90 * std::sin(angle)))});
    }
    const POINT corner = On(0, 480, 520);
    RecordingFreehand window(false);
    const int result = Run([&] { return window.RunForm(); }, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(trail[0], 100);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        for (const POINT& p : trail) MoveTo(p, 15);
        MouseButton(MOUSEEVENTF_LEFTUP);
        MoveTo(corner, 150);
        Click();
        ::Sleep(100);
        Key(VK_RETURN);
    });
    ASSERT_EQ(result, 1);
    // The press lays two points, then every reported position follows; on the way to the corner the last one
    // followed the cursor, and the click added the corner.
    const CArray<CPoint, CPoint>& points = window.Points();
    const std::vector<CPoint>& reported = window.reported;
    const POINT start = ToClient(trail[0]), end = ToClient(corner);
    ASSERT_TRUE(reported.size() >= trail.size() / 2 && points.GetSize() == INT_PTR(reported.size()) + 3)
        << reported.size() << " reported, " << points.GetSize() << " points";
    EXPECT_TRUE(points[0] == CPoint(start) && points[1] == CPoint(start));
    for (size_t i = 0; i + 1 < reported.size(); ++i) EXPECT_EQ(points[INT_PTR(i) + 2], reported[i]) << i;
    EXPECT_TRUE(points[points.GetUpperBound()] == CPoint(end) && points[points.GetUpperBound() - 1] == CPoint(end));

    Outline outline;
    for (INT_PTR i = 0; i < points.GetSize(); ++i) outline.points.push_back(POINT{points[i].x + Origin().x, points[i].y + Origin().y});
    EXPECT_TRUE(CutAlong(UniqueDib(window.GetResult()).get(), outline));
}

TEST_F(ShapeWindows, CursorOnlyWithFlagAndSettingMAndZAsOnTheLiveOverlay) {
    qel::UniqueHicon cursor = screentest::MakeTestCursor();
    for (const auto& wnd : screens_.windows) ::SetClassLongPtrW(wnd.get(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor.get()));
    const POINT p = On(0, 300, 300), image{p.x - screentest::kHotspotX, p.y - screentest::kHotspotY};
    ::SetCursorPos(p.x - 1, p.y);
    MoveMouse(p.x, p.y);
    qeltest::PumpFor(200);
    CaptureSettings& settings = CaptureSettings::Get();
    for (const auto& [flag, setting] : {std::pair{false, true}, std::pair{true, false}, std::pair{true, true}}) {
        SCOPED_TRACE(testing::Message() << "flag " << flag << ", setting " << setting);
        settings.CaptureMousePointer = setting;
        CCatchFixedRgnScrrenWnd unshown(flag, 60, 60);
        const POINT c = ToClient(image);
        unshown.ShapePath().AddRectangle(Gdiplus::Rect(c.x - 10, c.y - 10, 60, 60));
        UniqueDib dib(unshown.GetResult());
        const bool drawn = flag && setting;
        EXPECT_TRUE(CutMatches(dib.get(), POINT{image.x - 10, image.y - 10}, [&](int sx, int sy) {
            return drawn && screentest::UnderTestCursor(image, sx, sy) ? screentest::kCursorColor : Frozen(sx, sy);
        }));
    }
    settings.CaptureMousePointer = true;

    // M flips only the flag; Z switches the magnifier off for this and the next shape window.
    CCatchFixedRgnScrrenWnd window(true, 50, 50);
    ASSERT_TRUE(window.ZoomAnimator() && window.GetCapture()->IsCursorVisible());
    Run([&] { return window.RunForm(); }, [] {
        if (!WaitForOverlay()) return;
        Key('M');
        Key('Z');
        Key(VK_ESCAPE);
    });
    CCatchPolygonScreenWnd next(false);
    EXPECT_TRUE(!window.GetCapture()->IsCursorVisible() && !settings.ZoomerEnabled && next.ZoomAnimator() == nullptr);
}

// What the shape windows show, read back from the screen while they are up; saved for a person to look at.
TEST_F(ShapeWindows, WindowsShowTheFrozenScreenTheTranslucentSelectionItsReadoutAndTheMagnifier) {
    const RECT mon = monitors_.back();
    const POINT p{mon.left + 300, mon.top + 250};
    ScreenCopy fixedShot, polygonShot;
    CCatchFixedRgnScrrenWnd fixed(false, 300, 200);
    Run([&] { return fixed.RunForm(); }, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(p, 900);  // the magnifier grows out of the cursor over 16 frames
        fixedShot = CopyScreen(mon);
        SaveScreenPng(mon, L"shape-fixed.png");
        Key(VK_ESCAPE);
    });
    fixed.DestroyWindow();  // as the exported calls do: the next window must not freeze this one
    const POINT a{p.x, p.y}, b{p.x + 300, p.y + 60}, c{p.x + 120, p.y + 260};
    Shape(5, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(a, 100);
        Click();
        MoveTo(b, 100);
        Click();
        MoveTo(c, 900);
        polygonShot = CopyScreen(mon);
        SaveScreenPng(mon, L"shape-polygon.png");
        Key(VK_ESCAPE);
    });
    const POINT trailStart{p.x + 500, p.y};
    Shape(6, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(trailStart, 100);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        for (int i = 1; i <= 40; ++i) MoveTo(POINT{trailStart.x + i * 5, trailStart.y + LONG(60 * std::sin(i / 6.0))}, 15);
        MouseButton(MOUSEEVENTF_LEFTUP);
        MoveTo(POINT{trailStart.x + 100, trailStart.y + 200}, 600);
        SaveScreenPng(mon, L"shape-freehand.png");
        Key(VK_ESCAPE);
    });
    ASSERT_TRUE(!fixedShot.pixels.empty() && !polygonShot.pixels.empty());

    // The frozen screen above the selection (clear of the cross-hair), the fill blended over it inside, the
    // outline on the right edge.
    int background = 0, backgroundChecked = 0, fill = 0, outline = 0;
    for (LONG y = mon.top + 20; y < p.y - 40; y += 3)
        for (LONG x = mon.left + 10; x < mon.left + 600; x += 7, ++backgroundChecked)
            background += x == p.x || fixedShot.At(x, y) == FrozenRgb(x, y);
    for (LONG y = p.y + 40; y < p.y + 160; ++y) {
        for (LONG x = p.x + 10; x < p.x + 60; x += 5) fill += Near(fixedShot.At(x, y), Blend(FrozenRgb(x, y), 0x3CB371, 0x32), 2);
        for (const LONG x : {p.x + 299, p.x + 300})
            outline += Near(fixedShot.At(x, y), Blend(Blend(FrozenRgb(x, y), 0x3CB371, 0x32), 0, 0x32), 3) ||
                       Near(fixedShot.At(x, y), Blend(FrozenRgb(x, y), 0, 0x32), 3);
    }
    EXPECT_TRUE(background == backgroundChecked && fill == 120 * 10 && outline >= 110) << background << " " << fill << " " << outline;
    // The size read-out in the middle of the rectangle.
    int readout = 0;
    for (LONG y = p.y + 80; y < p.y + 120; ++y)
        for (LONG x = p.x + 80; x < p.x + 220; ++x) readout += fixedShot.At(x, y) == 0x20B2AA;
    EXPECT_GT(readout, 50);
    // The magnifier where its animator put it, the cursor's pixel at its centre.
    ASSERT_TRUE(fixed.ZoomAnimator());
    const Gdiplus::Rect z = fixed.ZoomAnimator()->FinalTarget();
    const POINT centre{p.x + z.X + z.Width / 2, p.y + z.Y + z.Height / 2};
    EXPECT_EQ(fixedShot.At(centre.x, centre.y), FrozenRgb(p.x, p.y));
    // The polygon's fill inside its triangle.
    const POINT inside{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3};
    EXPECT_TRUE(Near(polygonShot.At(inside.x, inside.y), Blend(FrozenRgb(inside.x, inside.y), 0x3CB371, 0x32), 2));
}
