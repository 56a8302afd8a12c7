#pragma once
// Drawing every selection overlay shares: the cross-hair with the cursor's coordinates, the selection's
// fill and outline, its dimension labels and size read-out, and the magnifier. All in window client
// coordinates; the caller says what to draw.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "selection/OutlineRaster.h"
#include "selection/OverlayLayout.h"

// The generic sans-serif family every overlay label uses; made once and kept.
const Gdiplus::FontFamily* OverlayFontFamily();
// The tiled checkerboard of the library's resources behind an opaque magnifier; loaded by the first
// call and kept for the life of the process. Null when the resource cannot be loaded.
Gdiplus::TextureBrush* CheckerboardBrush();

// The magnifier: draws the source rectangle of screenshot magnified into the circle inscribed in
// destination, over the checkerboard when opaque, else with the screenshot at opacity. The clip set
// here stays on the graphics. With pixels (those of the graphics' DC, client coordinates) the opaque
// magnifier is written into them where repainted (all of pixels without it) rather than through GDI+.
void DrawZoomer(Gdiplus::Graphics& graphics, Gdiplus::Image* screenshot, const Gdiplus::Rect& source,
                const Gdiplus::Rect& destination, bool translucent, float opacity,
                const OutlineRaster::Target* pixels = nullptr, const std::vector<RECT>* repainted = nullptr);

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

// The selection's shape in r: 1 rectangle, 2 ellipse, 3 rounded rectangle, any other value none. With
// pixels (those of the graphics' DC, client coordinates), the rectangle is composed straight into them
// within repainted (all of pixels without it), as GDI+ would draw it but only where it is repainted.
void DrawSelectionShape(Gdiplus::Graphics& graphics, int shape, const Gdiplus::Rect& r, const SelectionInk& ink,
                        const OutlineRaster::Target* pixels = nullptr, const std::vector<RECT>* repainted = nullptr);

// A selection's dimension labels, large read-out and window label, laid out and measured as they are
// drawn: the labels around the drawn rectangle r, the read-out sized and centred by the selection c.
struct SelectionLabels {
    OverlayLayout::SizeTexts texts;
    OverlayLayout::DimensionLabel width, height;
    float readoutPoints = 0.0f;  // 0: too small to be drawn, and then no window label either
    Gdiplus::PointF readoutAt;
    Gdiplus::SizeF readoutSize;  // measured in the font it is drawn in
    std::wstring windowText;     // empty: no window label
    Gdiplus::PointF windowAt;
    Gdiplus::SizeF windowSize;
};
// windowText: the window label's text, or empty for none.
SelectionLabels LayOutSelectionLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c,
                                      const OverlayLayout::SizeTexts& texts, const std::wstring& windowText = {});
// With repainted (client coordinates), a piece that touches none of them is not drawn: each costs a
// good part of a frame. With pixels (those of the graphics' DC), the dimension lines are written
// straight into them.
void DrawSelectionLabels(Gdiplus::Graphics& graphics, const SelectionLabels& labels,
                         const std::vector<RECT>* repainted = nullptr, const OutlineRaster::Target* pixels = nullptr);
// Where a selection drawn with shape in r and with these labels shows.
OverlayLayout::SelectionExtent SelectionExtentOf(int shape, const Gdiplus::Rect& r, const SelectionLabels& labels);

// The dimension labels around the drawn rectangle r and the large read-out sized and centred by the
// selection c, with the given texts. True when the read-out was large enough to be drawn (whether or not
// it touched the repainted areas). With repainted (client coordinates), a piece that touches none of
// them is not drawn.
bool PaintSizeLabels(Gdiplus::Graphics& graphics, const Gdiplus::Rect& r, const Gdiplus::Rect& c,
                     const OverlayLayout::SizeTexts& texts, const std::vector<RECT>* repainted = nullptr);
