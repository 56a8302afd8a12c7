#include "windows/ScreenCopy.h"

#include <algorithm>
#include <vector>

#include "GdiplusHandles.h"
#include "capture/Capture.h"
#include "capture/DibBitmap.h"
#include "pixels/PixelRows.h"
#include "windows/GdiplusNew.h"
#include "windows/Rectangles.h"
#include "windows/ScreenGeometry.h"

namespace ScreenGeometry {
namespace {

// The screen is read in bands of about this many bytes, each converted into the image while it is still
// in the cache. One large read costs more than the image itself: every read needs a buffer of its size,
// and a large one is new memory each time.
constexpr int kBandBytes = 256 * 1024;

// A top-down 32-bit DIB section; bits receives its pixels.
qel::UniqueHbitmap BandSection(HDC screen, int width, int rows, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -rows, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return qel::UniqueHbitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

// The monitors' parts of r, in r's coordinates.
std::vector<RECT> MonitorAreas(const MonitorList& monitors, const Gdiplus::Rect& r) {
    std::vector<RECT> areas;
    for (const MonitorEntry& m : monitors) {
        Gdiplus::Rect area(m.bounds.X - r.X, m.bounds.Y - r.Y, m.bounds.Width, m.bounds.Height);
        if (area.Intersect(Gdiplus::Rect(0, 0, r.Width, r.Height)))
            areas.push_back(RECT{area.X, area.Y, area.GetRight(), area.GetBottom()});
    }
    return areas;
}

// The columns of row y that lie on a monitor, sorted and disjoint.
void MonitorSpans(const std::vector<RECT>& areas, int y, std::vector<PixelRows::Span>& spans) {
    spans.clear();
    for (const RECT& a : areas) {
        if (a.top <= y && y < a.bottom) spans.push_back(PixelRows::Span{a.left, a.right});
    }
    std::sort(spans.begin(), spans.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // Monitors do not overlap; should two anyway, their union is kept.
    size_t kept = 0;
    for (const PixelRows::Span& span : spans) {
        if (kept && span.first <= spans[kept - 1].last)
            spans[kept - 1].last = std::max(spans[kept - 1].last, span.last);
        else
            spans[kept++] = span;
    }
    spans.resize(kept);
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
    const MonitorList& monitors = ListMonitors();
    // With part of r on no monitor the image carries alpha: those pixels are transparent.
    const bool covered = CoveredByMonitors(monitors, r);
    UniqueDib dib(QelImageTransform::CDIB32::CreateBlank32BitsDIB(r.Width, r.Height));
    if (!dib) return nullptr;
    std::unique_ptr<DibBitmap> image =
        qel::NewGdiplus<DibBitmap>(std::move(dib), covered ? PixelFormat32bppRGB : PixelFormat32bppARGB);
    if (!image) return nullptr;

    qel::WindowDc screen(::GetDesktopWindow());
    if (!screen) return nullptr;
    qel::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
    if (!memory) return nullptr;
    const int rows = std::clamp(kBandBytes / 4 / r.Width, 1, r.Height);
    void* bits = nullptr;
    qel::UniqueHbitmap band = BandSection(screen.get(), r.Width, rows, &bits);
    if (!band) return nullptr;
    qel::SelectScope select(memory.get(), band.get());

    const Gdiplus::Rect virtualScreen = VirtualScreenBounds();
    const std::vector<RECT> areas = covered ? std::vector<RECT>() : MonitorAreas(monitors, r);
    std::vector<PixelRows::Span> spans;
    for (int top = 0; top < r.Height; top += rows) {
        const Gdiplus::Rect part(r.X, r.Y + top, r.Width, std::min(rows, r.Height - top));
        // Only the part on the screen is copied: some X servers fail the whole copy, leaving it black,
        // when the source reaches past the screen. CAPTUREBLT brings layered windows along.
        Gdiplus::Rect onScreen = virtualScreen;
        if (onScreen.Intersect(part)) {
            ::BitBlt(memory.get(), onScreen.X - part.X, onScreen.Y - part.Y, onScreen.Width, onScreen.Height,
                     screen.get(), onScreen.X, onScreen.Y, SRCCOPY | CAPTUREBLT);
        }
        if (cursorSource) DrawCursor(memory.get(), *cursorSource, part);
        ::GdiFlush();  // the band's pixels are read directly
        for (int y = 0; y < part.Height; ++y) {
            uint32_t* row = image->Row(top + y);
            PixelRows::OpaqueFromBgrx32(static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * r.Width * 4, row,
                                        r.Width);
            if (covered) continue;
            MonitorSpans(areas, top + y, spans);
            PixelRows::KeepOnlySpans(row, r.Width, spans.data(), spans.size());
        }
    }
    return image;
}

}  // namespace ScreenGeometry
