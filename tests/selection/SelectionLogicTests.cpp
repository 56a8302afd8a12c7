// Pure rules of the selection: axis lock, easing, animator legs, remote-session frame counts, text measuring,
// the magnifier's placement on monitors anywhere in the virtual screen, the labels' placement and wording,
// and what a drag tick repaints, checked against the real paint.
#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <string>
#include <vector>

#include "selection/Animators.h"
#include "selection/AxisLock.h"
#include "selection/OverlayLayout.h"
// The native build (native/) runs the tests that need neither GDI+ nor the system.
#ifdef _WIN32
#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "selection/OverlayHelpers.h"
#include "selection/OverlayPaint.h"
#endif

using namespace OverlayLayout;

namespace {

const Gdiplus::Rect kNoSelection(0, 0, 0, 0);
const Gdiplus::Rect kFreshTarget(INT_MAX, INT_MAX, 0, 0);

::testing::AssertionResult SameRect(const Gdiplus::Rect& got, const Gdiplus::Rect& want) {
    if (got.Equals(want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << got.X << ", " << got.Y << ", " << got.Width << ", " << got.Height
                                         << " instead of " << want.X << ", " << want.Y << ", " << want.Width << ", " << want.Height;
}

}  // namespace

// Values worked out by hand at t = 1/4, 1/2, 3/4; the sines are 1 - cos(pi/8), sin(pi/8), (1 - sqrt(1/2)) / 2...
TEST(Easing, EveryTypeAndModeGivesItsCurveValue) {
    using T = EasingType;
    using M = EasingMode;
    const double c8 = 0.9238795325112867, s8 = 0.3826834323650898, r2 = 0.7071067811865476;  // cos, sin pi/8; sqrt 1/2
    const struct { T type; double f[3][3]; } table[] = {  // ease in, out, in-out
        {T::Step, {{0, 1, 1}, {0, 1, 1}, {0, 1, 1}}},
        {T::Linear, {{0.25, 0.5, 0.75}, {0.25, 0.5, 0.75}, {0.25, 0.5, 0.75}}},
        {T::Sine, {{1 - c8, 1 - r2, 1 - s8}, {s8, r2, c8}, {(1 - r2) / 2, 0.5, (1 + r2) / 2}}},
        {T::Quadratic, {{0.0625, 0.25, 0.5625}, {0.4375, 0.75, 0.9375}, {0.125, 0.5, 0.875}}},
        {T::Cubic, {{0.015625, 0.125, 0.421875}, {0.578125, 0.875, 0.984375}, {0.0625, 0.5, 0.9375}}},
        {T::Quartic, {{0.00390625, 0.0625, 0.31640625}, {0.68359375, 0.9375, 0.99609375}, {0.03125, 0.5, 0.96875}}},
        {T::Quintic, {{0.0009765625, 0.03125, 0.2373046875}, {0.7626953125, 0.96875, 0.9990234375}, {0.015625, 0.5, 0.984375}}},
    };
    for (const auto& row : table)
        for (const M mode : {M::EaseIn, M::EaseOut, M::EaseInOut}) {
            SCOPED_TRACE(testing::Message() << "type " << int(row.type) << ", mode " << int(mode));
            EXPECT_NEAR(Easing::Ease(0.0, row.type, mode), 0.0, 1e-15);
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(Easing::Ease(0.25 * (i + 1), row.type, mode), row.f[int(mode)][i], 1e-14) << i;
            EXPECT_NEAR(Easing::Ease(1.0, row.type, mode), 1.0, 1e-15);
        }
    // Unknown types give 0; unknown modes ease in.
    for (int raw : {-1, 7}) EXPECT_EQ(Easing::Ease(0.75, static_cast<T>(raw), M::EaseOut), 0.0);
    EXPECT_EQ(Easing::Ease(0.75, T::Cubic, static_cast<M>(3)), 0.421875);
}

TEST(AxisLock, ShiftHoldsTheAxisThatDidNotMoveFirst) {
    const struct { POINT first, second; AxisLock lock; POINT held; } cases[] = {
        {{30, 40}, {60, 90}, AxisLock::HorizontalOnly, {60, 40}},  // both change: x is tested first
        {{0, 40}, {60, 90}, AxisLock::VerticalOnly, {0, 90}}};     // only y changes
    for (const auto& c : cases) {
        AxisLock lock = AxisLock::Pending;
        POINT p = ApplyAxisLock(POINT{0, 0}, POINT{0, 0}, lock);  // no move: still pending
        EXPECT_EQ(lock, AxisLock::Pending);
        p = ApplyAxisLock(c.first, p, lock);  // the move that picks the axis is kept whole
        EXPECT_TRUE(lock == c.lock && p.x == c.first.x && p.y == c.first.y) << int(lock);
        p = ApplyAxisLock(c.second, p, lock);
        EXPECT_TRUE(p.x == c.held.x && p.y == c.held.y) << p.x << ", " << p.y;
    }
}

TEST(RectangleAnimator, RunsItsLegsInTurnAndRetargetsFromWhereItStands) {
    // Two frames of the quintic ease-out: f(1/2) = 31/32; 96.875 and -96.875 truncate toward zero.
    RectangleAnimator a(Gdiplus::Rect(0, 0, 100, 10), Gdiplus::Rect(100, -100, 0, 10), 2);
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(96, -96, 4, 10)));
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(100, -100, 0, 10)));
    EXPECT_TRUE(!a.HasNext() && SameRect(a.Next(), Gdiplus::Rect(100, -100, 0, 10)) && a.CurrentFrame() == 2);
    // Queued legs run with their own curve; switching starts the leg at frame 0, where it stands.
    a.QueueLeg(Gdiplus::Rect(200, 0, 40, 20), 4, EasingType::Linear, EasingMode::EaseIn);
    a.QueueLeg(Gdiplus::Rect(0, 0, 0, 0), 2, EasingType::Sine, EasingMode::EaseOut);
    const Gdiplus::Rect expected[] = {{100, -100, 0, 10}, {125, -75, 10, 12}, {150, -50, 20, 15}, {175, -25, 30, 17},
                                      {200, 0, 40, 20},   {200, 0, 40, 20},   {59, 0, 12, 6},      {0, 0, 0, 0}};
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_TRUE(a.HasNext() && SameRect(a.Next(), expected[i])) << i;
        EXPECT_TRUE(i > 0 || (a.Frames() == 4 && a.CurrentFrame() == 0 && a.GetEasingType() == EasingType::Linear));
    }
    EXPECT_TRUE(!a.HasNext() && !a.NextFrame() && a.GetEasingMode() == EasingMode::EaseOut);

    // One quarter of the way (f = 0.7626953125), then toward a new target over two frames; the queued
    // leg is dropped.
    RectangleAnimator b(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(1000, 500, 200, 100), 4);
    b.QueueLeg(Gdiplus::Rect(7, 7, 7, 7), 3, EasingType::Linear, EasingMode::EaseIn);
    EXPECT_TRUE(SameRect(b.Next(), Gdiplus::Rect(762, 381, 152, 76)));
    b.Retarget(Gdiplus::Rect(-50, -60, 10, 20), 2);
    EXPECT_TRUE(SameRect(b.Next(), Gdiplus::Rect(-24, -46, 15, 22)));  // -812, -441, -142, -56 times 31/32
    EXPECT_TRUE(SameRect(b.Next(), Gdiplus::Rect(-50, -60, 10, 20)) && !b.HasNext());
}

