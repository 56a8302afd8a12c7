#include "capture/CaptureSession.h"

#include <QelFramework/Framework.h>
#include <psapi.h>

#include "GdiplusHandles.h"
#include "capture/CaptureSettings.h"
#include "capture/Dib.h"
#include "capture/DibBitmap.h"
#include "capture/ImageHelpers.h"
#include "capture/WindowCaptureChoice.h"
#include "module/Worker.h"
#include "pixels/PixelRows.h"
#include "selection/CaptureForm.h"
#include "scrolling/ScrollCapture.h"
#include "selection/OverlayHelpers.h"
#include "windows/ScreenCopy.h"
#include "windows/MessageWaits.h"
#include "windows/ScreenGeometry.h"
#include "windows/WindowEnumeration.h"

namespace {

bool Contains(const Gdiplus::Rect& r, POINT p) {
    return r.X <= p.x && p.x < r.X + r.Width && r.Y <= p.y && p.y < r.Y + r.Height;
}

bool NeedsWindowList(CaptureMode mode) {
    return mode == CaptureModeRegion || mode == CaptureModeWindow || mode == CaptureModeScrollWindow;
}

// The host's main window, whose screen resolution is recorded with a capture.
HWND HostMainWindow() {
    CWinThread* thread = AfxGetThread();
    return thread && thread->m_pMainWnd ? thread->m_pMainWnd->GetSafeHwnd() : nullptr;
}

}  // namespace

CaptureSession::CaptureSession(CaptureMode mode) : capture_(new Capture), mode_(mode) { qel::EnsureGdiplus(); }

CaptureSession::~CaptureSession() {
    preparedForm_.reset();
    windows_.clear();
    selected_ = nullptr;
    ownedSelection_.reset();
    capture_.reset();
    // The full-screen bitmaps of a capture are large: give their memory back to the system now.
    ::K32EmptyWorkingSet(::GetCurrentProcess());
}

bool CaptureSession::CursorWanted() const { return withCursor_ && CaptureSettings::Get().CaptureMousePointer; }

BITMAPINFOHEADER* CaptureSession::RunCapture() {
    const bool confirmed = RunFlow();
    UniqueDib result;
    if (mode_ == CaptureModeScrollWindow) {
        result = std::move(scrollResult_);
    } else if ((mode_ == CaptureModeRegion || mode_ == CaptureModeWindow) && !confirmed) {
        result.reset();
    } else if (auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(capture_->GetImage())) {
        // A screen copy holds the DIB to return already; anything else is converted.
        result = DibBitmap::TakeFrom(capture_.get());
        if (!result) result.reset(BitmapToDib(bitmap));
        if (result && mode_ == CaptureModeRegion && (shape_ == 2 || shape_ == 3)) {
            UniqueDib shaped(ShapeDib(result.get(), shape_));
            if (shaped) result = std::move(shaped);
        }
    }
    imageLocation_ = capture_->GetLocation();
    if (capture_->GetDetails()) imageTitle_ = capture_->GetDetails()->GetTitle();
    capture_.reset();
    return result.release();
}

bool CaptureSession::RunSelection() {
    const bool confirmed = RunFlow();
    capture_.reset();
    return confirmed;
}

bool CaptureSession::RunFlow() {
    capture_->GetDetails()->SetCaptureMode(mode_);
    std::unique_ptr<RetrieveWindowDetails> worker;
    if (NeedsWindowList(mode_)) {
        worker = std::make_unique<RetrieveWindowDetails>(&holder_);
        worker->Start();
    }
    CaptureSettings& settings = CaptureSettings::Get();
    // The host's windows repaint meanwhile, so that the frozen screen shows them as they are.
    if (settings.CaptureDelay > 0)
        qel::WaitServingPaint(static_cast<DWORD>(settings.CaptureDelay));
    else
        settings.CaptureDelay = 0;
    // A picked window is copied again after the choice; its cursor is taken then.
    if (mode_ != CaptureModeWindow) {
        ScreenGeometry::CaptureCursor(capture_.get());
        capture_->SetCursorVisible(CursorWanted());
    }

    bool confirmed = false;
    switch (mode_) {
        case CaptureModeRegion:
            FreezeBehindOverlay();
            capture_->GetDetails()->SetProperty(L"source", L"screen");
            ResolutionStep();
            confirmed = SelectionStep();
            break;
        case CaptureModeScreen:
            CaptureMonitorUnderCursor();
            ResolutionStep();
            SetImageResolution();
            break;
        case CaptureModeActiveWindow:
            if (CaptureActiveWindowStep()) {
                const Gdiplus::Rect bounds = capture_->GetScreenBounds();
                const POINT location = capture_->GetLocation();
                capture_->MoveCursorLocation(bounds.X - location.x, bounds.Y - location.y);
                capture_->GetDetails()->SetProperty(L"source", L"Window");
            } else {
                FreezeVirtualScreen();
                capture_->GetDetails()->SetProperty(L"source", L"Screen");
                capture_->GetDetails()->SetTitle(L"Screen");
            }
            ResolutionStep();
            SetImageResolution();
            break;
        case CaptureModeWindow:
        case CaptureModeScrollWindow:
            FreezeBehindOverlay();
            capture_->GetDetails()->SetProperty(L"source", L"Screen");
            ResolutionStep();
            if (mode_ == CaptureModeWindow)
                confirmed = SelectionStep();
            else
                scrollResult_.reset(ScrollStep());
            break;
    }
    if (worker) {
        worker->Join();
        worker.reset();
    }
    return confirmed;
}

