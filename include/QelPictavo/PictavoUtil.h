#pragma once
// The capture interface. Every capture returns a 32-bit packed DIB (a BITMAPINFOHEADER followed by
// the bits, bottom-up, alpha marking pixels outside a shape as transparent) or null when nothing was
// captured. The DIB belongs to the caller: release it with delete[] on a BYTE pointer, or with
// QelImageTransform::ReleaseDIB from a module built with another runtime.
#include <QelFramework/Framework.h>

#include "Export.h"

class QELPICTAVO_API CPictavoUtil {
public:
    CPictavoUtil();
    ~CPictavoUtil();
    CPictavoUtil& operator=(const CPictavoUtil&);

    // The monitor under the mouse cursor, or the whole virtual screen when none contains it.
    BITMAPINFOHEADER* CaptureFullScreen(int withCursor);
    // The foreground window; the whole virtual screen when it cannot be captured.
    BITMAPINFOHEADER* CaptureActiveWindow(int withCursor);
    // A window the user picks on a frozen screen.
    BITMAPINFOHEADER* CaptureWindowObject(int withCursor);
    // A region the user selects: 1 rectangle, 2 ellipse, 3 rounded rectangle, 5 polygon, 6 free-hand.
    BITMAPINFOHEADER* CaptureShapeRegion(int withCursor, int shape);
    // A region of a fixed size the user places; the second argument is not read.
    BITMAPINFOHEADER* CaptureFixedRegion(int withCursor, int unused, int width, int height);
    // The open popup menu under the cursor with its open submenus.
    BITMAPINFOHEADER* CaptureMenuObject(int withCursor);
    // A window the user picks, scrolled and stitched; the flags and delay are kept for later calls.
    BITMAPINFOHEADER* CaptureScrollWindow(int horizontal, int vertical, unsigned long delayMs);
    // The focus window of the foreground window, scrolled and stitched.
    BITMAPINFOHEADER* CaptureActiveScrollWindow(int horizontal, int vertical, unsigned long delayMs);
    // The colour under the cursor where the user clicks.
    unsigned long PickScreenColor();
    // Always null.
    CWnd* CreateCatchScreenWindow(BITMAPINFOHEADER* dib, int value);

    // Selection only: the confirmed rectangle, relative to the top-left of the virtual screen; empty
    // when cancelled.
    static CRect TokenRectangulareRegion();
    static CRect TokenFixedSizeRectanguluarRegion(int width, int height);
    static HWND TokenWindowObject();

    static HWND GetWindowFromPoint(HWND start, const POINT& pt, HWND ignore);
    static int IsBehindTaskBar(HWND wnd);
    static int IsWindowOnWorkArea(HWND wnd);
    static RECT GetWindowBoundRectangle(HWND wnd);
    static HWND GetTopMostLevelParentWindow(HWND wnd);
    // A DIB section the caller deletes with DeleteObject.
    static HBITMAP CreateDIBBitmap(int width, int height, int bitsPerPixel, unsigned long compression,
                                   const unsigned long* masks);
    static void SetCaptureMenu(HMENU menu);

    static HMENU g_hCaptureMenu;

protected:
    // A plain screen copy of one window.
    static BITMAPINFOHEADER* DoCaptureFromWnd(CWnd* wnd, int withCursor);
    // Always null.
    static BITMAPINFOHEADER* DoCaptureFromClientArea(CWnd* wnd, int value);
};
