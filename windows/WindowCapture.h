#pragma once
// Captures one window whatever covers it on the screen: the window prints itself into a bitmap, or a
// compositor thumbnail of it is shown at full size on a plain background and that area is copied.
// Also the per-process tests that rule either method out, and the corner clearing of older systems.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "windows/ScreenGeometry.h"

class ICapture;
class WindowDetails;

namespace WindowCapture {

// Rules, free of window and device calls.

// False only when description is non-empty and equals an entry exactly (case-sensitive).
bool ProductPermitted(const std::list<std::wstring>& excludedProducts, const std::wstring& description);

// True when the point lies on a monitor (right and bottom edges excluded).
bool PointOnMonitors(const MonitorList& monitors, POINT p);
// True when the four corner points (x, y) .. (x + width, y + height) all lie on monitors, so a
// rectangle ending exactly on the last monitor's edge does not count as on the monitors.
bool CornersOnMonitors(const MonitorList& monitors, const Gdiplus::Rect& r);

struct ThumbnailPlacement {
    POINT location;
    bool fits;
};
// Where the thumbnail of a window that is not maximised goes: at the window when its corners lie on
// the monitors; else at the bounds origin of the first monitor whose working area, taken from its
// origin, holds the window's size; else at the window, not fitting.
ThumbnailPlacement PlaceThumbnail(const MonitorList& monitors, const Gdiplus::Rect& windowRect);

// A maximised window reaches past its monitor by its borders; before Windows 8 the thumbnail is drawn
// without them, so it is moved up and left by as much.
POINT PlaceMaximisedThumbnail(POINT origin, SIZE borders, bool windows8OrLater);

// The screen rectangle copied behind the thumbnail: grown by the borders of a maximised window,
// otherwise from Windows 10 by frameGrowth.
Gdiplus::Rect ThumbnailCaptureRectangle(POINT location, SIZE sourceSize, bool maximised, SIZE borders,
                                        bool windows10OrLater, SIZE frameGrowth);

// The colorization colour (0xAARRGGBB) blended half-way to white, alpha dropped, as a COLORREF.
COLORREF ThumbnailBackground(DWORD colorization);

// The pixels ClearCorners whitens, in writing order: for row y, rows[y] pixels from each corner.
// Points outside a width x height image are left out.
std::vector<POINT> CornerPixels(int width, int height, const std::vector<int>& rows);

// The system side.

// Print-window and compositor capture are ruled out by the file description of the process image
// (GdiExcludedProducts, DwmExcludedProducts); an empty path or description permits.
bool PrintWindowPermitted(const std::wstring& processPath);
bool ThumbnailCapturePermitted(const std::wstring& processPath);

// The window painted through PrintWindow; 32-bit ARGB with transparent pixels outside the window's
// shape region when it has one, else 24-bit. A maximised top-level window comes without its borders.
// The cursor of cursorSource (when given) is drawn in. Null when the window cannot print.
std::unique_ptr<Gdiplus::Bitmap> CapturePrintWindow(WindowDetails& window, ICapture* cursorSource);

// Shows a compositor thumbnail of the window at full size and copies that screen area into capture,
// whose location becomes the window's origin. Null when there is no thumbnail, or when the window
// does not fit on the monitors and may print itself instead; otherwise capture, whose image may still
// be null when the screen copy failed.
ICapture* CaptureThumbnailWindow(WindowDetails& window, ICapture* capture);

// Whitens the rounded corners of a 32-bit image in place (colour only; alpha is kept).
void ClearCorners(Gdiplus::Bitmap* image);

}  // namespace WindowCapture
