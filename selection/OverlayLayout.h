#pragma once
// Placement rules of the selection overlays: where the magnifier goes, where the dimension labels and
// the size read-out sit, their texts, where a fixed-size rectangle lies, and which areas an animation
// tick repaints. Pure arithmetic on
// overlay coordinates (screen coordinates less the screen-bounds origin): no window or device calls.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstddef>
#include <string>
#include <vector>

namespace OverlayLayout {

constexpr int kZoomerGap = 20;         // between the cursor and the nearest corner of the magnifier
constexpr int kZoomerSourceSide = 25;  // screen pixels shown in the magnifier, the cursor's in the middle

// Region modes are 1 and the variant 11; window modes 4 and 5.
inline bool IsWindowMode(int mode) { return mode == 4 || mode == 5; }
inline bool IsRegionMode(int mode) { return !IsWindowMode(mode); }

// Side of the square magnifier on a monitor: a fifth of the shorter side, down to a multiple of 4.
int ZoomerSide(const Gdiplus::Rect& monitor);

struct ZoomerPlacement {
    bool keep;             // the current target still fits: leave the animator alone
    Gdiplus::Rect target;  // otherwise the new target, relative to the cursor
};
// Where the magnifier goes for the cursor at pos on monitor (both in overlay coordinates). current is
// the animator's final target relative to the cursor. The current target is kept while it lies on the
// monitor clear of the selection; otherwise the first of the four corners around the cursor (below
// right, below left, above right, above left) that does. When none is clear of the selection, the
// same search runs again allowing overlap; when nothing fits even then, the magnifier sits on the
// cursor (offset 0, 0).
ZoomerPlacement PlaceZoomer(const Gdiplus::Rect& monitor, POINT pos, const Gdiplus::Rect& current,
                            const Gdiplus::Rect& selection);

// The rectangle spanned by two points: left/top the smaller coordinate, width/height the absolute
// differences (so a one-pixel drag gives 1 x 1; the form adds the far edge when it finishes).
Gdiplus::Rect NormalisedRectangle(POINT a, POINT b);

// Texts of the two dimension labels and of the large read-out for the selection c, each size with
// labelEdge (readoutEdge) added: 1 where the far edge pixel belongs to the selection.
struct SizeTexts {
    std::wstring width, height, readout;
};
SizeTexts SelectionTexts(const Gdiplus::Rect& c, int labelEdge, int readoutEdge);
// The capture form's edges by mode: window mode 4 shows a window's size as it is, the other modes count
// both edge pixels in the labels; the read-out counts them only in the region modes 1 and 11.
int LabelEdge(int mode);
int ReadoutEdge(int mode);

// The fixed-size rectangle placed at p by its anchor: 0 top-left, 1 top-right, 2 bottom-right,
// 3 bottom-left, 4 centre (halves truncated toward zero). Any other anchor keeps current's corner.
Gdiplus::Rect PlaceAtAnchor(POINT p, int anchor, int width, int height, const Gdiplus::Rect& current);
// What a shape window's tick repaints when its selection moves from old to now: both, with room above
// and to the left for labels measured as (labelWidth, labelHeight).
Gdiplus::Rect LabelledRepaintBox(const Gdiplus::Rect& old, const Gdiplus::Rect& now, int labelWidth, int labelHeight);
// Rectangles that together cover the closed polygon through the points, its edges and its inside,
// grown by margin: one per band of band rows, as wide as the polygon is within that band. A thin
// sliver across the screen is covered by little more than itself, where its bounding box would not be.
std::vector<Gdiplus::Rect> BandCover(const POINT* points, size_t count, int band, int margin);
// The bounding box of the points: (smallest x, smallest y, largest x - smallest x, largest y - smallest y);
// all zero for none.
Gdiplus::Rect PointBounds(const POINT* points, size_t count);
// "x x y" of the cursor position.
std::wstring CoordinateText(POINT cursor);
// "#HANDLE - title", the handle in uppercase hexadecimal, the title or else the process image's file
// name without folder and extension.
std::wstring WindowLabelText(HWND wnd, const std::wstring& title, const std::wstring& processPath);

struct Segment {
    Gdiplus::Point from, to;
};

// A dimension label: a rounded box with the text over a dimension line with end ticks. Nothing of it
// is drawn when shown is false (the selection is too small for the text).
struct DimensionLabel {
    bool shown = false;
    Gdiplus::Rect box;     // the rounded box (radius 3)
    Gdiplus::Point text;   // where the text is drawn
    Gdiplus::Size measured;  // the text's measured size from there: it reaches past the box
    Segment line[2];       // the dimension line either side of the box
    Segment ticks[2];      // the end ticks
};
// Above the selection r, for a width text measured as (w1, h1).
DimensionLabel WidthLabel(const Gdiplus::Rect& r, Gdiplus::Size measured);
// Left of the selection r, for a height text measured as (w2, h2).
DimensionLabel HeightLabel(const Gdiplus::Rect& r, Gdiplus::Size measured);
// The cursor's coordinate label box for a text measured as (w, h): beside and below the cursor.
Gdiplus::Rect CoordinateLabelBox(POINT cursor, Gdiplus::Size measured);

// Point size of the large read-out for the selection c, whose text measures (mw, mh) at 12 points;
// 0 when it would be smaller than 4 points; never above 20.
float ReadoutPointSize(const Gdiplus::Rect& c, float mw, float mh);
// Where the read-out text starts: centred on c's size from r's corner, with the 12-point width mw and
// the drawn font's height fh.
Gdiplus::PointF ReadoutOrigin(const Gdiplus::Rect& r, const Gdiplus::Rect& c, float mw, float fh);

// What the animation tick repaints around the cross-hair when the cursor moves from old to now with
// the mouse up, in a window clientWidth x clientHeight: a strip along each changed axis at both the old
// and the new position. Returns how many rectangles it wrote into out (0, 2 or 4).
int CrossHairStrips(POINT old, POINT now, int clientWidth, int clientHeight, Gdiplus::Rect out[4]);

// Pixels around what a selection's paint draws that may still change: a pen straddles its line and
// anti-aliased text and curves reach a pixel past their bounds.
constexpr int kInkMargin = 2;

// Everything that a drawn selection shows, where the paint lays it out (client coordinates).
struct SelectionExtent {
    bool drawn = false;         // false: no selection is shown, none of the rest counts
    int shape = 0;              // 1 rectangle, 2 ellipse, 3 rounded rectangle, any other value none
    Gdiplus::Rect r;            // the rectangle the shape is drawn in
    DimensionLabel width, height;
    std::wstring widthText, heightText;
    Gdiplus::Rect readout;      // the size read-out's text; no area when it is not drawn
    std::wstring readoutText;
    Gdiplus::Rect windowLabel;  // the window label's text; no area when it is not drawn
    std::wstring windowText;
};
// The area a dimension label covers (box, text, dimension line and ticks), grown by kInkMargin; no area
// when it is not shown.
Gdiplus::Rect DimensionLabelArea(const DimensionLabel& label);
// The pixels of a rectangle shape drawn in r: its fill, [X, X + Width) x [Y, Y + Height), and its 1-pixel
// outline, the columns X and X + Width and the rows Y and Y + Height between them. Neither is drawn
// when r has no area. Returns how many outline strips it wrote into outline (0 or 4).
int RectangleOutline(const Gdiplus::Rect& r, Gdiplus::Rect outline[4]);
// What repaints a selection drawn as old so that it shows as now, where only the parts that differ are
// given: for the rectangle shape the area between the two fills and both outlines, for the other shapes
// (whose pixels change all over) the box holding both; each dimension label, read-out and window label
// whose place or text changed, at the old and the new place. Nothing when both are the same.
std::vector<Gdiplus::Rect> SelectionChange(const SelectionExtent& old, const SelectionExtent& now);
// The parts of a that are not in b: at most 4 rectangles, appended to out.
void AppendDifference(const Gdiplus::Rect& a, const Gdiplus::Rect& b, std::vector<Gdiplus::Rect>& out);

// Magnifier drawing geometry for a destination square (window coordinates) and the source side.
struct ZoomerBars {
    int pixel;                 // size of one magnified pixel
    Segment bars[4];           // the cross-hair bars, pen width = pixel, leaving the middle pixel free
    Gdiplus::Rect outlines[4]; // the 1-pixel outlines around each bar
};
ZoomerBars ZoomerCrossHair(const Gdiplus::Rect& destination, int sourceSide);

}  // namespace OverlayLayout
