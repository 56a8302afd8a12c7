// The C interface: each function checks its arguments, calls the exported classes and turns their
// results into plain C values. Nothing is captured here.
#include <pictavo.h>

#include <QelPictavoDll.h>

#include <memory>
#include <new>

#include "module/CallThread.h"

namespace {

// What a host reaches of the protected window copy: a derived class, as in an application.
class CApiUtil : public CPictavoUtil {
public:
    using CPictavoUtil::DoCaptureFromWnd;
};

// Runs a call of the classes; an exception becomes the failure value.
template <class T, class F> T Guarded(T failure, F&& call) noexcept {
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

// The class also takes 0 and 4 as a rectangle; the C interface offers only the named shapes.
bool IsShapeCode(int shape) {
    switch (shape) {
        case PICTAVO_SHAPE_RECTANGLE:
        case PICTAVO_SHAPE_ELLIPSE:
        case PICTAVO_SHAPE_ROUNDED:
        case PICTAVO_SHAPE_POLYGON:
        case PICTAVO_SHAPE_FREEHAND:
            return true;
        default:
            return false;
    }
}

bool HasArea(const RECT* r) { return r && r->right > r->left && r->bottom > r->top; }

int GiveRect(const CRect& r, RECT* out) {
    if (r.Width() <= 0 || r.Height() <= 0) {
        *out = RECT{0, 0, 0, 0};
        return 0;
    }
    *out = r;
    return 1;
}

}  // namespace

// The selector's rectangles count both edges; the C interface keeps Win32's convention.
struct pictavo_area_selector {
    eRecordType mode;
    CRect area;  // both edges counted
    RECT chosen{0, 0, 0, 0};
    bool hasChoice = false;
};

struct pictavo_flashing_frame {
    CFlashingWnd wnd;
};

extern "C" {

BITMAPINFOHEADER* pictavo_capture_full_screen(int with_cursor) {
    return Guarded<BITMAPINFOHEADER*>(nullptr, [&] { return CPictavoUtil().CaptureFullScreen(with_cursor); });
}

BITMAPINFOHEADER* pictavo_capture_active_window(int with_cursor) {
    return Guarded<BITMAPINFOHEADER*>(nullptr, [&] { return CPictavoUtil().CaptureActiveWindow(with_cursor); });
}

BITMAPINFOHEADER* pictavo_capture_window_object(int with_cursor) {
    return Guarded<BITMAPINFOHEADER*>(nullptr, [&] { return CPictavoUtil().CaptureWindowObject(with_cursor); });
}

BITMAPINFOHEADER* pictavo_capture_shape_region(int with_cursor, int shape) {
    if (!IsShapeCode(shape)) return nullptr;
    return Guarded<BITMAPINFOHEADER*>(nullptr, [&] { return CPictavoUtil().CaptureShapeRegion(with_cursor, shape); });
}

BITMAPINFOHEADER* pictavo_capture_fixed_region(int with_cursor, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    return Guarded<BITMAPINFOHEADER*>(nullptr,
                                      [&] { return CPictavoUtil().CaptureFixedRegion(with_cursor, 0, width, height); });
}

BITMAPINFOHEADER* pictavo_capture_menu_object(int with_cursor) {
    return Guarded<BITMAPINFOHEADER*>(nullptr, [&] { return CPictavoUtil().CaptureMenuObject(with_cursor); });
}

BITMAPINFOHEADER* pictavo_capture_scroll_window(int horizontal, int vertical, unsigned long delay_ms) {
    return Guarded<BITMAPINFOHEADER*>(
        nullptr, [&] { return CPictavoUtil().CaptureScrollWindow(horizontal, vertical, delay_ms); });
}

BITMAPINFOHEADER* pictavo_capture_active_scroll_window(int horizontal, int vertical, unsigned long delay_ms) {
    return Guarded<BITMAPINFOHEADER*>(
        nullptr, [&] { return CPictavoUtil().CaptureActiveScrollWindow(horizontal, vertical, delay_ms); });
}

BITMAPINFOHEADER* pictavo_capture_window(HWND window, int with_cursor) {
    if (!::IsWindow(window)) return nullptr;
    return Guarded<BITMAPINFOHEADER*>(nullptr, [&] {
        // A wrapper of our own: FromHandle's temporary would stay until an idle time that a host
        // without the framework never has.
        CWnd borrowed(window);
        return CApiUtil::DoCaptureFromWnd(&borrowed, with_cursor);
    });
}

unsigned long pictavo_pick_screen_color(void) {
    return Guarded<unsigned long>(PICTAVO_NO_COLOR, [] { return CPictavoUtil().PickScreenColor(); });
}

int pictavo_select_region(RECT* region) {
    if (!region) return 0;
    *region = RECT{0, 0, 0, 0};
    return Guarded(0, [&] { return GiveRect(CPictavoUtil::TokenRectangulareRegion(), region); });
}

int pictavo_select_fixed_region(int width, int height, RECT* region) {
    if (!region) return 0;
    *region = RECT{0, 0, 0, 0};
    if (width <= 0 || height <= 0) return 0;
    return Guarded(0, [&] { return GiveRect(CPictavoUtil::TokenFixedSizeRectanguluarRegion(width, height), region); });
}

HWND pictavo_select_window(void) {
    return Guarded<HWND>(nullptr, [] { return CPictavoUtil::TokenWindowObject(); });
}

HWND pictavo_window_from_point(HWND start, POINT point, HWND ignore) {
    if (!::IsWindow(start)) return nullptr;
    return Guarded<HWND>(nullptr, [&] { return CPictavoUtil::GetWindowFromPoint(start, point, ignore); });
}

int pictavo_is_behind_taskbar(HWND window) {
    if (!::IsWindow(window)) return 0;
    return Guarded(0, [&] { return CPictavoUtil::IsBehindTaskBar(window); });
}

int pictavo_is_window_on_work_area(HWND window) {
    if (!::IsWindow(window)) return 0;
    return Guarded(0, [&] { return CPictavoUtil::IsWindowOnWorkArea(window); });
}

int pictavo_get_window_bound_rectangle(HWND window, RECT* bounds) {
    if (!bounds) return 0;
    *bounds = RECT{0, 0, 0, 0};
    if (!::IsWindow(window)) return 0;
    return Guarded(0, [&] {
        *bounds = CPictavoUtil::GetWindowBoundRectangle(window);
        return 1;
    });
}

HWND pictavo_get_top_most_level_parent_window(HWND window) {
    if (!::IsWindow(window)) return nullptr;
    return Guarded<HWND>(nullptr, [&] { return CPictavoUtil::GetTopMostLevelParentWindow(window); });
}

HBITMAP pictavo_create_dib_bitmap(int width, int height, int bits_per_pixel, unsigned long compression,
                                  const unsigned long* masks) {
    return Guarded<HBITMAP>(nullptr, [&] {
        return CPictavoUtil::CreateDIBBitmap(width, height, bits_per_pixel, compression, masks);
    });
}

void pictavo_set_capture_menu(HMENU menu) { CPictavoUtil::SetCaptureMenu(menu); }

HMENU pictavo_get_capture_menu(void) { return CPictavoUtil::g_hCaptureMenu; }

pictavo_area_selector* pictavo_area_selector_create(int mode, const RECT* area) {
    if (mode == PICTAVO_AREA_NEW) {
        return new (std::nothrow) pictavo_area_selector{eRecordNewArea, CRect(0, 0, 0, 0)};
    }
    if (mode != PICTAVO_AREA_FIXED || !HasArea(area)) return nullptr;
    return new (std::nothrow)
        pictavo_area_selector{eRecordFixedArea, CRect(area->left, area->top, area->right - 1, area->bottom - 1)};
}

int pictavo_area_selector_choose(pictavo_area_selector* selector) {
    if (!selector) return 0;
    selector->hasChoice = false;
    qel::CallThread thread;
    return Guarded(0, [&] {
        // A window per choice: the selector's window is made for one run of its loop.
        auto wnd = std::make_unique<CMouseCaptureWnd>(selector->mode, selector->area);
        if (!wnd->CreateShiftWindow()) return 0;
        const int result = wnd->RunModalLoop();
        const CRect area = wnd->GetCaptureArea();
        wnd->DestroyWindow();
        if (result != PICTAVO_CHOSEN || area.IsRectEmpty()) return PICTAVO_CANCELLED;
        selector->chosen = RECT{area.left, area.top, area.right + 1, area.bottom + 1};
        selector->hasChoice = true;
        return PICTAVO_CHOSEN;
    });
}

int pictavo_area_selector_get_area(pictavo_area_selector* selector, RECT* area) {
    if (!area) return 0;
    *area = RECT{0, 0, 0, 0};
    if (!selector || !selector->hasChoice) return 0;
    *area = selector->chosen;
    return 1;
}

void pictavo_area_selector_destroy(pictavo_area_selector* selector) { delete selector; }

pictavo_flashing_frame* pictavo_flashing_frame_create(const RECT* area, int thin) {
    if (!HasArea(area)) return nullptr;
    return Guarded<pictavo_flashing_frame*>(nullptr, [&]() -> pictavo_flashing_frame* {
        std::unique_ptr<pictavo_flashing_frame> frame(new (std::nothrow) pictavo_flashing_frame);
        RECT r = *area;
        if (!frame || !frame->wnd.CreateFlashing(L"", r, thin)) return nullptr;
        return frame.release();
    });
}

int pictavo_flashing_frame_start(pictavo_flashing_frame* frame) {
    if (!frame || !::IsWindow(frame->wnd.GetSafeHwnd())) return 0;
    return Guarded(0, [&] {
        frame->wnd.ShowWindow(SW_SHOWNOACTIVATE);
        frame->wnd.StartFlashing();
        return 1;
    });
}

int pictavo_flashing_frame_stop(pictavo_flashing_frame* frame) {
    if (!frame || !::IsWindow(frame->wnd.GetSafeHwnd())) return 0;
    return Guarded(0, [&] {
        frame->wnd.StopFlashing();
        return 1;
    });
}

int pictavo_flashing_frame_set_movable(pictavo_flashing_frame* frame, int movable) {
    if (!frame || !::IsWindow(frame->wnd.GetSafeHwnd())) return 0;
    frame->wnd.SetMovable(movable != 0);
    return 1;
}

int pictavo_flashing_frame_get_area(pictavo_flashing_frame* frame, RECT* area) {
    if (!area) return 0;
    *area = RECT{0, 0, 0, 0};
    if (!frame) return 0;
    *area = frame->wnd.Rect();
    return 1;
}

void pictavo_flashing_frame_destroy(pictavo_flashing_frame* frame) {
    if (!frame) return;
    Guarded(0, [&] {
        frame->wnd.DestroyWindow();
        return 0;
    });
    delete frame;
}

}  // extern "C"
