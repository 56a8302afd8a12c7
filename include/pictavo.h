/* The capture library for hosts in any language: plain C functions over the exported classes.
 *
 * Every call runs on the caller's thread and returns when its capture is finished or cancelled; the
 * interactive ones show their overlay and run its message loop on that thread, so call them from a
 * thread that owns no window busy elsewhere. The host needs no window framework of its own. No call
 * throws; none keeps state beyond what its own object holds, except the capture menu and the scrolling
 * flags and delay noted below.
 *
 * Images are 32-bit packed DIBs (a BITMAPINFOHEADER followed by the pixel rows, bottom-up, the alpha
 * byte marking pixels outside a shape as transparent). The caller owns a returned image and gives it
 * back with pictavo_release_image, never with its own runtime's free or delete.
 *
 * Failure values: NULL for images, windows and objects; 0 for int results (1 or another nonzero value is
 * success); PICTAVO_NO_COLOR for colours. A request with a bad argument (a null or destroyed window, a
 * size of 0 or less, an unknown code, a null output pointer) fails at once and shows nothing. Rectangles
 * are RECTs in screen pixels whose right and bottom edges lie just outside the area, as in Win32. */
#ifndef PICTAVO_H
#define PICTAVO_H

#include <windows.h>

#ifdef QELPICTAVO_BUILD
#define PICTAVO_API __declspec(dllexport)
#else
#define PICTAVO_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Selection shapes. */
#define PICTAVO_SHAPE_RECTANGLE 1
#define PICTAVO_SHAPE_ELLIPSE 2
#define PICTAVO_SHAPE_ROUNDED 3
#define PICTAVO_SHAPE_POLYGON 5
#define PICTAVO_SHAPE_FREEHAND 6

/* What pictavo_pick_screen_color returns when nothing was picked (Enter, or the picker could not show). */
#define PICTAVO_NO_COLOR 0xFFFFFFFFul

/* Results of the area selector. */
#define PICTAVO_CHOSEN 1
#define PICTAVO_CANCELLED 2

/* Area selector modes. */
#define PICTAVO_AREA_FIXED 0 /* the given area follows the mouse; a left click accepts it */
#define PICTAVO_AREA_NEW 1   /* the user drags out a new area */

/* ---- Captures: a new image, or NULL when nothing was captured (cancelled, failed, bad argument). ---- */

/* The monitor under the mouse cursor. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_full_screen(int with_cursor);
/* The foreground window; the whole screen when it cannot be captured. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_active_window(int with_cursor);
/* A window the user picks on the frozen screen. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_window_object(int with_cursor);
/* A region the user selects in one of the PICTAVO_SHAPE_ shapes; any other code gives NULL. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_shape_region(int with_cursor, int shape);
/* A region of width x height pixels that the user places. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_fixed_region(int with_cursor, int width, int height);
/* The window under the cursor, normally an open popup menu, with the open submenus beside it; transparent
 * around them. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_menu_object(int with_cursor);
/* A window the user picks, scrolled to its end and stitched. Both directions set: the direction its scroll
 * bar offers; neither: one copy of its client area, not scrolled. The delay (from each scroll step to its
 * copy) is at most INT_MAX. The flags and the delay are kept for later scrolling captures. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_scroll_window(int horizontal, int vertical, unsigned long delay_ms);
/* The same with the focus window of the foreground window, without a pick. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_active_scroll_window(int horizontal, int vertical,
                                                                   unsigned long delay_ms);
/* A plain screen copy of one window as it shows on the screen. */
PICTAVO_API BITMAPINFOHEADER* pictavo_capture_window(HWND window, int with_cursor);
/* Gives back an image returned by this library; NULL is allowed. */
PICTAVO_API void pictavo_release_image(BITMAPINFOHEADER* image);

/* ---- Colour picker ---- */

/* The COLORREF (0x00BBGGRR) of the primary-screen pixel where the user clicks or presses Escape. */
PICTAVO_API unsigned long pictavo_pick_screen_color(void);

/* ---- Selections without an image: 1 and the choice, or 0 when nothing was chosen. ---- */

/* A rectangle the user drags, relative to the top-left corner of the virtual screen. */
PICTAVO_API int pictavo_select_region(RECT* region);
/* A rectangle of width x height pixels that the user places, relative to the virtual screen's corner. */
PICTAVO_API int pictavo_select_fixed_region(int width, int height, RECT* region);
/* The window the user picks (the innermost child under the pointer, or the top-level window); NULL when none. */
PICTAVO_API HWND pictavo_select_window(void);

