// Easing curves, rectangle animators and the axis lock: pure arithmetic, no windows.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "selection/Animators.h"
#include "selection/AxisLock.h"

namespace {

constexpr EasingType kTypes[] = {EasingType::Step,  EasingType::Linear,  EasingType::Sine,   EasingType::Quadratic,
                                 EasingType::Cubic, EasingType::Quartic, EasingType::Quintic};
constexpr EasingMode kModes[] = {EasingMode::EaseIn, EasingMode::EaseOut, EasingMode::EaseInOut};

struct Expected {
    EasingType type;
    double in, out, inOut;
};

// Values at t = 0.25, worked out by hand from the curve definitions.
const Expected kQuarter[] = {
    {EasingType::Step, 0.0, 0.0, 0.0},
    {EasingType::Linear, 0.25, 0.25, 0.25},
    {EasingType::Sine, 1.0 - 0.92387953251128674, 0.38268343236508978, (1.0 - 0.70710678118654752) / 2},
    {EasingType::Quadratic, 0.0625, 0.4375, 0.125},
    {EasingType::Cubic, 0.015625, 0.578125, 0.0625},
    {EasingType::Quartic, 0.00390625, 0.68359375, 0.03125},
    {EasingType::Quintic, 0.0009765625, 0.7626953125, 0.015625},
};

bool SameRect(const Gdiplus::Rect& a, const Gdiplus::Rect& b) {
    return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height;
}

}  // namespace

TEST(Easing, EveryTypeAndModeAtAQuarter) {
    for (const Expected& e : kQuarter) {
        SCOPED_TRACE(static_cast<int>(e.type));
        EXPECT_NEAR(Easing::EaseIn(0.25, e.type), e.in, 1e-12);
        EXPECT_NEAR(Easing::EaseOut(0.25, e.type), e.out, 1e-12);
        EXPECT_NEAR(Easing::EaseInOut(0.25, e.type), e.inOut, 1e-12);
        EXPECT_EQ(Easing::Ease(0.25, e.type, EasingMode::EaseIn), Easing::EaseIn(0.25, e.type));
        EXPECT_EQ(Easing::Ease(0.25, e.type, EasingMode::EaseOut), Easing::EaseOut(0.25, e.type));
        EXPECT_EQ(Easing::Ease(0.25, e.type, EasingMode::EaseInOut), Easing::EaseInOut(0.25, e.type));
    }
}

TEST(Easing, EveryCurveRunsFromZeroToOneWithoutGoingBack) {
    for (EasingType type : kTypes) {
        for (EasingMode mode : kModes) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(type) << "/" << static_cast<int>(mode));
            EXPECT_NEAR(Easing::Ease(0.0, type, mode), 0.0, 1e-15);
            EXPECT_NEAR(Easing::Ease(1.0, type, mode), 1.0, 1e-15);
            double previous = 0.0;
            for (int i = 0; i <= 64; ++i) {
                const double f = Easing::Ease(i / 64.0, type, mode);
                EXPECT_GE(f, previous - 1e-15) << i;
                EXPECT_LE(f, 1.0 + 1e-15) << i;
                previous = f;
            }
        }
    }
}

TEST(Easing, StepJumpsAtOneHalfUnknownTypesGiveZeroUnknownModesEaseIn) {
    for (EasingMode mode : kModes) {
        EXPECT_EQ(Easing::Ease(0.4999999, EasingType::Step, mode), 0.0);
        EXPECT_EQ(Easing::Ease(0.5, EasingType::Step, mode), 1.0);
    }
    for (int raw : {-1, 7, 1000}) {
        const auto type = static_cast<EasingType>(raw);
        EXPECT_EQ(Easing::EaseIn(0.7, type), 0.0);
        EXPECT_EQ(Easing::EaseOut(0.7, type), 0.0);
        EXPECT_EQ(Easing::EaseInOut(0.7, type), 0.0);
    }
    for (int raw : {-1, 3, 42}) {
        EXPECT_EQ(Easing::Ease(0.25, EasingType::Cubic, static_cast<EasingMode>(raw)), 0.015625);
    }
}

TEST(RectangleAnimator, OneFrameLandsAtOnceAndThenStays) {
    const Gdiplus::Rect last(-300, 700, 1920, 1080);
    RectangleAnimator a(Gdiplus::Rect(5, 5, 0, 0), last, 1);
    EXPECT_TRUE(SameRect(a.Next(), last));
    EXPECT_FALSE(a.HasNext());
    EXPECT_TRUE(SameRect(a.Next(), last));
    EXPECT_EQ(a.CurrentFrame(), 1);
    EXPECT_FALSE(a.NextFrame());
}

TEST(RectangleAnimator, LegFollowsTheCurveTruncatingEachCoordinate) {
    // Two frames: f(0.5) = 1 - 0.5^5 = 0.96875.
    RectangleAnimator a(Gdiplus::Rect(0, 0, 100, 10), Gdiplus::Rect(100, -100, 0, 10), 2);
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(96, -96, 4, 10)));  // 96.875 and -96.875 toward zero
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(100, -100, 0, 10)));

    // Eleven frames: every frame closer, the first step the largest, the last frame exact.
    RectangleAnimator b(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(1100, 0, 0, 0), 11);
    int previous = 0, previousStep = 1100, frames = 0;
    while (b.HasNext()) {
        const int x = b.Next().X;
        ++frames;
        EXPECT_GE(x, previous);
        EXPECT_LE(x - previous, previousStep + 1);  // truncation may shift a pixel
        previousStep = x - previous;
        previous = x;
    }
    EXPECT_EQ(frames, 11);
    EXPECT_EQ(previous, 1100);
    EXPECT_GT(b.Current().X, 0);
}

