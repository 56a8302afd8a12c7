// Window-geometry queries of the capture interface.
#include <QelPictavo/PictavoUtil.h>

#include "Handles.h"

namespace {

bool HasRegion(int regionType) { return regionType != ERROR && regionType != NULLREGION; }

// Whether target lies below start in z-order (start itself excluded).
bool IsBelowInZOrder(HWND start, HWND target) {
    for (HWND w = ::GetWindow(start, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
        if (w == target) return true;
    return false;
}

}  // namespace

HWND CPictavoUtil::GetWindowFromPoint(HWND start, const POINT& pt, HWND ignore) {
    // A null start would search the desktop's children and answer for a window not asked about.
    if (!::IsWindow(start)) return nullptr;
    HWND child = ::GetTopWindow(start);
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child) || child == ignore) continue;
        RECT rc;
        if (!::GetWindowRect(child, &rc) || !::PtInRect(&rc, pt)) continue;
        qel::UniqueHrgn region(::CreateRectRgn(0, 0, 0, 0));
        if (region && HasRegion(::GetWindowRgn(child, region.get())) &&
            !::PtInRegion(region.get(), pt.x - rc.left, pt.y - rc.top))
            continue;
        return GetWindowFromPoint(child, pt, ignore);
    }
    return start;
}

int CPictavoUtil::IsBehindTaskBar(HWND wnd) {
    if (!::IsWindow(wnd)) return 0;
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar || taskbar == wnd) return 0;
    return IsBelowInZOrder(taskbar, wnd) ? 1 : 0;
}

int CPictavoUtil::IsWindowOnWorkArea(HWND wnd) {
    if (!::IsWindow(wnd) || wnd == ::GetDesktopWindow()) return 0;
    HWND topmost = GetTopMostLevelParentWindow(wnd);
    if (!topmost) return 1;
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (topmost == taskbar || !taskbar) return 0;
    // A topmost window above the taskbar may cover it and is copied against the whole screen.
    return IsBelowInZOrder(taskbar, topmost) ? 1 : 0;
}

RECT CPictavoUtil::GetWindowBoundRectangle(HWND wnd) {
    RECT rect{};
    ::GetWindowRect(wnd, &rect);
    qel::UniqueHrgn region(::CreateRectRgn(0, 0, 0, 0));
    if (region && HasRegion(::GetWindowRgn(wnd, region.get()))) {
        RECT box;
        ::GetRgnBox(region.get(), &box);
        ::OffsetRect(&box, rect.left, rect.top);
        ::IntersectRect(&rect, &rect, &box);
    }
    return rect;
}

HWND CPictavoUtil::GetTopMostLevelParentWindow(HWND wnd) {
    for (HWND w = wnd; w; w = ::GetParent(w))
        if (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) return w;
    return nullptr;
}
