#include "scrolling/StopStripPlacement.h"

#include "windows/Rectangles.h"

namespace qel {

std::optional<POINT> StopStripPosition(const RECT& target, const RECT& screen) {
    const int cx = (target.left + target.right) / 2;
    const int left = cx - kStopStripWidth / 2;
    const Gdiplus::Rect onScreen = Rects::FromRECT(screen);
    const Gdiplus::Rect above =
        Rects::Intersection(Gdiplus::Rect(left, target.top - kStopStripHeight, kStopStripWidth, kStopStripHeight), onScreen);
    const Gdiplus::Rect below =
        Rects::Intersection(Gdiplus::Rect(left, target.bottom, kStopStripWidth, kStopStripHeight), onScreen);
    // Rectangles that share nothing come back with no height.
    const int ha = above.Height, hb = below.Height;
    if (hb == kStopStripHeight || (hb > 0 && hb > ha)) return POINT{below.X, below.Y};
    if (ha > 0 && ha > hb) return POINT{above.X, above.Y};
    return std::nullopt;
}

}  // namespace qel
