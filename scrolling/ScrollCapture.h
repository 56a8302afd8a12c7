#pragma once
// The driver of one scrolling capture, on the caller's thread: it scrolls the target a step at a
// time, grabs the client area after every step and hands the frames to the stitching worker, while
// the stop strip waits for Escape. It lives for one exported call.
#include <windows.h>

#include "scrolling/EscStopCaptureWnd.h"
#include "scrolling/ScrollFrameQueue.h"

class ScrollCapture {
public:
    ScrollCapture() = default;
    ScrollCapture(const ScrollCapture&) = delete;
    ScrollCapture& operator=(const ScrollCapture&) = delete;

    // Nonzero when the window has a scroll bar of that orientation that can scroll; fills out then.
    static BOOL HasUsableScrollBar(HWND window, BOOL horizontal, SCROLLINFO* out);
    // The client area as a 32-bit frame tagged in biClrImportant (the caller owns it), or null.
    static BITMAPINFOHEADER* GrabScrollFrame(HWND window, DWORD tag);

    // Each returns the stitched image (the caller owns it), or null.
    BITMAPINFOHEADER* CaptureVerticalScroll(HWND window, DWORD delay);
    BITMAPINFOHEADER* CaptureHorizontalScroll(HWND window, DWORD delay);
    BITMAPINFOHEADER* CaptureAutoScroll(HWND window, DWORD delay);
    // The direction the flags ask for; neither gives one unscrolled frame.
    BITMAPINFOHEADER* Run(HWND window, bool horizontal, bool vertical, DWORD delay);

    // For tests: how frames are released, and how many were grabbed.
    void SetFrameRelease(FrameRelease release);
    int FramesGrabbed() const { return framesGrabbed_; }

private:
    BITMAPINFOHEADER* Capture(HWND window, DWORD delay, bool horizontal);
    BITMAPINFOHEADER* Produce(HWND window, DWORD delay, bool horizontal, ScrollFrameQueue& queue);
    BITMAPINFOHEADER* Grab(HWND window, DWORD tag);
    void PumpStopWindowMessages();

    SCROLLINFO verticalBar_{};
    SCROLLINFO horizontalBar_{};
    BOOL hasVerticalBar_ = FALSE;
    BOOL hasHorizontalBar_ = FALSE;
    ScrollFrameQueue verticalQueue_;
    ScrollFrameQueue horizontalQueue_;
    UniqueStopWindow stopWindow_;
    int framesGrabbed_ = 0;
};
