// The plain screen copy of one window and the DIB-section maker of the capture interface.
#include <QelPictavo/PictavoUtil.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "Handles.h"
#include "capture/Dib.h"

using QelImageTransform::CBitmapConverter;
using QelImageTransform::CDIB32;

namespace {

// The cursor of the thread that owns the window under it; GetCursor answers only for the caller's
// input state, so that thread's input is attached for the question.
HCURSOR CursorUnderPointer(POINT* position) {
    if (!::GetCursorPos(position)) return nullptr;
    const DWORD owner = ::GetWindowThreadProcessId(::WindowFromPoint(*position), nullptr);
    const DWORD self = ::GetCurrentThreadId();
    if (!owner || owner == self) return ::GetCursor();
    ::AttachThreadInput(self, owner, TRUE);
    HCURSOR cursor = ::GetCursor();
    ::AttachThreadInput(self, owner, FALSE);
    return cursor;
}

// The area a window copy is clipped to: the work area below the taskbar, else the whole screen. On the
// primary monitor these are the system's work area and screen size; a window on another monitor is
// clipped to that monitor's, so it is copied too rather than clipped away.
RECT CopyClip(HWND wnd) {
    const bool workArea = CPictavoUtil::IsWindowOnWorkArea(wnd) != 0;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromWindow(wnd, MONITOR_DEFAULTTOPRIMARY), &info) &&
        !(info.dwFlags & MONITORINFOF_PRIMARY))
        return workArea ? info.rcWork : info.rcMonitor;
    RECT clip{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (workArea) ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &clip, 0);
    return clip;
}

bool HasRegion(int regionType) { return regionType != ERROR && regionType != NULLREGION; }

// A bottom-up section the system can describe: a known depth and compression, masks for bit fields, and
// rows whose total size fits the header's 32-bit image size.
bool IsSectionRequest(int width, int height, int bits, unsigned long compression, const unsigned long* masks) {
    if (width <= 0 || height <= 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression == BI_BITFIELDS) {
        if (!masks || (bits != 16 && bits != 32)) return false;
    } else if (compression != BI_RGB) {
        return false;
    }
    const long long stride = (static_cast<long long>(width) * bits + 31) / 32 * 4;
    return stride * height <= INT_MAX;
}

}  // namespace

BITMAPINFOHEADER* CPictavoUtil::DoCaptureFromWnd(CWnd* wndObject, int withCursor) {
    HWND wnd = wndObject ? wndObject->GetSafeHwnd() : nullptr;
    if (!::IsWindow(wnd)) return nullptr;
    POINT cursorPos{};
    HCURSOR cursor = withCursor ? CursorUnderPointer(&cursorPos) : nullptr;

    qel::WindowDc screen(::GetDesktopWindow());
    if (!screen) return nullptr;
    RECT rect{};
    ::GetWindowRect(wnd, &rect);
    const RECT clip = CopyClip(wnd);
    ::IntersectRect(&rect, &rect, &clip);

    qel::UniqueHrgn region(::CreateRectRgn(0, 0, 0, 0));
    RECT windowRect{};
    ::GetWindowRect(wnd, &windowRect);
    if (region && HasRegion(::GetWindowRgn(wnd, region.get()))) {
        ::OffsetRgn(region.get(), windowRect.left, windowRect.top);
        RECT box;
        ::GetRgnBox(region.get(), &box);
        ::IntersectRect(&rect, &rect, &box);
        qel::UniqueHrgn clipRegion(::CreateRectRgnIndirect(&rect));
        ::CombineRgn(region.get(), region.get(), clipRegion.get(), RGN_AND);
    } else {
        region.reset();
    }

    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int depth = ::GetDeviceCaps(screen.get(), PLANES) * ::GetDeviceCaps(screen.get(), BITSPIXEL);
    if (depth < 24) depth = 24;
    qel::UniqueHbitmap section(CreateDIBBitmap(width, height, depth, BI_RGB, nullptr));
    if (!section) return nullptr;
    {
        qel::UniqueHdc memory(::CreateCompatibleDC(nullptr));
        if (!memory) return nullptr;
        qel::SelectScope select(memory.get(), section.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
        qel::IconInfo info(cursor);
        if (info.ok) {
            ::DrawIconEx(memory.get(), cursorPos.x - static_cast<int>(info.info.xHotspot) - rect.left,
                         cursorPos.y - static_cast<int>(info.info.yHotspot) - rect.top, cursor, 0, 0, 0, nullptr,
                         DI_NORMAL | DI_COMPAT | DI_DEFAULTSIZE);
        }
    }
    UniqueDib dib(CBitmapConverter::ConvertDDBToDIB(section.get()));
    section.reset();
    if (!dib) return nullptr;
    if (dib->biBitCount != 32) {
        dib.reset(CDIB32::ConvertTo32BitsDIB(dib.get(), nullptr, 255, 0));
        if (!dib) return nullptr;
    }
    const RECT all{0, 0, dib->biWidth, dib->biHeight};
    if (region) {
        // Outside a shaped window nothing of it was copied: make that part transparent whatever
        // alpha the copy and conversion left there.
        ::OffsetRgn(region.get(), -rect.left, -rect.top);
        CDIB32::Fill32DIBOpacityArea(dib.get(), all, 0);
        CDIB32::Fill32DIBOpacityArea(dib.get(), region.get(), 255);
    } else {
        CDIB32::Fill32DIBOpacityArea(dib.get(), all, 255);
    }
    return dib.release();
}

BITMAPINFOHEADER* CPictavoUtil::DoCaptureFromClientArea(CWnd*, int) { return nullptr; }

HBITMAP CPictavoUtil::CreateDIBBitmap(int width, int height, int bitsPerPixel, unsigned long compression,
                                      const unsigned long* masks) {
    if (!IsSectionRequest(width, height, bitsPerPixel, compression, masks)) return nullptr;
    // Room for 256 colour entries, all zero: a low-depth section starts with a black palette.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = compression;
    if (bitsPerPixel > 8 && compression == BI_BITFIELDS) {
        if (!masks) return nullptr;
        auto* slots = reinterpret_cast<DWORD*>(info.colors);
        for (int i = 0; i < 3; ++i) slots[i] = masks[i];
    }
    void* bits = nullptr;
    return ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
}
