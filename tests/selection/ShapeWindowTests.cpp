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

POINT Origin() { const Gdiplus::Rect b = ScreenGeometry::VirtualScreenBounds(); return POINT{b.X, b.Y}; }
POINT ToClient(POINT s) { return POINT{s.x - Origin().x, s.y - Origin().y}; }

// A DIB taken at screen point origin against expected(sx, sy): the pixel itself where expected is
// opaque, any fully transparent pixel where it is not; skip(sx, sy) marks pixels not checked.
testing::AssertionResult CutMatches(const BITMAPINFOHEADER* dib, POINT origin, const std::function<DWORD(int, int)>& expected,
                                    const std::function<bool(int, int)>& skip = nullptr) {
    if (!dib) return testing::AssertionFailure() << "no image";
    int wrong = 0, checked = 0;
    std::string first;
    for (int y = 0; y < dib->biHeight; ++y)
        for (int x = 0; x < dib->biWidth; ++x) {
            const int sx = origin.x + x, sy = origin.y + y;
            if (skip && skip(sx, sy)) continue;
            const DWORD want = expected(sx, sy), got = DibArgb(dib, x, y);
            if (++checked, !(want >> 24 ? got == want : got >> 24 == 0) && !wrong++)
                first = std::to_string(sx) + ", " + std::to_string(sy) + ": " + std::to_string(got);
        }
    if (wrong || checked < dib->biWidth * dib->biHeight / 4)
        return testing::AssertionFailure() << wrong << " of " << checked << " checked pixels differ, first at " << first;
    return testing::AssertionSuccess();
}

// Even-odd inside test of a pixel against an outline (screen coordinates), and whether the pixel lies
// too near an edge to tell (the rim is blended).
struct Outline {
    std::vector<POINT> points;
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
            const double ax = points[j].x, ay = points[j].y, dx = points[i].x - ax, dy = points[i].y - ay, len2 = dx * dx + dy * dy;
            const double t = len2 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
            if (std::hypot(x - ax - t * dx, y - ay - t * dy) < 2.0) return true;
        }
        return false;
    }
};

// The frozen screen inside the outline, transparent outside it; the rim is not checked.
testing::AssertionResult CutAlong(const BITMAPINFOHEADER* dib, const Outline& outline) {
    const Gdiplus::Rect b = OverlayLayout::PointBounds(outline.points.data(), outline.points.size());
    if (dib && (dib->biWidth != b.Width || dib->biHeight != b.Height))
        return testing::AssertionFailure() << dib->biWidth << " x " << dib->biHeight << " instead of " << b.Width << " x " << b.Height;
    return CutMatches(
        dib, POINT{b.X, b.Y}, [&](int sx, int sy) { return outline.Inside(sx + 0.5, sy + 0.5) ? Frozen(sx, sy) : 0u; },
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

void ClickAt(std::initializer_list<POINT> points) {
    for (const POINT p : points) MoveTo(p, 100), Click();
}

class ShapeWindows : public OverlayTest {
protected:
    UniqueDib Shape(int shape, std::function<void()> script) {
        return Run([&] { return UniqueDib(CPictavoUtil().CaptureShapeRegion(0, shape)); }, std::move(script));
    }
    screentest::PatternScreens screens_;
};

}  // namespace

TEST_F(ShapeWindows, FixedRectangleLiesByItsAnchorAndIsCutFromTheFrozenScreenEvenOffTheScreen) {
    const int w = 101, h = 61;
    struct Case { WORD key; POINT click, corner; };  // no key: the default anchor
    std::vector<Case> cases;
    for (size_t m = 0; m < monitors_.size(); ++m) cases.push_back({0, On(m, 300, 200), On(m, 300, 200)});
    const POINT p = On(1, 400, 300);
    cases.insert(cases.end(), {{'R', p, {p.x - w, p.y}}, {'B', p, {p.x - w, p.y - h}}, {'L', p, {p.x, p.y - h}}, {'C', p, {p.x - 50, p.y - 30}}});
    // Hanging off the shorter monitor's bottom-right corner: over the gap below it, onto the next monitor or
    // off the screen; full size, transparent where there is no screen.
    const RECT shorter = *std::min_element(monitors_.begin(), monitors_.end(), [](const RECT& a, const RECT& b) {
        return a.bottom - a.top < b.bottom - b.top;
    });
    cases.push_back({0, POINT{shorter.right - 40, shorter.bottom - 20}, POINT{shorter.right - 40, shorter.bottom - 20}});
    int ignored = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << int(k.key) << " at " << k.click.x << ", " << k.click.y);
        const int second = ignored++ * 7919 - 5;  // never read
        UniqueDib dib = Run([&] { return UniqueDib(CPictavoUtil().CaptureFixedRegion(0, second, w, h)); }, [&] {
            if (!WaitForOverlay()) return;
            MoveTo(k.click, 100);
            if (k.key) Key(k.key);
            Click();
        });
        ASSERT_TRUE(dib && dib->biWidth == w && dib->biHeight == h);
        EXPECT_TRUE(CutMatches(dib.get(), k.corner, Frozen));
    }

    // The rectangle handed back is relative to the screen-bounds origin; C halves an odd width toward zero.
    const POINT at{500 + Origin().x, 300 + Origin().y};
    const CRect placed = Run([&] { return CPictavoUtil::TokenFixedSizeRectanguluarRegion(w, h); },
                             [&] { if (WaitForOverlay()) MoveTo(at, 100), Key('C'), Key('C'), Click(); });
    EXPECT_EQ(placed, CRect(450, 270, 551, 331));
    // A size beyond the screen is cut to it.
    const Gdiplus::Rect bounds = ScreenGeometry::VirtualScreenBounds();
    const CRect whole = Run([&] { return CPictavoUtil::TokenFixedSizeRectanguluarRegion(100000, 100000); },
                            [&] { if (WaitForOverlay()) ClickAt({On(0, 10, 10)}); });
    EXPECT_TRUE(whole.Width() == bounds.Width && whole.Height() == bounds.Height) << whole.Width() << " x " << whole.Height();
}