void CaptureSession::FreezeVirtualScreen() {
    ScreenGeometry::CaptureRectangle(capture_.get(), capture_->GetScreenBounds());
}

void CaptureSession::FreezeBehindOverlay() {
    preparedForm_ = std::make_unique<CaptureForm>(capture_.get(), &holder_);
    preparedForm_->SetSelectionShape(shape_);
    const Gdiplus::Rect bounds = capture_->GetScreenBounds();
    // Only the reader touches the capture's image until it is joined at the end of this step.
    qel::Worker reader;
    reader.Start([capture = capture_.get(), bounds] { ScreenGeometry::CaptureRectangle(capture, bounds); });
    preparedForm_->PrepareOverlay(bounds);
}

void CaptureSession::CaptureMonitorUnderCursor() {
    const POINT cursor = ScreenGeometry::CursorPosition();
    for (const MonitorEntry& monitor : ScreenGeometry::ListMonitors()) {
        if (Contains(monitor.bounds, cursor)) {
            ScreenGeometry::CaptureRectangle(capture_.get(), monitor.bounds);
            return;
        }
    }
    FreezeVirtualScreen();
}

void CaptureSession::ResolutionStep() { RecordResolution(capture_.get()); }

void CaptureSession::SetImageResolution() { ::SetImageResolution(capture_.get()); }

void RecordResolution(ICapture* capture) {
    RecordScreenResolution(capture);
    SetImageResolution(capture);
}

void RecordScreenResolution(ICapture* capture) {
    std::unique_ptr<WindowDetails> foreground = WindowDetails::ForegroundWindowRecord();
    qel::UniqueGpGraphics graphics;
    if (capture->GetDetails() &&
        Gdiplus::DllExports::GdipCreateFromHWND(HostMainWindow(), graphics.put()) == Gdiplus::Ok) {
        float dpiX = 0, dpiY = 0;
        Gdiplus::DllExports::GdipGetDpiX(graphics.get(), &dpiX);
        Gdiplus::DllExports::GdipGetDpiY(graphics.get(), &dpiY);
        capture->GetDetails()->SetDpiX(dpiX);
        capture->GetDetails()->SetDpiY(dpiY);
    }
    graphics.reset();
    if (foreground) WindowDetails::BringToFront(foreground->Handle());
}

void SetImageResolution(ICapture* capture) {
    ICaptureDetails* details = capture->GetDetails();
    auto* bitmap = dynamic_cast<Gdiplus::Bitmap*>(capture->GetImage());
    if (details && bitmap) bitmap->SetResolution(details->GetDpiX(), details->GetDpiY());
}

BITMAPINFOHEADER* CaptureSession::ScrollStep() {
    try {
        HWND target = nullptr;
        {
            std::unique_ptr<CaptureForm> form = RunPickForm();
            if (!form || !selected_ || selection_.Width <= 0 || selection_.Height <= 0) return nullptr;
            target = selected_->Handle();
        }  // the overlay leaves the screen before the window is scrolled
        qel::WaitServingPaint(1000);
        const CaptureSettings& settings = CaptureSettings::Get();
        ScrollCapture scroll;
        return scroll.Run(target, settings.ScrollHorizontal, settings.ScrollVertical,
                          static_cast<DWORD>(settings.ScrollDelay));
    } catch (...) {
        return nullptr;
    }
}
bool CaptureSession::CaptureActiveWindowStep() { return WindowCaptureChoice::CaptureActiveWindowStep(capture_.get()); }

