#include "scrolling/ScrollCapture.h"

#include <QelImageTransform.h>

#include <cstdlib>

#include "Handles.h"
#include "capture/Dib.h"
#include "scrolling/StitchingWorker.h"
#include "windows/MessageWaits.h"

namespace {

constexpr DWORD kCaptureBlt = SRCCOPY | CAPTUREBLT;
constexpr DWORD kHalfNotchTowardUser = static_cast<DWORD>(-60);
const wchar_t kVerticalEvent[] = L"Vertical-Scroll-Capture";
const wchar_t kHorizontalEvent[] = L"Horizontal-Scroll-Capture";

LPARAM PackPoint(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

RECT ClientOnScreen(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    ::OffsetRect(&client, origin.x, origin.y);
    return client;
}

}  // namespace

BOOL ScrollCapture::HasUsableScrollBar(HWND window, BOOL horizontal, SCROLLINFO* out) {
    if (!::IsWindow(window)) return FALSE;
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    if (!(style & (horizontal ? WS_HSCROLL : WS_VSCROLL))) return FALSE;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    const BOOL got = ::GetScrollInfo(window, horizontal ? SB_HORZ : SB_VERT, &info);
    if (!got || info.nMin >= info.nMax || info.nPage == 0) return FALSE;
    if (out) *out = info;
    return got;
}

BITMAPINFOHEADER* ScrollCapture::GrabScrollFrame(HWND window, DWORD tag) {
    const RECT area = ClientOnScreen(window);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return nullptr;

    UniqueDib frame;
    {
        qel::WindowDc screen(::GetDesktopWindow());
        if (!screen) return nullptr;
        qel::UniqueHdc memory(::CreateCompatibleDC(screen.get()));
        if (!memory) return nullptr;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * height * 3;
        void* bits = nullptr;
        qel::UniqueHbitmap section(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!section) return nullptr;
        {
            qel::SelectScope select(memory.get(), section.get());
            ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, kCaptureBlt);
        }
        memory.reset();
        frame.reset(QelImageTransform::CBitmapConverter::ConvertDDBToDIB(section.get()));
    }
    if (!frame) return nullptr;
    if (frame->biBitCount != 32) {
        UniqueDib wide(QelImageTransform::CDIB32::ConvertTo32BitsDIB(frame.get(), nullptr, 255, 0));
        if (!wide) return nullptr;
        frame = std::move(wide);
    }
    frame->biClrImportant = tag;
    const RECT all{0, 0, frame->biWidth, std::abs(frame->biHeight)};
    QelImageTransform::CDIB32::Fill32DIBOpacityArea(frame.get(), all, 255);
    return frame.release();
}

BITMAPINFOHEADER* ScrollCapture::Grab(HWND window, DWORD tag) {
    BITMAPINFOHEADER* frame = GrabScrollFrame(window, tag);
    if (frame) ++framesGrabbed_;
    return frame;
}

void ScrollCapture::SetFrameRelease(FrameRelease release) {
    verticalQueue_.release = release;
    horizontalQueue_.release = release;
}

BITMAPINFOHEADER* ScrollCapture::Run(HWND window, bool horizontal, bool vertical, DWORD delay) {
    // A window that does not answer cannot be scrolled: what it shows is all there is.
    if (!qel::WindowAnswers(window)) return Grab(window, LineScroll);
    if (horizontal && vertical) return CaptureAutoScroll(window, delay);
    if (horizontal) return CaptureHorizontalScroll(window, delay);
    if (vertical) return CaptureVerticalScroll(window, delay);
    return Grab(window, LineScroll);
}

BITMAPINFOHEADER* ScrollCapture::CaptureVerticalScroll(HWND window, DWORD delay) {
    hasVerticalBar_ = HasUsableScrollBar(window, FALSE, &verticalBar_);
    return Capture(window, delay, false);
}

BITMAPINFOHEADER* ScrollCapture::CaptureHorizontalScroll(HWND window, DWORD delay) {
    hasHorizontalBar_ = HasUsableScrollBar(window, TRUE, &horizontalBar_);
    return Capture(window, delay, true);
}

BITMAPINFOHEADER* ScrollCapture::CaptureAutoScroll(HWND window, DWORD delay) {
    hasVerticalBar_ = HasUsableScrollBar(window, FALSE, &verticalBar_);
    if (hasVerticalBar_) return CaptureVerticalScroll(window, delay);
    // A bar drawn by the window itself answers the hit test even when it reports no range.
    const RECT area = ClientOnScreen(window);
    const LPARAM beside = PackPoint(area.right + ::GetSystemMetrics(SM_CXHSCROLL) / 2, area.top + (area.bottom - area.top) / 2);
    LRESULT hit = HTNOWHERE;
    if (qel::SendToWindow(window, WM_NCHITTEST, 0, beside, &hit) && hit == HTVSCROLL)
        return CaptureVerticalScroll(window, delay);
    hasHorizontalBar_ = HasUsableScrollBar(window, TRUE, &horizontalBar_);
    if (hasHorizontalBar_) return CaptureHorizontalScroll(window, delay);
    const LPARAM below = PackPoint(area.left + (area.right - area.left) / 2, area.bottom + ::GetSystemMetrics(SM_CYHSCROLL) / 2);
    hit = HTNOWHERE;
    if (qel::SendToWindow(window, WM_NCHITTEST, 0, below, &hit) && hit == HTHSCROLL)
        return CaptureHorizontalScroll(window, delay);
    return CaptureVerticalScroll(window, delay);
}