#ifdef _WIN32
TEST(RemoteSession, CutsAnimationsToOneFrameUnlessDisabled) {
    CaptureSettings& settings = CaptureSettings::Get();
    const CaptureSettings saved = settings;
    const bool systemRemote = ::GetSystemMetrics(SM_REMOTESESSION) != 0;
    settings.DisableRemoteOptimization = settings.ForceRemoteOptimization = false;
    EXPECT_TRUE(IsRemoteSession() == systemRemote && AnimationFrames(11) == (systemRemote ? 1 : 11));
    settings.ForceRemoteOptimization = true;
    EXPECT_TRUE(IsRemoteSession() && AnimationFrames(11) == 1 && AnimationFrames(16) == 1);
    // One frame: the last value at once.
    RectangleAnimator jump(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(-7, 900, 30, 40), AnimationFrames(11));
    EXPECT_TRUE(SameRect(jump.Next(), Gdiplus::Rect(-7, 900, 30, 40)) && !jump.HasNext());
    settings.DisableRemoteOptimization = true;  // wins over forcing, and over the system
    EXPECT_TRUE(!IsRemoteSession() && AnimationFrames(11) == 11 && AnimationFrames(16) == 16);
    settings = saved;
}

#endif

// The corners of a monitor that does not start at the overlay's origin (the second monitor of a
// side-by-side layout), and of one that does; then a target kept and a selection avoided.
TEST(ZoomerPlacement, TakesTheFirstCornerThatStaysOnTheMonitorKeepsATargetThatFitsAndAvoidsTheSelection) {
    // A fifth of the shorter side, down to a multiple of four.
    EXPECT_TRUE(ZoomerSide(Gdiplus::Rect(0, 0, 1366, 768)) == 152 && ZoomerSide(Gdiplus::Rect(0, 0, 10, 10)) == 0);
    for (const Gdiplus::Rect monitor : {Gdiplus::Rect(1280, 0, 1920, 1080), Gdiplus::Rect(0, 0, 1280, 1024)}) {
        const int s = ZoomerSide(monitor), back = -20 - s, right = monitor.Width - 1, bottom = monitor.Height - 1;
        const struct { int x, y, ox, oy; } cases[] = {  // cursor from the monitor's corner, expected offset
            {0, 0, 20, 20}, {right, 0, back, 20}, {right, bottom, back, back}, {0, bottom, 20, back},
            {monitor.Width - 20 - s, 9, 20, 20}, {monitor.Width - 19 - s, 9, back, 20}};  // just fits, just does not
        for (const auto& c : cases) {
            const ZoomerPlacement p = PlaceZoomer(monitor, POINT{monitor.X + c.x, monitor.Y + c.y}, kFreshTarget, kNoSelection);
            EXPECT_TRUE(!p.keep && SameRect(p.target, Gdiplus::Rect(c.ox, c.oy, s, s))) << c.x << ", " << c.y << " on " << monitor.X;
        }
    }
    const Gdiplus::Rect monitor(0, 0, 1920, 1080), small(0, 0, 60, 60), edge(INT_MAX - 1000, INT_MAX - 1000, 1000, 1000);
    const int s = ZoomerSide(monitor);
    const POINT pos{800, 500};
    const Gdiplus::Rect aboveLeft(-20 - s, -20 - s, s, s), first(20, 20, s, s);
    const struct { Gdiplus::Rect monitor; POINT pos; Gdiplus::Rect target, selection; bool keep; Gdiplus::Rect want; } cases[] = {
        {monitor, pos, aboveLeft, kNoSelection, true, aboveLeft},  // still fits: stays put, even if another corner comes first
        {monitor, pos, aboveLeft, {pos.x - 300, pos.y - 300, 300, 300}, false, first},  // under a selection: first corner clear of it
        {monitor, pos, kFreshTarget, {pos.x + 20 + s, pos.y, 100, 100}, false, first},  // touching is not overlapping
        {monitor, pos, kFreshTarget, {pos.x + 19 + s, pos.y, 100, 100}, false, {-20 - s, 20, s, s}},
        {monitor, pos, aboveLeft, monitor, true, aboveLeft},  // every corner covered: overlap is allowed again
        {monitor, pos, kFreshTarget, monitor, false, first},
        {small, {30, 30}, kFreshTarget, kNoSelection, false, {0, 0, 12, 12}},  // no corner fits: at the cursor
        // Near the largest coordinates the start target must not wrap into the monitor.
        {edge, {INT_MAX - 500, INT_MAX - 500}, kFreshTarget, kNoSelection, false, {20, 20, 200, 200}}};
    for (const auto& c : cases) {
        const ZoomerPlacement p = PlaceZoomer(c.monitor, c.pos, c.target, c.selection);
        EXPECT_TRUE(p.keep == c.keep && SameRect(p.target, c.want)) << &c - cases;
    }
}

