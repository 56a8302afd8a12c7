#pragma once
// The magnifier that follows the cursor on every selection overlay: its animator (a rectangle relative
// to the cursor), where it goes, what a tick repaints, and its drawing.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "selection/Animators.h"
#include "selection/OutlineRaster.h"

class OverlayZoomer {
public:
    // Translucency and opacity are read from the settings once, for the overlay's life.
    OverlayZoomer();

    // On: a fresh animator that grows out of the cursor toward its place for the cursor (overlay
    // coordinates) clear of the selection. Off: an existing one shrinks back into the cursor.
    void Set(bool on, POINT cursor, const Gdiplus::Rect& selection, const Gdiplus::Rect& screenBounds);
    // Z: flips ZoomerEnabled (for later captures too) and sets the magnifier from it.
    void Toggle(POINT cursor, const Gdiplus::Rect& selection, const Gdiplus::Rect& screenBounds);
    // Moves the target when the current one leaves the cursor's monitor or covers the selection.
    void Place(POINT cursor, const Gdiplus::Rect& selection, const Gdiplus::Rect& screenBounds);
    // One tick: repaints the old place (around the old cursor), places it for the new cursor when place
    // is set, advances the animator and repaints the new place.
    void Tick(HWND wnd, POINT old, POINT now, bool place, const Gdiplus::Rect& selection,
              const Gdiplus::Rect& screenBounds);
    // Draws the 25 x 25 pixels around the cursor magnified into the animator's current rectangle; with
    // pixels (those of the graphics' DC), straight into them where repainted, as DrawZoomer can.
    void Paint(Gdiplus::Graphics& graphics, Gdiplus::Image* screenshot, POINT cursor,
               const OutlineRaster::Target* pixels = nullptr, const std::vector<RECT>* repainted = nullptr) const;

    // Null while the magnifier was never on.
    const RectangleAnimator* Animator() const { return animator_.get(); }
    bool Exists() const { return animator_ != nullptr; }
    bool Moving() const { return animator_ && animator_->HasNext(); }
    bool IsTranslucent() const { return translucent_; }

private:
    std::unique_ptr<RectangleAnimator> animator_;
    bool translucent_;
    float opacity_;
};
