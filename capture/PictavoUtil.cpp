// The exported capture interface: each member runs one capture to its end on the caller's thread. The
// interactive ones hold a CallThread for their overlays' modal loops.
#include <QelPictavo/PictavoUtil.h>

#include <climits>
#include <cwchar>

#include "Handles.h"
#include "capture/CaptureSession.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "module/CallThread.h"
#include "scrolling/ScrollCapture.h"
#include "selection/CatchFixedRgnScreenWnd.h"
#include "selection/CatchPolygonScreenWnd.h"

using QelImageTransform::CBitmapCreator;
using QelImageTransform::CDIB32;

HMENU CPictavoUtil::g_hCaptureMenu = nullptr;

CPictavoUtil::CPictavoUtil() = default;
CPictavoUtil::~CPictavoUtil() = default;
CPictavoUtil& CPictavoUtil::operator=(const CPictavoUtil&) { return *this; }

namespace {

// 0 and 4 select a plain rectangle as 1 does; the codes beyond are refused before anything shows.
bool IsShapeCode(int shape) { return shape >= 0 && shape <= 6; }

// The settings keep a delay as an int.
bool IsDelay(unsigned long ms) { return ms <= static_cast<unsigned long>(INT_MAX); }

BITMAPINFOHEADER* RunSession(CaptureMode mode, int withCursor, int shape = 1) {
    CaptureSession session(mode);
    session.SetCursorFlag(withCursor != 0);
    session.SetSelectionShape(shape);
    return session.RunCapture();
}

bool SameClass(HWND wnd, const wchar_t* className) {
    wchar_t name[1024] = L"";
    ::GetClassNameW(wnd, name, 1023);
    return std::wcscmp(name, className) == 0;
}

// Runs a shape window once, takes its image when the shape was confirmed, and destroys the window.
BITMAPINFOHEADER* RunShapeWindow(CCatchScreenWnd& window) {
    BITMAPINFOHEADER* image = window.RunForm() == 1 ? window.GetResult() : nullptr;
    window.DestroyWindow();
    return image;
}

// A sibling popup of the same menu family that touches the base rectangle horizontally, as an open
// submenu does on either side of its parent.
bool JoinsMenu(HWND sibling, const wchar_t* className, DWORD thread, const RECT& base) {
    if (!SameClass(sibling, className)) return false;
    if (!(::GetWindowLongW(sibling, GWL_STYLE) & WS_POPUP)) return false;
    if (::GetWindowThreadProcessId(sibling, nullptr) != thread || !::IsWindowVisible(sibling)) return false;
    RECT r;
    if (!::GetWindowRect(sibling, &r)) return false;
    const bool rightOfBase = r.left <= base.right && base.right - r.left < 16;
    const bool leftOfBase = r.right >= base.left && r.right - base.left < 16;
    return rightOfBase || leftOfBase;
}

}  // namespace

BITMAPINFOHEADER* CPictavoUtil::CaptureFullScreen(int withCursor) { return RunSession(CaptureModeScreen, withCursor); }

BITMAPINFOHEADER* CPictavoUtil::CaptureActiveWindow(int withCursor) {
    return RunSession(CaptureModeActiveWindow, withCursor);
}

BITMAPINFOHEADER* CPictavoUtil::CaptureWindowObject(int withCursor) {
    qel::CallThread thread;
    return RunSession(CaptureModeWindow, withCursor);
}

BITMAPINFOHEADER* CPictavoUtil::CaptureShapeRegion(int withCursor, int shape) {
    if (!IsShapeCode(shape)) return nullptr;
    qel::CallThread thread;
    try {
        if (shape == 5) {
            CCatchPolygonScreenWnd window(withCursor != 0);
            return RunShapeWindow(window);
        }
        if (shape == 6) {
            CCatchFreehandScreenWnd window(withCursor != 0);
            return RunShapeWindow(window);
        }
    } catch (...) {
        return nullptr;
    }
    return RunSession(CaptureModeRegion, withCursor, shape);
}

BITMAPINFOHEADER* CPictavoUtil::CaptureFixedRegion(int withCursor, int, int width, int height) {
    // A size of zero or less is no rectangle: nothing is shown.
    if (width <= 0 || height <= 0) return nullptr;
    qel::CallThread thread;
    try {
        CCatchFixedRgnScrrenWnd window(withCursor != 0, width, height);
        return RunShapeWindow(window);
    } catch (...) {
        return nullptr;
    }
}

BITMAPINFOHEADER* CPictavoUtil::CaptureScrollWindow(int horizontal, int vertical, unsigned long delayMs) {
    if (!IsDelay(delayMs)) return nullptr;  // refused before the kept flags and delay change
    CaptureSettings& settings = CaptureSettings::Get();
    settings.ScrollHorizontal = horizontal != 0;
    settings.ScrollVertical = vertical != 0;
    settings.ScrollDelay = static_cast<int>(delayMs);
    qel::CallThread thread;
    return RunSession(CaptureModeScrollWindow, 0);
}