TEST(Labels, ShownOnlyWhenTheSelectionExceedsTheTextPlusSixSizedAndWordedForTheMode) {
    const Gdiplus::Size text(20, 12);
    EXPECT_FALSE(WidthLabel(Gdiplus::Rect(100, 200, 26, 50), text).shown);
    // a = 11, x0 = 100 + 13 - 11 = 102: the line runs from the left edge to x0 and from 124 to the right edge.
    const DimensionLabel w = WidthLabel(Gdiplus::Rect(100, 200, 27, 50), text);
    EXPECT_TRUE(w.shown && SameRect(w.box, Gdiplus::Rect(105, 185, 17, 12)) && w.text.Equals(Gdiplus::Point(105, 185)));
    EXPECT_TRUE(w.line[0].from.Equals({100, 192}) && w.line[0].to.Equals({102, 192}) && w.line[1].from.Equals({124, 192}) &&
                w.line[1].to.Equals({127, 192}) && w.ticks[0].from.Equals({100, 189}) && w.ticks[1].to.Equals({127, 195}));
    EXPECT_FALSE(HeightLabel(Gdiplus::Rect(100, 200, 50, 18), text).shown);
    // b = 7, y0 = 200 + 9 - 7 = 202, x1 = 100 - 20 + 1 = 81, line at x = 92.
    const DimensionLabel h = HeightLabel(Gdiplus::Rect(100, 200, 50, 19), text);
    EXPECT_TRUE(h.shown && SameRect(h.box, Gdiplus::Rect(81, 204, 17, 11)) && h.text.Equals(Gdiplus::Point(81, 204)));
    EXPECT_TRUE(h.line[0].from.Equals({92, 200}) && h.line[0].to.Equals({92, 202}) && h.line[1].from.Equals({92, 216}) &&
                h.line[1].to.Equals({92, 219}) && h.ticks[0].from.Equals({89, 200}) && h.ticks[1].to.Equals({95, 219}));
    // The coordinate label sits 5 pixels right of and below the cursor, 3 narrower than its text.
    EXPECT_TRUE(SameRect(CoordinateLabelBox(POINT{-40, 7}, text), Gdiplus::Rect(-35, 12, 17, 12)));

    // Read-out: 12 x min(h / 2mh, w / 2mw) points with mw = 60, mh = 15, nothing below 4, at most 20.
    const struct { int w, h; float mw, points; } readouts[] = {
        {40, 1000, 60, 4}, {39, 1000, 60, 0}, {1000, 10, 60, 4}, {1000, 9, 60, 0},
        {100, 45, 60, 10}, {1000, 30, 60, 12}, {3000, 3000, 60, 20},  // width 10 / height 18; height 12 / width 100
        {3000, 3000, 0, 0}};                                        // unmeasured text: no division
    for (const auto& r : readouts)
        EXPECT_FLOAT_EQ(ReadoutPointSize(Gdiplus::Rect(0, 0, r.w, r.h), r.mw, r.mw / 4), r.points) << r.w << " x " << r.h;
    // Regions count both edges, windows (mode 4 only) show their size.
    const Gdiplus::Rect c(5, 6, 199, 99);
    const SizeTexts region = SelectionTexts(c, LabelEdge(1), ReadoutEdge(11));
    EXPECT_TRUE(region.width == L"200" && region.height == L"100" && region.readout == L"200 x 100");
    const SizeTexts window = SelectionTexts(c, LabelEdge(4), ReadoutEdge(4));
    EXPECT_TRUE(window.width == L"199" && window.height == L"99" && window.readout == L"199 x 99");
    EXPECT_TRUE(SelectionTexts(c, LabelEdge(5), ReadoutEdge(5)).width == L"200");
    EXPECT_EQ(CoordinateText(POINT{-3, 1079}), L"-3 x 1079");
    const HWND wnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1A2B0));
    EXPECT_EQ(WindowLabelText(wnd, L"Notes", L"C:\\x\\y.exe"), L"#1A2B0 - Notes");
    EXPECT_EQ(WindowLabelText(wnd, L"", L"C:\\Program Files\\app.v2.exe"), L"#1A2B0 - app.v2");
    EXPECT_EQ(WindowLabelText(wnd, L"", L"tool"), L"#1A2B0 - tool");
}

