#include "selection/Animators.h"

#include <cmath>

namespace Easing {
namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;

}  // namespace

double EaseIn(double t, EasingType type) {
    switch (type) {
        case EasingType::Step: return t < 0.5 ? 0.0 : 1.0;
        case EasingType::Linear: return t;
        case EasingType::Sine: return std::sin(t * kHalfPi - kHalfPi) + 1.0;
        case EasingType::Quadratic: return std::pow(t, 2.0);
        case EasingType::Cubic: return std::pow(t, 3.0);
        case EasingType::Quartic: return std::pow(t, 4.0);
        case EasingType::Quintic: return std::pow(t, 5.0);
    }
    return 0.0;
}

double EaseOut(double t, EasingType type) {
    switch (type) {
        case EasingType::Step: return t < 0.5 ? 0.0 : 1.0;
        case EasingType::Linear: return t;
        case EasingType::Sine: return std::sin(t * kHalfPi);
        case EasingType::Quadratic: return -(std::pow(t - 1.0, 2.0) - 1.0);
        case EasingType::Cubic: return std::pow(t - 1.0, 3.0) + 1.0;
        case EasingType::Quartic: return -(std::pow(t - 1.0, 4.0) - 1.0);
        case EasingType::Quintic: return std::pow(t - 1.0, 5.0) + 1.0;
    }
    return 0.0;
}

double EaseInOut(double t, EasingType type) {
    const double u = 2.0 * t;
    switch (type) {
        case EasingType::Step: return t < 0.5 ? 0.0 : 1.0;
        case EasingType::Linear: return t;
        case EasingType::Sine: return (std::sin(t * kPi - kHalfPi) + 1.0) * 0.5;
        case EasingType::Quadratic:
            return u < 1.0 ? std::pow(u, 2.0) * 0.5 : (std::pow(u - 2.0, 2.0) - 2.0) * -0.5;
        case EasingType::Cubic:
            return u < 1.0 ? std::pow(u, 3.0) * 0.5 : (std::pow(u - 2.0, 3.0) + 2.0) * 0.5;
        case EasingType::Quartic:
            return u < 1.0 ? std::pow(u, 4.0) * 0.5 : (std::pow(u - 2.0, 4.0) - 2.0) * -0.5;
        case EasingType::Quintic:
            return u < 1.0 ? std::pow(u, 5.0) * 0.5 : (std::pow(u - 2.0, 5.0) + 2.0) * 0.5;
    }
    return 0.0;
}

double Ease(double t, EasingType type, EasingMode mode) {
    switch (mode) {
        case EasingMode::EaseOut: return EaseOut(t, type);
        case EasingMode::EaseInOut: return EaseInOut(t, type);
        default: return EaseIn(t, type);
    }
}

}  // namespace Easing

int32_t InterpolateCoordinate(int32_t first, int32_t last, double f) {
    // The difference and the sum wrap at 32 bits, so the far-away start of a zoomer (INT_MAX) and a
    // negative target still land exactly on the target.
    const auto difference = static_cast<int32_t>(static_cast<uint32_t>(last) - static_cast<uint32_t>(first));
    const double step = std::trunc(static_cast<double>(difference) * f);
    // |f| <= 1 on every curve, so the step fits the difference's range; clamp anyway against a NaN or
    // an out-of-range product, which would be undefined to convert.
    int32_t part = 0;
    if (step >= -2147483648.0 && step <= 2147483647.0) part = static_cast<int32_t>(step);
    return static_cast<int32_t>(static_cast<uint32_t>(part) + static_cast<uint32_t>(first));
}

RectangleAnimator::RectangleAnimator(const Gdiplus::Rect& first, const Gdiplus::Rect& last, int frames)
    : AnimatorBase<Gdiplus::Rect>(first, last, frames, EasingType::Quintic, EasingMode::EaseOut) {}

Gdiplus::Rect RectangleAnimator::Next() {
    if (!NextFrame()) return m_current;
    const double t = static_cast<double>(m_currentFrame) / static_cast<double>(m_frames);
    const double f = Easing::Ease(t, m_easingType, m_easingMode);
    m_current = Gdiplus::Rect(InterpolateCoordinate(m_first.X, m_last.X, f), InterpolateCoordinate(m_first.Y, m_last.Y, f),
                              InterpolateCoordinate(m_first.Width, m_last.Width, f),
                              InterpolateCoordinate(m_first.Height, m_last.Height, f));
    return m_current;
}