BITMAPINFOHEADER* ScrollCapture::Capture(HWND window, DWORD delay, bool horizontal) {
    ScrollFrameQueue& queue = horizontal ? horizontalQueue_ : verticalQueue_;
    if (!queue.Open(horizontal ? kHorizontalEvent : kVerticalEvent)) return nullptr;
    stopWindow_ = ShowStopWindow(window, &queue);
    PumpStopWindowMessages();
    BITMAPINFOHEADER* result = Produce(window, delay, horizontal, queue);
    // The hotkey goes with the window, before the queue it writes to closes.
    stopWindow_.reset();
    queue.Close();
    return result;
}

BITMAPINFOHEADER* ScrollCapture::Produce(HWND window, DWORD delay, bool horizontal, ScrollFrameQueue& queue) {
    if (!::IsWindow(window)) {
        queue.error = -2;
        return nullptr;
    }
    // What came just before (the window's activation, the strip beside it) may have it repainting still, and
    // the screen shows a paint a little later: the first frame waits as every later one waits for its step.
    // A first frame of a half-painted window would be matched against the second and lose its lines.
    if (qel::WindowAnswers(window)) ::UpdateWindow(window);
    qel::WaitServingPaint(delay);
    BITMAPINFOHEADER* first = Grab(window, LineScroll);
    if (!first) {
        queue.error = -6;
        return nullptr;
    }
    queue.ClearStopStatus();
    // Raised before the worker exists, so that a worker not yet running is never taken for one that ended.
    queue.SetWorkerRunning(true);
    qel::UniqueKernelHandle worker(
        ::CreateThread(nullptr, 0, horizontal ? HorizontalScrollWorker : VerticalScrollWorker, &queue, 0, nullptr));
    if (!worker) {
        queue.SetWorkerRunning(false);
        return first;
    }
    queue.Add(first, worker.get());

    DWORD status = kScrollStopWindowGone;
    while (::IsWindow(window)) {
        const ScrollMethod method = queue.Method();
        // A window that stopped answering is taken for gone: the capture ends with what it has.
        bool answered = true;
        if (horizontal) {
            answered = qel::SendToWindow(window, WM_HSCROLL, SB_LINERIGHT, 0);
        } else if (method == WheelScroll) {
            ::SetFocus(window);
            ::mouse_event(MOUSEEVENTF_WHEEL, 0, 0, kHalfNotchTowardUser, 0);
        } else {
            answered = qel::SendToWindow(window, WM_VSCROLL, SB_LINEDOWN, 0);
        }
        if (!answered) {
            status = kScrollStopWindowGone;
            break;
        }
        ::UpdateWindow(window);
        qel::WaitServingPaint(delay);
        if (!::IsWindow(window)) {
            status = kScrollStopWindowGone;
            break;
        }
        BITMAPINFOHEADER* frame = Grab(window, method);
        if (!frame) {
            status = kScrollStopGrabFailed;
            break;
        }
        if (!queue.WorkerRunning()) {
            queue.Release(frame);
            status = kScrollStopNormal;
            break;
        }
        if (!queue.Add(frame, worker.get())) {  // the worker ended while the producer waited for a slot
            status = kScrollStopNormal;
            break;
        }
        PumpStopWindowMessages();
        if (queue.StopRequested()) {
            status = kScrollStopNormal;
            break;
        }
    }
    if (queue.WorkerRunning()) queue.PostStopStatus(status);
    // Also when it was seen ended: it may still be on its way out, and nothing outlives the call.
    ::WaitForSingleObject(worker.get(), INFINITE);
    queue.Empty();
    BITMAPINFOHEADER* result = queue.TakeResult();
    if (result && !horizontal) result->biClrImportant = 0;
    return result;
}

void ScrollCapture::PumpStopWindowMessages() {
    // The strip only paints; the host's own input and commands wait for its loop.
    if (stopWindow_ && ::IsWindow(stopWindow_->GetSafeHwnd())) qel::WaitServingPaint(0);
    // Its paints leave the framework's temporary objects behind, which only the framework's idle loop
    // frees, and a host need not run one.
    AfxDeleteTempMaps();
}