/* ---- Window queries ---- */

/* The deepest visible window under a screen point, searched from start (usually GetDesktopWindow()),
 * skipping ignore (may be NULL). NULL when start is not a window. */
PICTAVO_API HWND pictavo_window_from_point(HWND start, POINT point, HWND ignore);
/* 1 when the window lies below the taskbar in z-order. */
PICTAVO_API int pictavo_is_behind_taskbar(HWND window);
/* 1 when a copy of the window is clipped to the work area. */
PICTAVO_API int pictavo_is_window_on_work_area(HWND window);
/* The window's rectangle clipped to its window region's box; 0 when it is not a window. */
PICTAVO_API int pictavo_get_window_bound_rectangle(HWND window, RECT* bounds);
/* The nearest topmost window among the window and its parents; NULL when none. */
PICTAVO_API HWND pictavo_get_top_most_level_parent_window(HWND window);
/* A bottom-up DIB section that the caller deletes with DeleteObject. Bits per pixel 1, 4, 8, 16, 24 or 32;
 * compression BI_RGB, or BI_BITFIELDS with 16 or 32 bits and three masks. */
PICTAVO_API HBITMAP pictavo_create_dib_bitmap(int width, int height, int bits_per_pixel, unsigned long compression,
                                              const unsigned long* masks);
/* The menu handle kept for the host (not read by the library). */
PICTAVO_API void pictavo_set_capture_menu(HMENU menu);
PICTAVO_API HMENU pictavo_get_capture_menu(void);

/* ---- Recording-area selector: create, choose, read the area, destroy, all on one thread. ---- */

typedef struct pictavo_area_selector pictavo_area_selector;
/* PICTAVO_AREA_FIXED moves an area of the given one's size (area required, not empty);
 * PICTAVO_AREA_NEW lets the user drag a new one (area may be NULL). */
PICTAVO_API pictavo_area_selector* pictavo_area_selector_create(int mode, const RECT* area);
/* Freezes the screen, shows the selector and runs it: PICTAVO_CHOSEN, PICTAVO_CANCELLED, or 0 when it
 * could not be shown. A click without a drag, or a drag along one row or column, chooses nothing
 * (PICTAVO_CANCELLED). */
PICTAVO_API int pictavo_area_selector_choose(pictavo_area_selector* selector);
/* The area chosen by the last pictavo_area_selector_choose; 0 when none was chosen. */
PICTAVO_API int pictavo_area_selector_get_area(pictavo_area_selector* selector, RECT* area);
PICTAVO_API void pictavo_area_selector_destroy(pictavo_area_selector* selector);

/* ---- Flashing frame around an area: a thin frame or four corner brackets, blinking every 100 ms while
 * the caller's thread pumps messages. Create, start, stop, destroy, all on one thread. ---- */

typedef struct pictavo_flashing_frame pictavo_flashing_frame;
/* A hidden frame around a non-empty area; thin != 0 for the thin frame. */
PICTAVO_API pictavo_flashing_frame* pictavo_flashing_frame_create(const RECT* area, int thin);
/* Shows the frame without activating it and starts the blinking. */
PICTAVO_API int pictavo_flashing_frame_start(pictavo_flashing_frame* frame);
/* Stops the blinking; the frame stays shown, unflashed. */
PICTAVO_API int pictavo_flashing_frame_stop(pictavo_flashing_frame* frame);
/* While movable, the user may drag the frame elsewhere; off at creation. */
PICTAVO_API int pictavo_flashing_frame_set_movable(pictavo_flashing_frame* frame, int movable);
/* The area the frame marks now (it moves when the user drags it). */
PICTAVO_API int pictavo_flashing_frame_get_area(pictavo_flashing_frame* frame, RECT* area);
PICTAVO_API void pictavo_flashing_frame_destroy(pictavo_flashing_frame* frame);

/* ---- Image helpers ---- */

/* Writes a 32-bit image as a PNG with its alpha channel, whatever its height. 1 on success. */
PICTAVO_API int pictavo_save_png(const BITMAPINFOHEADER* image, const wchar_t* path);
/* Puts the image on the clipboard as CF_DIB. 1 on success. */
PICTAVO_API int pictavo_copy_to_clipboard(const BITMAPINFOHEADER* image);

#ifdef __cplusplus
}
#endif

#endif /* PICTAVO_H */