TEST(RectangleAnimator, RetargetRunsFromWhereItStandsAndDropsQueuedLegs) {
    RectangleAnimator a(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(1000, 500, 200, 100), 11);
    a.QueueLeg(Gdiplus::Rect(7, 7, 7, 7), 4, EasingType::Linear, EasingMode::EaseIn);
    for (int i = 0; i < 3; ++i) a.Next();
    const Gdiplus::Rect here = a.Current();
    ASSERT_GT(here.X, 0);
    ASSERT_LT(here.X, 1000);

    const Gdiplus::Rect target(-50, -60, 10, 20);
    a.Retarget(target, 5);
    EXPECT_TRUE(SameRect(a.First(), here));
    EXPECT_TRUE(SameRect(a.Last(), target));
    EXPECT_TRUE(SameRect(a.FinalTarget(), target));
    EXPECT_EQ(a.Frames(), 5);
    EXPECT_EQ(a.CurrentFrame(), 0);
    EXPECT_EQ(a.GetEasingType(), EasingType::Quintic);
    int frames = 0;
    while (a.HasNext()) {
        a.Next();
        ++frames;
    }
    EXPECT_EQ(frames, 5);
    EXPECT_TRUE(SameRect(a.Current(), target));
}

TEST(RectangleAnimator, QueuedLegsRunInOrderWithTheirOwnCurve) {
    RectangleAnimator a(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(0, 0, 0, 0), 0);
    EXPECT_FALSE(a.HasNext());
    a.QueueLeg(Gdiplus::Rect(-10, 10, 7, -7), 3, EasingType::Linear, EasingMode::EaseIn);
    a.QueueLeg(Gdiplus::Rect(20, 20, 20, 20), 1, EasingType::Step, EasingMode::EaseOut);
    EXPECT_TRUE(SameRect(a.FinalTarget(), Gdiplus::Rect(20, 20, 20, 20)));
    EXPECT_TRUE(a.HasNext());

    // Taking a leg spends a frame on its start; then thirds of the way, each truncated toward zero.
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(0, 0, 0, 0)));
    EXPECT_EQ(a.Frames(), 3);
    EXPECT_EQ(a.GetEasingType(), EasingType::Linear);
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(-3, 3, 2, -2)));
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(-6, 6, 4, -4)));
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(-10, 10, 7, -7)));
    EXPECT_TRUE(a.HasNext());

    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(-10, 10, 7, -7)));
    EXPECT_EQ(a.GetEasingType(), EasingType::Step);
    EXPECT_EQ(a.GetEasingMode(), EasingMode::EaseOut);
    EXPECT_TRUE(SameRect(a.Next(), Gdiplus::Rect(20, 20, 20, 20)));
    EXPECT_FALSE(a.HasNext());
    EXPECT_FALSE(a.NextFrame());
}

TEST(RectangleAnimator, ExtremeCoordinatesLandExactlyWithoutOverflow) {
    // The zoomer starts its life aimed at INT_MAX; retargeted from there it must still land on screen.
    const int extremes[] = {INT_MIN, INT_MIN + 1, -2000000000, -120, 0, 120, 2000000000, INT_MAX};
    for (int first : extremes) {
        for (int last : extremes) {
            EXPECT_EQ(InterpolateCoordinate(first, last, 1.0), last) << first << " -> " << last;
            EXPECT_EQ(InterpolateCoordinate(first, last, 0.0), first) << first << " -> " << last;
        }
    }
    EXPECT_EQ(InterpolateCoordinate(0, INT_MAX, 0.5), 1073741823);
    EXPECT_EQ(InterpolateCoordinate(0, 0, std::nan("")), 0);

    RectangleAnimator a(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(INT_MAX, INT_MAX, 0, 0), 16);
    for (int i = 0; i < 4; ++i) a.Next();
    a.Retarget(Gdiplus::Rect(-20 - 384, 20, 384, 384), 16);
    while (a.HasNext()) a.Next();
    EXPECT_TRUE(SameRect(a.Current(), Gdiplus::Rect(-404, 20, 384, 384)));
}

TEST(AxisLock, PendingPicksTheFirstChangedAxisXFirstThenHoldsTheOther) {
    AxisLock lock = AxisLock::Pending;
    ApplyAxisLock(POINT{10, 10}, POINT{10, 10}, lock);
    EXPECT_EQ(lock, AxisLock::Pending);
    POINT p = ApplyAxisLock(POINT{15, 30}, POINT{10, 10}, lock);
    EXPECT_EQ(lock, AxisLock::HorizontalOnly);
    EXPECT_EQ(p.y, 30);  // the deciding move itself passes unchanged
    p = ApplyAxisLock(POINT{-500, 900}, POINT{3, 4}, lock);
    EXPECT_EQ(p.x, -500);
    EXPECT_EQ(p.y, 4);

    lock = AxisLock::Pending;
    ApplyAxisLock(POINT{10, 11}, POINT{10, 10}, lock);
    EXPECT_EQ(lock, AxisLock::VerticalOnly);
    p = ApplyAxisLock(POINT{-500, 900}, POINT{3, 4}, lock);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 900);
}
