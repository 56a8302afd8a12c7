#pragma once
// Drawing every selection overlay shares: the cross-hair with the cursor's coordinates, the selection's
// fill and outline, its dimension labels and size read-out, and the magnifier. All in window client
// coordinates; the caller says what to draw.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "selection/OverlayLayout.h"

// The generic sans-serif family every overlay label uses; made once and kept.
const Gdiplus::FontFamily* OverlayFontFamily();
// The tiled checkerboard of the library's resources behind an opaque magnifier; loaded by the first
// call and kept for the life of the process. Null when the resource cannot be loaded.
Gdiplus::TextureBrush* CheckerboardBrush();

// The magnifier: draws the source rectangle of screenshot magnified into the circle inscribed in
// destination, over the checkerboard when opaque, else with the screenshot at opacity. The clip set
// here stays on the graphics.
void DrawZoomer(Gdiplus::Graphics& graphics, Gdiplus::Image* screenshot, const Gdiplus::Rect& source,
                const Gdiplus::Rect& destination, bool translucent, float opacity);

// The dotted cross-hair through the cursor across the screen bounds' extent, on a DC whose first pixel
// is the client point origin.
void PaintCrossHair(HDC dc, POINT origin, POINT cursor, const Gdiplus::Rect& bounds);
// The cursor's "x x y" label in its rounded box beside and below it.
void PaintCoordinateLabel(Gdiplus::Graphics& graphics, POINT cursor);

// A selection's translucent green fill and its faint outline (0xAARRGGBB).
constexpr Gdiplus::ARGB kSelectionFill = 0x323CB371;
constexpr Gdiplus::ARGB kSelectionOutline = 0x32000000;

// Brush and pen of those colours, the outline outlineWidth pixels wide.
struct SelectionInk {
    explicit SelectionInk(float outlineWidth = 1.0f);
    Gdiplus::SolidBrush fill;
    Gdiplus::Pen outline;
};

// The dimension labels around the drawn rectangle r and the large read-out sized and centred by the
// selection c, with the given texts. True when the read-out was large enough to be drawn (whether or not
// it touched the repainted areas). With repainted (client coordinates), a piece that touches none of
// them is not drawn: each costs a good part of a frame.
bool PaintSizeLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c,
                     const OverlayLayout::SizeTexts& texts, const std::vector<RECT>* repainted = nullptr);
