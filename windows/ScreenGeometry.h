#pragma once
// Where the monitors are, how large the whole desktop is and where the mouse cursor is.
// Coordinates are virtual-screen pixels; rectangles are (X, Y, Width, Height).
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <list>

struct MonitorEntry {
    Gdiplus::Rect bounds;
    Gdiplus::Rect workingArea;
    HMONITOR monitor = nullptr;
};

using MonitorList = std::list<MonitorEntry>;

namespace ScreenGeometry {

// Pure geometry over a given monitor list.

// Union of the monitors and the point (0, 0).
Gdiplus::Rect BoundsOf(const MonitorList& monitors);
// The first monitor containing p (right and bottom edges excluded), else the one whose centre is
// nearest, the earliest on a tie. Empty rectangle for an empty list.
Gdiplus::Rect MonitorBoundsAt(const MonitorList& monitors, POINT p);
// True when every pixel of r lies on some monitor.
bool CoveredByMonitors(const MonitorList& monitors, const Gdiplus::Rect& r);

// The system's monitors and cursor.

// Filled by the first caller and kept for the life of the process; safe to call from several threads.
const MonitorList& ListMonitors();
Gdiplus::Rect VirtualScreenBounds();
Gdiplus::Rect MonitorBoundsAt(POINT p);
// Prefers the physical cursor position; falls back to GetCursorPos for good once that fails.
POINT CursorPosition();
// Relative to the top-left corner of the virtual-screen bounds, as full-screen overlays use them.
POINT ToOverlayCoordinates(POINT p);
POINT CursorInOverlayCoordinates();

}  // namespace ScreenGeometry
