#pragma once
// Runs one capture from start to end for one exported call: freezes or copies the screen, lets the user
// choose where the mode asks for it, and turns the result into the packed DIB the caller receives.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "capture/Capture.h"
#include "capture/Dib.h"
#include "windows/WindowDetails.h"
#include "windows/WindowListHolder.h"

class CaptureForm;

enum CaptureMode {
    CaptureModeRegion = 1,          // a region dragged on the frozen screen
    CaptureModeScreen = 2,          // the monitor under the cursor
    CaptureModeActiveWindow = 3,    // the foreground window
    CaptureModeWindow = 4,          // a window picked on the frozen screen
    CaptureModeScrollWindow = 5,    // a picked window, scrolled and stitched
};

class CaptureSession {
public:
    explicit CaptureSession(CaptureMode mode);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    void SetCursorFlag(bool withCursor) { withCursor_ = withCursor; }
    void SetSelectionShape(int shape) { shape_ = shape; }

    // The main flow: the packed DIB, owned by the caller, or null.
    BITMAPINFOHEADER* RunCapture();
    // The selection-only flow (modes 1 and 4): true when the user confirmed a choice.
    bool RunSelection();

    // Valid after a confirmed selection until the session is destroyed.
    const Gdiplus::Rect& SelectionRectangle() const { return selection_; }
    HWND SelectedWindowHandle() const { return selected_ ? selected_->Handle() : nullptr; }
    // Where on the screen the returned image's top-left pixel was taken.
    POINT ImageLocation() const { return imageLocation_; }
    // The title the capture carried, e.g. the window's text or "Screen".
    const std::wstring& ImageTitle() const { return imageTitle_; }

private:
    bool RunFlow();
    void FreezeVirtualScreen();
    // Freezes the screen while the overlay's window is made (either takes about as long as the other);
    // the pick form shows that window.
    void FreezeBehindOverlay();
    void CaptureMonitorUnderCursor();
    bool CaptureActiveWindowStep();
    void ResolutionStep();
    void SetImageResolution();
    // Shows the overlay until the user confirms or cancels, and keeps the choice; null when cancelled.
    std::unique_ptr<CaptureForm> RunPickForm();
    bool SelectionStep();
    BITMAPINFOHEADER* ScrollStep();
    bool CursorWanted() const;

    WindowRecordList windows_;
    WindowListHolder holder_{&windows_};
    WindowDetails* selected_ = nullptr;
    std::unique_ptr<WindowDetails> ownedSelection_;  // a selected record that is not one of the list's
    Gdiplus::Rect selection_{0, 0, 0, 0};
    bool withCursor_ = false;
    std::unique_ptr<ICapture> capture_;
    std::unique_ptr<CaptureForm> preparedForm_;  // made before the screen was frozen, not yet shown
    UniqueDib scrollResult_;
    POINT imageLocation_{0, 0};
    std::wstring imageTitle_;
    CaptureMode mode_;
    int shape_ = 1;
};

// Records the host main window's screen resolution in the capture's details, and gives the foreground
// back to the window that had it before an overlay took it. The image is not touched.
void RecordScreenResolution(ICapture* capture);
// The same, and sets the capture's image to that resolution.
void RecordResolution(ICapture* capture);
// Sets the capture's image to the resolution its details hold.
void SetImageResolution(ICapture* capture);

// A 32-bit DIB of the bitmap's pixels, opaque; null when it cannot be made.
BITMAPINFOHEADER* BitmapToDib(Gdiplus::Bitmap* bitmap);
// The image cut to a region selection shape, 2 an ellipse or 3 a rounded rectangle: pixels outside the
// shape transparent, edge pixels blended. Null for any other shape or when it cannot be made; the
// source stays the caller's.
BITMAPINFOHEADER* ShapeDib(const BITMAPINFOHEADER* dib, int shape);
