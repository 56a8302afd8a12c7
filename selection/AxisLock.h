#pragma once
// Shift-key axis lock of the overlays' mouse tracking. Pure: no window calls.
#include <windows.h>

#include <cstdint>

enum class AxisLock : int32_t {
    None = 0,
    Pending = 1,         // Shift is down; the next move that changes a coordinate picks the axis
    VerticalOnly = 2,    // x is held
    HorizontalOnly = 3,  // y is held
};

// The cursor position p after the lock, given the previous (already locked) cursor position. A pending
// lock becomes HorizontalOnly when x changed (x is tested first), else VerticalOnly when y changed;
// p itself is kept on that event.
inline POINT ApplyAxisLock(POINT p, POINT previous, AxisLock& lock) {
    switch (lock) {
        case AxisLock::Pending:
            if (p.x != previous.x)
                lock = AxisLock::HorizontalOnly;
            else if (p.y != previous.y)
                lock = AxisLock::VerticalOnly;
            break;
        case AxisLock::HorizontalOnly:
            p.y = previous.y;
            break;
        case AxisLock::VerticalOnly:
            p.x = previous.x;
            break;
        case AxisLock::None:
            break;
    }
    return p;
}
