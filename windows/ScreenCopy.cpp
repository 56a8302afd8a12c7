#include "windows/ScreenCopy.h"

#include <cstring>

#include "GdiplusHandles.h"
#include "capture/Capture.h"
#include "capture/ImageHelpers.h"
#include "windows/Rectangles.h"
#include "windows/ScreenGeometry.h"

namespace ScreenGeometry {
namespace {

// Copies area (in both images' coordinates) from a screen shot into a 32-bit ARGB image.
void CopyArea(Gdiplus::Bitmap* from, Gdiplus::Bitmap* to, const Gdiplus::Rect& area) {
    qel::BitmapBitsLock source(from, area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    qel::BitmapBitsLock target(to, area, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB);
    if (!source.ok() || !target.ok()) return;
    const size_t rowBytes = static_cast<size_t>(area.Width) * 4;
    for (int y = 0; y < area.Height; ++y) {
        std::memcpy(target.scan0() + static_cast<ptrdiff_t>(y) * target.data().Stride,
                    source.scan0() + static_cast<ptrdiff_t>(y) * source.data().Stride, rowBytes);
    }
}

}  // namespace

ICapture* CaptureCursor(ICapture* capture) {
    std::unique_ptr<ICapture> created;
    if (!capture) {
        created = std::make_unique<Capture>();
        capture = created.get();
    }
    CURSORINFO info{};
    info.cbSize = sizeof(info);
    // A hidden or suppressed cursor (flags other than exactly showing) is not captured.
    if (::GetCursorInfo(&info) && info.flags == CURSOR_SHOWING) {
        qel::UniqueHicon copy(::CopyIcon(info.hCursor));
        qel::IconInfo icon(copy.get());
        if (icon.ok) {
            const POINT position = CursorPosition();
            capture->SetCursorLocation(POINT{position.x - static_cast<LONG>(icon.info.xHotspot),
                                             position.y - static_cast<LONG>(icon.info.yHotspot)});
            capture->SetCursor(copy.get());
        }
    }
    return created ? created.release() : capture;
}

ICapture* CaptureRectangle(ICapture* capture, const Gdiplus::Rect& r) {
    std::unique_ptr<ICapture> created;
    if (!capture) {
        created = std::make_unique<Capture>();
        capture = created.get();
    }
    ICapture* cursorSource = capture->IsCursorVisible() ? capture : nullptr;
    capture->SetImage(CopyScreenRectangle(cursorSource, r).release());
    capture->SetLocation(POINT{r.X, r.Y});
    if (!capture->GetImage()) return nullptr;
    return created ? created.release() : capture;
}

SIZE CursorImageSize(HICON cursor) {
    qel::IconInfo icon(cursor);
    BITMAP mask{};
    if (icon.ok && icon.mask && ::GetObjectW(icon.mask.get(), sizeof(mask), &mask) == sizeof(mask)) {
        // A monochrome cursor's mask holds the AND and XOR halves one above the other.
        return SIZE{mask.bmWidth, icon.color ? mask.bmHeight : mask.bmHeight / 2};
    }
    return SIZE{::GetSystemMetrics(SM_CXCURSOR), ::GetSystemMetrics(SM_CYCURSOR)};
}

void DrawCursor(HDC dc, const ICapture& cursorSource, const Gdiplus::Rect& captured) {
    const HICON cursor = cursorSource.GetCursor();
    if (!cursor) return;
    const SIZE size = CursorImageSize(cursor);
    const POINT at = cursorSource.GetCursorLocation();
    if (!Rects::Overlaps(captured, Gdiplus::Rect(at.x, at.y, size.cx, size.cy))) return;
    ::DrawIconEx(dc, at.x - captured.X, at.y - captured.Y, cursor, 0, 0, 0, nullptr,
                 DI_NORMAL | DI_COMPAT | DI_DEFAULTSIZE);
}

std::unique_ptr<Gdiplus::Bitmap> CopyScreenRectangle(ICapture* cursorSource, const Gdiplus::Rect& r) {
    if (r.Width <= 0 || r.Height <= 0 || !qel::EnsureGdiplus()) return nullptr;

    qel::UniqueHbitmap section;
    {
        qel::WindowDc screen(::GetDesktopWindow());
        if (!screen) return nullptr;
        qel::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
        if (!memory) return nullptr;

        BITMAPINFO info{};
        BITMAPINFOHEADER& header = info.bmiHeader;
        header.biSize = sizeof(header);
        header.biWidth = r.Width;
        header.biHeight = r.Height;  // bottom-up
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biCompression = BI_RGB;
        void* bits = nullptr;
        section.reset(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!section) return nullptr;

        qel::SelectScope select(memory.get(), section.get());
        // Only the part on the screen is copied: some X servers fail the whole copy, leaving it black,
        // when the source reaches past the screen. CAPTUREBLT brings layered windows along.
        Gdiplus::Rect onScreen = VirtualScreenBounds();
        if (onScreen.Intersect(r)) {
            ::BitBlt(memory.get(), onScreen.X - r.X, onScreen.Y - r.Y, onScreen.Width, onScreen.Height, screen.get(),
                     onScreen.X, onScreen.Y, SRCCOPY | CAPTUREBLT);
        }
        if (cursorSource) DrawCursor(memory.get(), *cursorSource, r);
    }

    std::unique_ptr<Gdiplus::Bitmap> shot(Gdiplus::Bitmap::FromHBITMAP(section.get(), nullptr));
    if (!shot || shot->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const MonitorList& monitors = ListMonitors();
    if (CoveredByMonitors(monitors, r)) return shot;

    // Part of r lies on no monitor: only the monitors' pixels are kept, the rest stays transparent.
    std::unique_ptr<Gdiplus::Bitmap> result(ImageHelpers::CreateEmptyBitmap(
        r.Width, r.Height, PixelFormat32bppARGB, nullptr, shot->GetHorizontalResolution(),
        shot->GetVerticalResolution()));
    if (!result || result->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const Gdiplus::Rect whole(0, 0, r.Width, r.Height);
    for (const MonitorEntry& m : monitors) {
        Gdiplus::Rect area(m.bounds.X - r.X, m.bounds.Y - r.Y, m.bounds.Width, m.bounds.Height);
        if (area.Intersect(whole)) CopyArea(shot.get(), result.get(), area);
    }
    return result;
}

}  // namespace ScreenGeometry