// Empty sizes are refused in the boundary table.
TEST_F(ShapeWindows, FixedRectangleGivesNothingForEnterBeforeItsFirstTick) {
    EnterAtOnce window(false, 80, 80);
    EXPECT_EQ(Run([&] { return window.RunForm(); }, [] {}), 1);
    EXPECT_TRUE(window.ShapePath().GetPointCount() == 0 && !UniqueDib(window.GetResult()));
}

TEST_F(ShapeWindows, PolygonClosesWithThreeCornersAndIsCutAlongThemAcrossMonitors) {
    const POINT a = On(0, 150, 150), b = On(1, 260, 520), c = On(0, 420, 380);
    // Click, rubber band, click, rubber band, double click: the double click's first press adds the last corner.
    EXPECT_TRUE(CutAlong(Shape(5, [&] { if (WaitForOverlay()) ClickAt({a, b, c}), Click(); }).get(), Outline{{a, b, c}}));
    // A double click first leaves two equal points: no image. Enter first only presses, Enter again closes.
    EXPECT_EQ(Shape(5, [&] { if (WaitForOverlay()) ClickAt({a}), Click(); }), nullptr);
    EXPECT_EQ(Shape(5, [&] { if (WaitForOverlay()) MoveTo(a, 100), Key(VK_RETURN), Key(VK_RETURN); }), nullptr);
    // A right click clears the corners so far; Enter closes the new outline.
    UniqueDib again = Shape(5, [&] {
        if (!WaitForOverlay()) return;
        ClickAt({On(0, 600, 100), On(0, 640, 190)});
        Click(false);
        ClickAt({a, b, c});
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
    const POINT centre = On(0, 400, 330), corner = On(0, 480, 520);
    std::vector<POINT> trail;
    for (double i = 0, step = 3.14159265358979 / 18; i <= 36; ++i)
        trail.push_back(POINT{centre.x + LONG(std::lround(150 * std::cos(i * step))), centre.y + LONG(std::lround(90 * std::sin(i * step)))});
    RecordingFreehand window(false);
    ASSERT_EQ(Run([&] { return window.RunForm(); }, [&] {
        if (!WaitForOverlay()) return;
        MoveTo(trail[0], 100);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        for (const POINT& p : trail) MoveTo(p, 15);
        MouseButton(MOUSEEVENTF_LEFTUP);
        MoveTo(corner, 150);
        Click();
        ::Sleep(100);
        Key(VK_RETURN);
    }), 1);
    // The press lays two points, then every reported position follows; on the way to the corner the last one
    // followed the cursor, and the click added the corner.
    const CArray<CPoint, CPoint>& points = window.Points();
    const std::vector<CPoint>& reported = window.reported;
    const CPoint start(ToClient(trail[0])), end(ToClient(corner));
    const INT_PTR last = points.GetUpperBound();
    ASSERT_TRUE(reported.size() >= trail.size() / 2 && last == INT_PTR(reported.size()) + 2) << reported.size() << " reported, " << last + 1 << " points";
    EXPECT_TRUE(points[0] == start && points[1] == start && points[last] == end && points[last - 1] == end);
    for (size_t i = 0; i + 1 < reported.size(); ++i) EXPECT_EQ(points[INT_PTR(i) + 2], reported[i]) << i;
    Outline outline;
    for (INT_PTR i = 0; i <= last; ++i) outline.points.push_back(POINT{points[i].x + Origin().x, points[i].y + Origin().y});
    EXPECT_TRUE(CutAlong(UniqueDib(window.GetResult()).get(), outline));
}

TEST_F(ShapeWindows, CursorOnlyWithFlagAndSettingMAndZAsOnTheLiveOverlay) {
    qel::UniqueHicon cursor = screentest::MakeTestCursor();
    for (const auto& wnd : screens_.windows) ::SetClassLongPtrW(wnd.get(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor.get()));
    const POINT p = On(0, 300, 300), image{p.x - screentest::kHotspotX, p.y - screentest::kHotspotY}, c = ToClient(image);
    ::SetCursorPos(p.x - 1, p.y);
    MoveMouse(p.x, p.y);
    qeltest::PumpFor(200);
    CaptureSettings& settings = CaptureSettings::Get();
    for (const auto& [flag, setting] : {std::pair{false, true}, std::pair{true, false}, std::pair{true, true}}) {
        SCOPED_TRACE(testing::Message() << "flag " << flag << ", setting " << setting);
        settings.CaptureMousePointer = setting;
        CCatchFixedRgnScrrenWnd unshown(flag, 60, 60);
        unshown.ShapePath().AddRectangle(Gdiplus::Rect(c.x - 10, c.y - 10, 60, 60));
        EXPECT_TRUE(CutMatches(UniqueDib(unshown.GetResult()).get(), POINT{image.x - 10, image.y - 10}, [&](int sx, int sy) {
            return flag && setting && screentest::UnderTestCursor(image, sx, sy) ? screentest::kCursorColor : Frozen(sx, sy);
        }));
    }
    settings.CaptureMousePointer = true;

    // M flips only the flag; Z switches the magnifier off for this and the next shape window.
    CCatchFixedRgnScrrenWnd window(true, 50, 50);
    ASSERT_TRUE(window.ZoomAnimator() && window.GetCapture()->IsCursorVisible());
    Run([&] { return window.RunForm(); }, [] { if (WaitForOverlay()) Key('M'), Key('Z'), Key(VK_ESCAPE); });
    CCatchPolygonScreenWnd next(false);
    EXPECT_TRUE(!window.GetCapture()->IsCursorVisible() && !settings.ZoomerEnabled && next.ZoomAnimator() == nullptr);
}

// What the shape windows show, read back from the screen while they are up; saved for a person to look at.
TEST_F(ShapeWindows, WindowsShowTheFrozenScreenTheTranslucentSelectionItsReadoutAndTheMagnifier) {
    const RECT mon = monitors_.back();
    const POINT p{mon.left + 300, mon.top + 250}, b{p.x + 300, p.y + 60}, c{p.x + 120, p.y + 260};
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
    Shape(5, [&] {
        if (!WaitForOverlay()) return;
        ClickAt({p, b});
        MoveTo(c, 900);
        polygonShot = CopyScreen(mon);
        SaveScreenPng(mon, L"shape-polygon.png");
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
    // The magnifier where its animator put it, the cursor's pixel at its centre; the polygon's fill inside its triangle.
    ASSERT_TRUE(fixed.ZoomAnimator());
    const Gdiplus::Rect z = fixed.ZoomAnimator()->FinalTarget();
    EXPECT_EQ(fixedShot.At(p.x + z.X + z.Width / 2, p.y + z.Y + z.Height / 2), FrozenRgb(p.x, p.y));
    const POINT inside{(p.x + b.x + c.x) / 3, (p.y + b.y + c.y) / 3};
    EXPECT_TRUE(Near(polygonShot.At(inside.x, inside.y), Blend(FrozenRgb(inside.x, inside.y), 0x3CB371, 0x32), 2));
}