std::unique_ptr<CaptureForm> CaptureSession::RunPickForm() {
    std::unique_ptr<CaptureForm> form = std::move(preparedForm_);
    if (!form) {
        form = std::make_unique<CaptureForm>(capture_.get(), &holder_);
        form->SetSelectionShape(shape_);
    }
    if (form->RunForm() == 0 || !form->IsAccepted()) return nullptr;
    selected_ = form->SelectedWindow();
    selection_ = form->CaptureRectangle();
    if (selected_) capture_->GetDetails()->SetTitle(selected_->Text());
    return form;
}

bool CaptureSession::SelectionStep() {
    try {
        std::unique_ptr<CaptureForm> form = RunPickForm();
        if (!form) return false;
        if (selection_.Width > 0 && selection_.Height > 0) {
            if (mode_ == CaptureModeWindow && selected_) {
                form.reset();  // the overlay leaves the screen before the window is copied again
                // Nothing composites the screen under Wine: a window of this thread that the overlay covered
                // shows the overlay until it has repainted itself.
                qel::WaitServingPaint(1000);
                // A window that went meanwhile left something else on the screen there.
                if (!::IsWindow(selected_->Handle())) return false;
                ScreenGeometry::CaptureCursor(capture_.get());
                capture_->SetCursorVisible(CursorWanted());
                // The overlay's rectangle is relative to the screen bounds; the copy takes screen coordinates.
                const Gdiplus::Rect bounds = capture_->GetScreenBounds();
                const Gdiplus::Rect onScreen(selection_.X + bounds.X, selection_.Y + bounds.Y, selection_.Width,
                                             selection_.Height);
                if (!ScreenGeometry::CaptureRectangle(capture_.get(), onScreen)) return false;
            } else if (!capture_->Crop(selection_)) {
                return false;  // the whole frozen screen is not the selection
            }
        }
        form.reset();
        SetImageResolution();
        return true;
    } catch (...) {
        return false;
    }
}

BITMAPINFOHEADER* BitmapToDib(Gdiplus::Bitmap* bitmap) {
    const int width = static_cast<int>(bitmap->GetWidth());
    const int height = static_cast<int>(bitmap->GetHeight());
    UniqueDib dib(QelImageTransform::CDIB32::CreateBlank32BitsDIB(width, height));
    if (!dib) return nullptr;
    // The layouts of screen and window copies are read as they are stored, which GDI+ hands out without
    // converting, and made opaque in the same pass; others are converted by GDI+ first.
    const Gdiplus::PixelFormat own = bitmap->GetPixelFormat();
    const bool direct = own == PixelFormat24bppRGB || own == PixelFormat32bppRGB || own == PixelFormat32bppARGB;
    qel::BitmapBitsLock lock(bitmap, Gdiplus::Rect(0, 0, width, height), Gdiplus::ImageLockModeRead,
                             direct ? own : PixelFormat32bppARGB);
    if (!lock.ok()) return dib.release();
    const int stride = lock.data().Stride;
    auto* target = reinterpret_cast<uint32_t*>(reinterpret_cast<BYTE*>(dib.get()) + dib->biSize);
    // The DIB's first row is the image's last.
    for (int y = 0; y < height; ++y) {
        const BYTE* source = lock.scan0() + static_cast<ptrdiff_t>(height - 1 - y) * stride;
        uint32_t* row = target + static_cast<size_t>(width) * y;
        if (own == PixelFormat24bppRGB)
            PixelRows::OpaqueFromBgr24(source, row, width);
        else
            PixelRows::OpaqueFromBgrx32(source, row, width);
    }
    return dib.release();
}

BITMAPINFOHEADER* ShapeDib(const BITMAPINFOHEADER* dib, int shape) {
    if (!dib || (shape != 2 && shape != 3)) return nullptr;
    // Only the session's own images come here: 32-bit, uncompressed, bottom-up.
    if (dib->biBitCount != 32 || dib->biCompression != BI_RGB || dib->biWidth <= 0 || dib->biHeight <= 0) return nullptr;
    const int width = dib->biWidth;
    const int height = dib->biHeight;

    Gdiplus::GraphicsPath path;
    if (shape == 2)
        path.AddEllipse(0, 0, width, height);
    else
        AddRoundedRectangle(0, 0, width, height, SelectionCornerRadius(width, height), path);
    // The source is read where it lies, through a bitmap over the DIB's rows, last row first.
    const int stride = (width * dib->biBitCount + 31) / 32 * 4;
    BYTE* bits = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(dib) + dib->biSize);
    Gdiplus::Bitmap source(width, height, -stride, PixelFormat32bppARGB,
                           bits + static_cast<ptrdiff_t>(height - 1) * stride);
    if (source.GetLastStatus() != Gdiplus::Ok) return nullptr;
    return ImageHelpers::CutAlongPath(&source, path);
}
