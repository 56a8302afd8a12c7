#include "selection/OverlayZoomer.h"

#include <climits>

#include "capture/CaptureSettings.h"
#include "selection/OverlayHelpers.h"
#include "selection/OverlayLayout.h"
#include "selection/OverlayPaint.h"
#include "windows/Rectangles.h"
#include "windows/ScreenGeometry.h"

namespace {

constexpr int kZoomerFrames = 16;
constexpr int kZoomerMargin = 2;  // the magnifier's 2-pixel ring reaches one pixel past its square

void InvalidateArea(HWND wnd, const Gdiplus::Rect& r) {
    const RECT rect = Rects::ToRECT(r);
    ::InvalidateRect(wnd, &rect, FALSE);
}

}  // namespace

OverlayZoomer::OverlayZoomer()
    : translucent_(CaptureSettings::Get().ZoomerOpacity < 1.0f), opacity_(CaptureSettings::Get().ZoomerOpacity) {}

void OverlayZoomer::Set(bool on, POINT cursor, const Gdiplus::Rect& selection, const Gdiplus::Rect& screenBounds) {
    const int frames = AnimationFrames(kZoomerFrames);
    if (on) {
        // The far-off start target never fits a monitor, so the first placement always moves it.
        animator_ =
            std::make_unique<RectangleAnimator>(Gdiplus::Rect(0, 0, 0, 0), Gdiplus::Rect(INT_MAX, INT_MAX, 0, 0), frames);
        Place(cursor, selection, screenBounds);
    } else if (animator_) {
        animator_->Retarget(Gdiplus::Rect(0, 0, 0, 0), frames);
    }
}

void OverlayZoomer::Toggle(POINT cursor, const Gdiplus::Rect& selection, const Gdiplus::Rect& screenBounds) {
    CaptureSettings& settings = CaptureSettings::Get();
    settings.ZoomerEnabled = !settings.ZoomerEnabled;
    Set(settings.ZoomerEnabled, cursor, selection, screenBounds);
}

void OverlayZoomer::Place(POINT cursor, const Gdiplus::Rect& selection, const Gdiplus::Rect& screenBounds) {
    if (!animator_) return;
    POINT screenCursor{};
    ::GetCursorPos(&screenCursor);
    Gdiplus::Rect monitor = ScreenGeometry::MonitorBoundsAt(screenCursor);
    monitor.X -= screenBounds.X;
    monitor.Y -= screenBounds.Y;
    const OverlayLayout::ZoomerPlacement placement =
        OverlayLayout::PlaceZoomer(monitor, cursor, animator_->FinalTarget(), selection);
    if (!placement.keep) animator_->Retarget(placement.target, animator_->Frames());
}

void OverlayZoomer::Tick(HWND wnd, POINT old, POINT now, bool place, const Gdiplus::Rect& selection,
                         const Gdiplus::Rect& screenBounds) {
    if (!animator_) return;
    InvalidateArea(wnd, Rects::Grown(Rects::Offset(animator_->Current(), old), kZoomerMargin));
    if (place) Place(now, selection, screenBounds);
    const Gdiplus::Rect next = animator_->HasNext() ? animator_->Next() : animator_->Current();
    InvalidateArea(wnd, Rects::Grown(Rects::Offset(next, now), kZoomerMargin));
}

void OverlayZoomer::Paint(Gdiplus::Graphics& graphics, Gdiplus::Image* screenshot, POINT cursor,
                          const OutlineRaster::Target* pixels, const std::vector<RECT>* repainted) const {
    if (!animator_) return;
    constexpr int side = OverlayLayout::kZoomerSourceSide;
    const Gdiplus::Rect source(cursor.x - side / 2, cursor.y - side / 2, side, side);
    DrawZoomer(graphics, screenshot, source, Rects::Offset(animator_->Current(), cursor), translucent_, opacity_, pixels,
               repainted);
}