#ifdef _WIN32
namespace {

// A top-down 32-bit picture with a DC, as the overlay's buffer is, over a background with detail.
class Picture {
public:
    Picture(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.reset(::CreateCompatibleDC(nullptr));
        ::SelectObject(dc_.get(), bitmap_.get());
        bits_ = static_cast<uint32_t*>(bits);
        Restore(RECT{0, 0, width, height});
    }
    HDC dc() const { return dc_.get(); }
    OutlineRaster::Target Pixels() const { return {bits_, width_, RECT{0, 0, width_, height_}}; }
    uint32_t At(int x, int y) const { return bits_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF; }
    // The background put back over r, as the frozen screen is.
    void Restore(const RECT& r) {
        ::GdiFlush();
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                bits_[static_cast<size_t>(y) * width_ + x] = 0xFF000000u | ((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x ^ y) & 0xFF);
    }
    // A selection drawn as the capture form's paint draws it (region mode), where repainted (all without it);
    // with gdiplus, all of it through GDI+ rather than partly straight into the pixels.
    SelectionExtent Draw(int shape, const Gdiplus::Rect& r, const std::wstring& windowText,
                         const std::vector<RECT>* repainted = nullptr, bool gdiplus = false) {
        Gdiplus::Graphics graphics(dc());
        const SelectionInk ink;
        const OutlineRaster::Target pixels = Pixels();
        DrawSelectionShape(graphics, shape, r, ink, gdiplus ? nullptr : &pixels, repainted);
        const SelectionLabels labels =
            LayOutSelectionLabels(graphics, r, r, SelectionTexts(r, LabelEdge(1), ReadoutEdge(1)), windowText);
        DrawSelectionLabels(graphics, labels, repainted, gdiplus ? nullptr : &pixels);
        graphics.Flush(Gdiplus::FlushIntentionSync);
        ::GdiFlush();
        return SelectionExtentOf(shape, r, labels);
    }

