#pragma once
// Values that move from a first to a last value over a number of frames along an easing curve.
// Pure arithmetic: no window or device calls, so tests reach it directly.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <deque>

enum class EasingType : int32_t { Step = 0, Linear = 1, Sine = 2, Quadratic = 3, Cubic = 4, Quartic = 5, Quintic = 6 };
enum class EasingMode : int32_t { EaseIn = 0, EaseOut = 1, EaseInOut = 2 };

// The easing curves for t in [0, 1]. A type outside the enumeration gives 0.
namespace Easing {
double EaseIn(double t, EasingType type);
double EaseOut(double t, EasingType type);
double EaseInOut(double t, EasingType type);
// EaseOut for mode 1, EaseInOut for 2, EaseIn for every other value.
double Ease(double t, EasingType type, EasingMode mode);
}  // namespace Easing

class IAnimator {
public:
    virtual ~IAnimator() = default;
    // Whether at least one more frame remains, in this leg or a queued one.
    virtual bool HasNext() const = 0;
    // Frames of the current leg.
    virtual int Frames() const = 0;
    // Frames taken so far in the current leg.
    virtual int CurrentFrame() const = 0;
    // Advances one frame, starting the next queued leg when this one is done; false when nothing is left.
    virtual bool NextFrame() = 0;
};

template <typename T>
class AnimatorBase : public IAnimator {
public:
    struct Leg {
        T destination;
        int frames;
        EasingType easingType;
        EasingMode easingMode;
    };

    bool HasNext() const override { return m_currentFrame < m_frames || !m_legs.empty(); }
    int Frames() const override { return m_frames; }
    int CurrentFrame() const override { return m_currentFrame; }
    bool NextFrame() override {
        if (m_currentFrame < m_frames) {
            ++m_currentFrame;
            return true;
        }
        if (m_legs.empty()) return false;
        m_currentFrame = 0;
        m_first = m_current;
        const Leg leg = m_legs.front();
        m_legs.pop_front();
        m_last = leg.destination;
        m_frames = leg.frames;
        m_easingType = leg.easingType;
        m_easingMode = leg.easingMode;
        return true;
    }

    // Runs from wherever the animation stands toward a new target; queued legs are dropped and the
    // curve stays.
    void Retarget(const T& newLast, int frames) {
        m_legs.clear();
        m_first = m_current;
        m_last = newLast;
        m_frames = frames;
        m_currentFrame = 0;
    }
    // A further leg, run once the current one and those queued before it are done.
    void QueueLeg(const T& destination, int frames, EasingType type, EasingMode mode) {
        m_legs.push_back(Leg{destination, frames, type, mode});
    }

    // The last value handed out (the first value before any).
    const T& Current() const { return m_current; }
    const T& First() const { return m_first; }
    const T& Last() const { return m_last; }
    // Where the animation ends: the last queued leg's destination, else the current leg's.
    const T& FinalTarget() const { return m_legs.empty() ? m_last : m_legs.back().destination; }
    EasingType GetEasingType() const { return m_easingType; }
    EasingMode GetEasingMode() const { return m_easingMode; }

protected:
    AnimatorBase(const T& first, const T& last, int frames, EasingType type, EasingMode mode)
        : m_frames(frames), m_first(first), m_last(last), m_easingType(type), m_easingMode(mode), m_current(first) {}

    std::deque<Leg> m_legs;
    int m_frames;
    int m_currentFrame = 0;
    T m_first;
    T m_last;
    EasingType m_easingType;
    EasingMode m_easingMode;
    T m_current;
};

// Every rectangle animation of the overlays runs on the quintic ease-out curve: fast start, soft landing.
class RectangleAnimator : public AnimatorBase<Gdiplus::Rect> {
public:
    RectangleAnimator(const Gdiplus::Rect& first, const Gdiplus::Rect& last, int frames);
    // Advances one frame and returns the interpolated rectangle; once nothing is left, the last value again.
    virtual Gdiplus::Rect Next();
};

// Interpolation of one coordinate: truncate((last - first) * f) + first, with 32-bit wrap-around.
int32_t InterpolateCoordinate(int32_t first, int32_t last, double f);