BITMAPINFOHEADER* CPictavoUtil::CaptureActiveScrollWindow(int horizontal, int vertical, unsigned long delayMs) {
    if (!IsDelay(delayMs)) return nullptr;
    HWND foreground = ::GetForegroundWindow();
    if (!foreground) return nullptr;
    GUITHREADINFO info{};
    info.cbSize = sizeof(GUITHREADINFO);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(foreground, nullptr), &info)) return nullptr;
    if (!info.hwndFocus || !::IsWindow(info.hwndFocus)) return nullptr;
    qel::CallThread thread;
    try {
        ScrollCapture scroll;
        return scroll.Run(info.hwndFocus, horizontal != 0, vertical != 0, delayMs);
    } catch (...) {
        return nullptr;
    }
}

CWnd* CPictavoUtil::CreateCatchScreenWindow(BITMAPINFOHEADER*, int) { return nullptr; }

BITMAPINFOHEADER* CPictavoUtil::CaptureMenuObject(int withCursor) {
    // The session's image covers the monitor under the cursor, the one the menu is shown on.
    CaptureSession session(CaptureModeScreen);
    session.SetCursorFlag(withCursor != 0);
    UniqueDib screen(session.RunCapture());
    if (!screen) return nullptr;
    const POINT origin = session.ImageLocation();

    POINT cursor;
    ::GetCursorPos(&cursor);
    HWND menu = ::WindowFromPoint(cursor);
    if (!menu) return nullptr;
    RECT base;
    ::GetWindowRect(menu, &base);
    wchar_t className[1024] = L"";
    ::GetClassNameW(menu, className, 1023);
    const DWORD thread = ::GetWindowThreadProcessId(menu, nullptr);
    qel::UniqueHrgn region(::CreateRectRgnIndirect(&base));
    if (!region) return nullptr;
    auto join = [&](HWND sibling) {
        RECT r;
        if (JoinsMenu(sibling, className, thread, base) && ::GetWindowRect(sibling, &r)) {
            qel::UniqueHrgn part(::CreateRectRgnIndirect(&r));
            ::CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
        }
    };
    for (HWND w = ::GetWindow(menu, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) join(w);
    for (HWND w = ::GetWindow(menu, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT)) join(w);

    RECT box;
    if (::GetRgnBox(region.get(), &box) == NULLREGION) return nullptr;
    const int width = box.right - box.left, height = box.bottom - box.top;
    UniqueDib cut(CBitmapCreator::CreateDibImage(width, height, 32, 0));
    if (!cut) return nullptr;
    // Screen coordinates become image coordinates by the captured monitor's top-left corner.
    const POINT source{box.left - origin.x, box.top - origin.y};
    CDIB32::TransformBlock(cut.get(), source, screen.get(), POINT{0, 0});
    ::OffsetRgn(region.get(), -box.left, -box.top);
    const RECT all{0, 0, width, height};
    CDIB32::Fill32DIBOpacityArea(cut.get(), all, 0);
    CDIB32::Fill32DIBOpacityArea(cut.get(), region.get(), 255);
    return cut.release();
}

CRect CPictavoUtil::TokenRectangulareRegion() {
    qel::CallThread thread;
    CaptureSession session(CaptureModeRegion);
    session.SetCursorFlag(false);
    if (!session.RunSelection()) return CRect(0, 0, 0, 0);
    const Gdiplus::Rect& r = session.SelectionRectangle();
    return CRect(r.X, r.Y, r.X + r.Width, r.Y + r.Height);
}

CRect CPictavoUtil::TokenFixedSizeRectanguluarRegion(int width, int height) {
    if (width <= 0 || height <= 0) return CRect(0, 0, 0, 0);
    qel::CallThread thread;
    try {
        CCatchFixedRgnScrrenWnd window(false, width, height);
        // Confirmed before the rectangle was first placed: there is no rectangle.
        const bool placed = window.RunForm() == 1 && window.ShapePath().GetPointCount() > 0;
        window.DestroyWindow();
        if (!placed) return CRect(0, 0, 0, 0);
        const Gdiplus::Rect& r = window.CaptureRectangle();
        return CRect(r.X, r.Y, r.X + window.Width(), r.Y + window.Height());
    } catch (...) {
        return CRect(0, 0, 0, 0);
    }
}

HWND CPictavoUtil::TokenWindowObject() {
    qel::CallThread thread;
    CaptureSession session(CaptureModeWindow);
    session.SetCursorFlag(false);
    return session.RunSelection() ? session.SelectedWindowHandle() : nullptr;
}

void CPictavoUtil::SetCaptureMenu(HMENU menu) { g_hCaptureMenu = menu; }