    // Pixels that differ from other's.
    int Differences(const Picture& other) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) != other.At(x, y);
        return n;
    }

private:
    int width_, height_;
    qel::UniqueHbitmap bitmap_;
    qel::UniqueHdc dc_;
    uint32_t* bits_ = nullptr;
};

}  // namespace

// A drag tick repaints only what changes: a picture of the old selection with the returned rectangles
// put back and the new selection drawn there (clipped, pieces that touch nothing skipped, as a paint
// does) is the new selection's picture, pixel for pixel. For the rectangle that is much less than the
// box of both.
TEST(SelectionChange, RepaintingTheReturnedRectanglesGivesTheNewSelectionEverywhere) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    constexpr int kWidth = 900, kHeight = 700;
    const POINT anchor{300, 260};
    const std::wstring notes = L"#1A2B0 - Notes", other = L"#1A2B0 - Other window";
    const struct { int shape; POINT from, to; std::wstring fromText, toText; } cases[] = {
        {1, {500, 400}, {508, 403}, L"", L""},  // grows a little
        {1, {500, 400}, {470, 385}, L"", L""},  // shrinks
        {1, {500, 400}, {530, 400}, L"", L""},  // wider only: the height label stays
        {1, {500, 400}, {200, 150}, L"", L""},  // across the anchor
        {1, {305, 262}, {340, 285}, L"", L""},  // from tiny, the labels appear
        {1, {500, 400}, {500, 400}, L"", L""},  // unchanged
        {1, {700, 600}, {702, 601}, notes, notes},
        {1, {700, 600}, {700, 600}, notes, other},  // another window under the cursor
        {1, {700, 600}, {710, 605}, L"", notes},
        {2, {500, 400}, {520, 410}, L"", L""},
        {3, {500, 400}, {480, 430}, L"", L""},
        {0, {500, 400}, {520, 410}, L"", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape << " from " << c.from.x << ", " << c.from.y << " to " << c.to.x
                                        << ", " << c.to.y);
        const Gdiplus::Rect a = NormalisedRectangle(anchor, c.from), b = NormalisedRectangle(anchor, c.to);
        Picture repainted(kWidth, kHeight), wanted(kWidth, kHeight);
        const SelectionExtent old = repainted.Draw(c.shape, a, c.fromText);
        const SelectionExtent now = wanted.Draw(c.shape, b, c.toText);
        const std::vector<Gdiplus::Rect> parts = SelectionChange(old, now);

        // The update region the window would get, as the rectangles a paint reads from it.
        qel::UniqueHrgn region(::CreateRectRgn(0, 0, 0, 0));
        for (const Gdiplus::Rect& p : parts) {
            qel::UniqueHrgn part(::CreateRectRgn(p.X, p.Y, p.X + p.Width, p.Y + p.Height));
            ::CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
        }
        std::vector<RECT> rects;
        if (const DWORD size = ::GetRegionData(region.get(), 0, nullptr)) {
            std::vector<BYTE> data(size);
            auto* header = reinterpret_cast<RGNDATA*>(data.data());
            ASSERT_EQ(::GetRegionData(region.get(), size, header), size);
            const RECT* first = reinterpret_cast<const RECT*>(header->Buffer);
            rects.assign(first, first + header->rdh.nCount);
        }
        for (const RECT& r : rects) repainted.Restore(r);
        ::SelectClipRgn(repainted.dc(), region.get());
        repainted.Draw(c.shape, b, c.toText, &rects);
        ::SelectClipRgn(repainted.dc(), nullptr);

        int wrong = 0;
        POINT first{-1, -1};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (repainted.At(x, y) != wanted.At(x, y) && !wrong++) first = POINT{x, y};
        EXPECT_EQ(wrong, 0) << "first at " << first.x << ", " << first.y;

        if (c.from.x == c.to.x && c.from.y == c.to.y && c.fromText == c.toText) {
            EXPECT_TRUE(parts.empty());
        }
    }

    // A large selection grown by a few pixels: the strips along two edges, the labels and the read-out.
    Picture picture(kWidth, kHeight);
    const Gdiplus::Rect a(100, 80, 700, 520), b(100, 80, 708, 523);
    const SelectionExtent old = picture.Draw(1, a, L""), now = picture.Draw(1, b, L"");
    long long area = 0;
    for (const Gdiplus::Rect& r : SelectionChange(old, now)) area += 1LL * r.Width * r.Height;
    EXPECT_LT(area * 4, 1LL * b.Width * b.Height);
}

