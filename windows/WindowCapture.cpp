#include "windows/WindowCapture.h"

#include <algorithm>

#include "GdiplusHandles.h"
#include "capture/Capture.h"
#include "capture/CaptureSettings.h"
#include "capture/ImageHelpers.h"
#include "pixels/FastBitmap.h"
#include "tools/ThumbnailWnd.h"
#include "windows/Dwm.h"
#include "windows/GdiplusNew.h"
#include "windows/MessageWaits.h"
#include "windows/OsVersion.h"
#include "windows/Rectangles.h"
#include "windows/ScreenCopy.h"
#include "windows/WindowDetails.h"

namespace WindowCapture {
namespace {

using Rects::Bottom;
using Rects::Grown;
using Rects::Intersection;
using Rects::Right;

SIZE WindowBorders(HWND wnd) {
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetWindowInfo(wnd, &info)) return SIZE{0, 0};
    return SIZE{static_cast<LONG>(info.cxWindowBorders), static_cast<LONG>(info.cyWindowBorders)};
}

bool Permitted(const std::list<std::wstring>& excluded, const std::wstring& processPath) {
    if (processPath.empty() || excluded.empty()) return true;
    return ProductPermitted(excluded, WindowDetails::GetFileDescription(processPath));
}

// The window's shape as a GDI+ region, or null when it has none.
std::unique_ptr<Gdiplus::Region> WindowShape(HWND wnd) {
    qel::UniqueHrgn region(::CreateRectRgn(0, 0, 0, 0));
    if (!region) return nullptr;
    const int type = ::GetWindowRgn(wnd, region.get());
    if (type != SIMPLEREGION && type != COMPLEXREGION) return nullptr;
    return qel::NewGdiplus<Gdiplus::Region>(region.get());
}

// The device context of a GDI+ graphics, handed back when the scope ends.
class GraphicsDc {
public:
    explicit GraphicsDc(Gdiplus::Graphics& graphics) : graphics_(graphics), dc_(graphics.GetHDC()) {}
    GraphicsDc(const GraphicsDc&) = delete;
    GraphicsDc& operator=(const GraphicsDc&) = delete;
    ~GraphicsDc() { Release(); }
    HDC get() const { return dc_; }
    // What GDI drew reaches the bitmap only once the DC is back.
    void Release() {
        if (dc_) graphics_.ReleaseHDC(dc_);
        dc_ = nullptr;
    }

private:
    Gdiplus::Graphics& graphics_;
    HDC dc_;
};

// The thumbnail window for one capture; destroyed, then deleted, when the scope ends.
class ThumbnailWindow {
public:
    ThumbnailWindow() : wnd_(std::make_unique<CThumbnailHandleWnd>()) {
        LPCWSTR windowClass = ::AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
        if (windowClass && wnd_->CreateEx(WS_EX_TOPMOST, windowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
            wnd_->SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    }
    ThumbnailWindow(const ThumbnailWindow&) = delete;
    ThumbnailWindow& operator=(const ThumbnailWindow&) = delete;
    ~ThumbnailWindow() {
        if (wnd_->GetSafeHwnd()) wnd_->DestroyWindow();
    }
    CThumbnailHandleWnd& operator*() const { return *wnd_; }
    CThumbnailHandleWnd* operator->() const { return wnd_.get(); }

private:
    std::unique_ptr<CThumbnailHandleWnd> wnd_;
};

}  // namespace

bool ProductPermitted(const std::list<std::wstring>& excludedProducts, const std::wstring& description) {
    if (description.empty()) return true;
    return std::find(excludedProducts.begin(), excludedProducts.end(), description) == excludedProducts.end();
}

bool PointOnMonitors(const MonitorList& monitors, POINT p) {
    return std::any_of(monitors.begin(), monitors.end(), [p](const MonitorEntry& m) {
        return m.bounds.X <= p.x && p.x < Right(m.bounds) && m.bounds.Y <= p.y && p.y < Bottom(m.bounds);
    });
}

bool CornersOnMonitors(const MonitorList& monitors, const Gdiplus::Rect& r) {
    const LONG right = static_cast<LONG>(Right(r)), bottom = static_cast<LONG>(Bottom(r));
    const POINT corners[] = {{r.X, r.Y}, {right, r.Y}, {r.X, bottom}, {right, bottom}};
    return std::all_of(std::begin(corners), std::end(corners),
                       [&monitors](POINT p) { return PointOnMonitors(monitors, p); });
}

ThumbnailPlacement PlaceThumbnail(const MonitorList& monitors, const Gdiplus::Rect& windowRect) {
    if (CornersOnMonitors(monitors, windowRect)) return ThumbnailPlacement{POINT{windowRect.X, windowRect.Y}, true};
    for (const MonitorEntry& m : monitors) {
        const Gdiplus::Rect there(m.workingArea.X, m.workingArea.Y, windowRect.Width, windowRect.Height);
        if (CornersOnMonitors(monitors, there)) return ThumbnailPlacement{POINT{m.bounds.X, m.bounds.Y}, true};
    }
    return ThumbnailPlacement{POINT{windowRect.X, windowRect.Y}, false};
}

POINT PlaceMaximisedThumbnail(POINT origin, SIZE borders, bool windows8OrLater) {
    if (windows8OrLater) return origin;
    return POINT{origin.x - borders.cx, origin.y - borders.cy};
}

Gdiplus::Rect ThumbnailCaptureRectangle(POINT location, SIZE sourceSize, bool maximised, SIZE borders,
                                        bool windows10OrLater, SIZE frameGrowth) {
    const Gdiplus::Rect r(location.x, location.y, sourceSize.cx, sourceSize.cy);
    if (maximised) return Grown(r, borders.cx, borders.cy);
    if (windows10OrLater) return Grown(r, frameGrowth.cx, frameGrowth.cy);
    return r;
}

COLORREF ThumbnailBackground(DWORD colorization) {
    const DWORD red = (colorization >> 16) & 0xFF, green = (colorization >> 8) & 0xFF, blue = colorization & 0xFF;
    return RGB((red + 255) / 2, (green + 255) / 2, (blue + 255) / 2);
}

std::vector<POINT> CornerPixels(int width, int height, const std::vector<int>& rows) {
    std::vector<POINT> points;
    auto add = [&](int x, int y) {
        if (x >= 0 && x < width && y >= 0 && y < height) points.push_back(POINT{x, y});
    };
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        for (int x = 0; x < rows[y]; ++x) {
            add(x, y);
            add(width - 1 - x, y);
            add(width - 1 - x, height - 1 - y);
            add(x, height - 1 - y);
        }
    }
    return points;
}

bool PrintWindowPermitted(const std::wstring& processPath) {
    return Permitted(CaptureSettings::Get().GdiExcludedProducts, processPath);
}

bool ThumbnailCapturePermitted(const std::wstring& processPath) {
    return Permitted(CaptureSettings::Get().DwmExcludedProducts, processPath);
}

std::unique_ptr<Gdiplus::Bitmap> CapturePrintWindow(WindowDetails& window, ICapture* cursorSource) {
    if (!qel::EnsureGdiplus()) return nullptr;
    // Printing waits for the window to paint itself, without a bound: one that does not answer cannot print.
    if (!window.Answers()) return nullptr;
    const HWND wnd = window.Handle();
    const Gdiplus::Rect windowRect = window.WindowRectangle();
    const bool maximisedTopLevel = !window.ResolveParent() && window.IsMaximised();
    const SIZE borders = maximisedTopLevel ? WindowBorders(wnd) : SIZE{0, 0};
    // The record's rectangle of a maximised window leaves out the borders that reach past the
    // monitor, but the window prints them; the bitmap holds them until they are cut off below.
    const Gdiplus::Rect printed = Grown(windowRect, borders.cx, borders.cy);
    if (printed.Width <= 0 || printed.Height <= 0) return nullptr;

    std::unique_ptr<Gdiplus::Region> shape = WindowShape(wnd);
    std::unique_ptr<Gdiplus::Bitmap> bitmap = qel::NewBitmap(printed.Width, printed.Height,
                                                                     shape ? PixelFormat32bppARGB : PixelFormat24bppRGB);
    if (!bitmap) return nullptr;

    bool ok = false;
    {
        Gdiplus::Graphics graphics(bitmap.get());
        GraphicsDc dc(graphics);
        if (dc.get()) {
            ok = ::PrintWindow(wnd, dc.get(), 0) != FALSE;
            if (ok && cursorSource) ScreenGeometry::DrawCursor(dc.get(), *cursorSource, printed);
        }
        dc.Release();
        if (ok && shape && !shape->IsEmpty(&graphics)) {
            // Outside the window's shape the image is transparent.
            graphics.SetClip(shape.get(), Gdiplus::CombineModeExclude);
            graphics.Clear(Gdiplus::Color(0x00FFFFFF));
        }
        graphics.Flush();
    }
    if (!ok) return nullptr;

    if (maximisedTopLevel) {
        Gdiplus::Rect inside(borders.cx, borders.cy, printed.Width - 2 * borders.cx, printed.Height - 2 * borders.cy);
        if (auto cropped = ImageHelpers::CropImage(bitmap.get(), inside)) bitmap = std::move(cropped);
    }
    return bitmap;
}

ICapture* CaptureThumbnailWindow(WindowDetails& window, ICapture* capture) {
    if (!capture) return nullptr;
    const CaptureSettings& settings = CaptureSettings::Get();
    const HWND target = window.Handle();

    ThumbnailWindow thumbnailWnd;
    if (!thumbnailWnd->GetSafeHwnd()) return nullptr;
    // Declared after the window so that it is unregistered before the window goes, on every path.
    qel::DwmThumbnail thumbnail(thumbnailWnd->GetSafeHwnd(), target);
    SIZE source{0, 0};
    if (!thumbnail || FAILED(qel::Dwm().QueryThumbnailSourceSize(thumbnail.get(), &source)) || source.cx <= 0 ||
        source.cy <= 0)
        return nullptr;

    const Gdiplus::Rect windowRect = window.WindowRectangle();
    const bool maximised = window.IsMaximised();
    const SIZE borders = maximised ? WindowBorders(target) : SIZE{0, 0};
    ThumbnailPlacement placement{POINT{windowRect.X, windowRect.Y}, false};
    if (!maximised) {
        placement = PlaceThumbnail(ScreenGeometry::ListMonitors(), windowRect);
    } else {
        placement.location = PlaceMaximisedThumbnail(placement.location, borders, OsVersion::IsWindows8OrLater());
    }
    thumbnailWnd->SetWindowPos(&CWnd::wndTopMost, placement.location.x, placement.location.y, source.cx, source.cy,
                               SWP_NOZORDER);
    Gdiplus::Rect captureRect = ThumbnailCaptureRectangle(placement.location, source, maximised, borders,
                                                          OsVersion::IsWindows10OrLater(), settings.WindowFrameGrowth);

    // Off the monitors the thumbnail cannot be seen whole; a window that may print itself does so.
    if (!placement.fits && !window.IsModernAppWindow() && PrintWindowPermitted(window.GetProcessPath()))
        return nullptr;

    DWM_THUMBNAIL_PROPERTIES properties{};
    properties.dwFlags = DWM_TNP_RECTDESTINATION | DWM_TNP_OPACITY | DWM_TNP_VISIBLE;
    properties.rcDestination = RECT{0, 0, source.cx, source.cy};
    properties.opacity = 255;
    properties.fVisible = TRUE;
    properties.fSourceClientAreaOnly = FALSE;
    qel::Dwm().UpdateThumbnailProperties(thumbnail.get(), &properties);
    // The background is chosen before the window shows, so that its very first paint has it: under Wine
    // the paints that follow the first one of a just-shown window sometimes never reach the display.
    // Without an answer the background stays white, as the window starts.
    DWORD colorization = 0xFFFFFFFF;
    BOOL opaqueBlend = FALSE;
    if (FAILED(qel::Dwm().GetColorizationColor(&colorization, &opaqueBlend))) colorization = 0xFFFFFFFF;
    thumbnailWnd->m_crBackground = ThumbnailBackground(colorization);
    thumbnailWnd->ShowWindow(SW_SHOW);
    thumbnailWnd->InvalidateRect(nullptr, TRUE);

    if (!window.IsModernAppWindow()) WindowDetails::BringToFront(target);
    // The thumbnail window and the target repaint, and the thumbnail is drawn, for a short while before
    // the screen is read.
    constexpr DWORD kRepaintMs = 100;
    qel::WaitServingPaint(kRepaintMs);
    // The window may have gone meanwhile: what the screen shows there is no copy of it.
    if (!::IsWindow(target)) return nullptr;

    captureRect = Intersection(captureRect, capture->GetScreenBounds());
    ICapture* cursorSource = capture->IsCursorVisible() ? capture : nullptr;
    std::unique_ptr<Gdiplus::Bitmap> image = ScreenGeometry::CopyScreenRectangle(cursorSource, captureRect);
    if (image && !OsVersion::IsWindows8OrLater()) {
        const LONG exStyle = ::GetWindowLongW(target, GWL_EXSTYLE);
        if (settings.CornerClearEnabled && !maximised && (exStyle & WS_EX_TOOLWINDOW) == 0) {
            if (!Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat())) {
                // A failed copy keeps the image as it is, corners and all.
                std::unique_ptr<Gdiplus::Bitmap> withAlpha(
                    ImageHelpers::CloneArea(image.get(), PixelFormat32bppARGB, Gdiplus::Rect()));
                if (withAlpha) image = std::move(withAlpha);
            }
            if (Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat())) ClearCorners(image.get());
        }
    }

    capture->SetImage(image.release());
    const Gdiplus::Rect now = window.WindowRectangle();
    capture->SetLocation(POINT{now.X, now.Y});
    return capture;
}

void ClearCorners(Gdiplus::Bitmap* image) {
    if (!image) return;
    std::unique_ptr<FastBitmap> pixels = FastBitmap::Create(image);
    if (!pixels) return;
    for (const POINT& p : CornerPixels(pixels->Width(), pixels->Height(), CaptureSettings::Get().CornerClearRows))
        pixels->WritePixel(p.x, p.y, Gdiplus::ARGB{0x00FFFFFF});
}

}  // namespace WindowCapture
