#pragma once
// Where the stop strip goes beside the window being scrolled. Pure: no window or device calls.
#include <windows.h>

#include <optional>

namespace qel {

constexpr int kStopStripWidth = 220;
constexpr int kStopStripHeight = 18;

// The strip's top-left for a target with window rectangle target on a screen of rectangle screen (the
// primary monitor): centred below the target, or above it when more of the strip shows there; clipped to
// the screen. Nothing when no part of it shows on either side, or as much on both without a whole strip
// below.
std::optional<POINT> StopStripPosition(const RECT& target, const RECT& screen);

}  // namespace qel