// What the paint writes straight into its pixels is what GDI+ draws there: the rectangle's translucent fill
// and outline and the labels' lines over a background with detail, and the opaque magnifier's clip, ring,
// bars and outlines. The magnifier's source is one colour: GDI+ itself samples in floating point and may
// put a boundary between magnified pixels a column off.
TEST(DirectDrawing, GivesThePixelsGdiPlusDraws) {
    ASSERT_TRUE(qel::EnsureGdiplus());
    for (const Gdiplus::Rect& r : {Gdiplus::Rect(120, 90, 301, 201), Gdiplus::Rect(50, 60, 1, 1), Gdiplus::Rect(50, 60, 0, 40),
                                   Gdiplus::Rect(200, 100, 40, 0)}) {
        Picture direct(600, 400), gdiplus(600, 400);
        direct.Draw(1, r, L"");
        gdiplus.Draw(1, r, L"", nullptr, true);
        EXPECT_EQ(direct.Differences(gdiplus), 0) << r.X << ", " << r.Y << ", " << r.Width << " x " << r.Height;
    }
    constexpr int kSide = 600;
    std::vector<uint32_t> flat(size_t(kSide) * kSide, 0xFF3C6E9Bu);
    Gdiplus::Bitmap source(kSide, kSide, kSide * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(flat.data()));
    for (const int side : {50, 64, 100, 137, 216})
        for (const POINT at : {POINT{3, 5}, POINT{101, 333}, POINT{377, 250}}) {
            Picture direct(kSide, kSide), gdiplus(kSide, kSide);
            const Gdiplus::Rect destination(at.x, at.y, side, side), from(200, 200, 25, 25);
            const OutlineRaster::Target pixels = direct.Pixels();
            {
                Gdiplus::Graphics graphics(direct.dc());
                DrawZoomer(graphics, &source, from, destination, false, 1.0f, &pixels, nullptr);
            }
            {
                Gdiplus::Graphics graphics(gdiplus.dc());
                DrawZoomer(graphics, &source, from, destination, false, 1.0f);
            }
            ::GdiFlush();
            EXPECT_EQ(direct.Differences(gdiplus), 0) << side << " at " << at.x << ", " << at.y;
        }
}
#endif
