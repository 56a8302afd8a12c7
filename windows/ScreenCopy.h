#pragma once
// The cursor image and the basic copy of a screen rectangle into a capture.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <memory>

class ICapture;

namespace ScreenGeometry {

// Puts the current cursor image and the screen position of its top-left corner into capture. With a
// null capture a new Capture is made and returned, owned by the caller. The cursor-visible flag is
// left alone.
ICapture* CaptureCursor(ICapture* capture);

// Copies r from the screen into capture's image (the cursor drawn in when the capture's cursor is
// visible) and sets its location to r's corner. Returns the capture, or null when no image was made;
// a capture made here for a null argument is then released.
ICapture* CaptureRectangle(ICapture* capture, const Gdiplus::Rect& r);

// The pixels of r on the screen, with cursorSource's cursor drawn in when given: a DibBitmap, 32-bit RGB
// when r lies wholly on monitors, else 32-bit ARGB with the parts on no monitor transparent white. Null
// for an empty rectangle or when the copy fails.
std::unique_ptr<Gdiplus::Bitmap> CopyScreenRectangle(ICapture* cursorSource, const Gdiplus::Rect& r);

// Draws cursorSource's cursor into dc, which holds a copy of the screen rectangle captured, when the
// cursor image overlaps it.
void DrawCursor(HDC dc, const ICapture& cursorSource, const Gdiplus::Rect& captured);

// Size of a cursor's image from its mask; the system cursor size when the mask cannot be read.
SIZE CursorImageSize(HICON cursor);

}  // namespace ScreenGeometry
