#include "scrolling/ScrollFrameQueue.h"

#include <QelImageTransform.h>

namespace {
constexpr LONG kInitialSlots = 5;
constexpr LONG kMaximumSlots = 0x7FFFFFFF;
constexpr INT_PTR kNodeBlock = 10;
}  // namespace

ScrollFrameQueue::ScrollFrameQueue() : release(QelImageTransform::ReleaseDIB), frames_(kNodeBlock) {}

ScrollFrameQueue::~ScrollFrameQueue() {
    Close();
    while (!frames_.IsEmpty()) Release(frames_.RemoveHead());
    Release(TakeResult());
}

bool ScrollFrameQueue::Open(const wchar_t* eventName) {
    Close();
    ResetState();
    try {
        lock_ = std::make_unique<qel::CriticalSection>();
    } catch (...) {
        return false;
    }
    frameReady_.reset(::CreateEventW(nullptr, FALSE, FALSE, eventName));
    slots_.reset(::CreateSemaphoreW(nullptr, kInitialSlots, kMaximumSlots, nullptr));
    if (!frameReady_ || !slots_) {
        Close();
        return false;
    }
    return true;
}

void ScrollFrameQueue::Close() {
    ResetState();
    frameReady_.reset();
    slots_.reset();
    lock_.reset();
}

void ScrollFrameQueue::ResetState() {
    error = 0;
    firstWidth = -1;
    firstHeight = -1;
    stopRequest_ = FALSE;
    stopStatus_ = 0;
}

bool ScrollFrameQueue::Add(BITMAPINFOHEADER* frame, HANDLE worker) {
    const HANDLE waits[2] = {slots_.get(), worker};
    if (::WaitForMultipleObjects(worker ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        Release(frame);
        return false;
    }
    qel::CriticalSectionLock guard(*lock_);
    try {
        frames_.AddTail(frame);
    } catch (...) {
        Release(frame);  // no room for the node: the frame is dropped, not leaked
        return false;
    }
    ::SetEvent(frameReady_.get());
    return true;
}

BITMAPINFOHEADER* ScrollFrameQueue::Take() {
    // A slot goes back on every attempt, so the producer's bound loosens while the worker polls.
    ::ReleaseSemaphore(slots_.get(), 1, nullptr);
    qel::CriticalSectionLock guard(*lock_);
    if (frames_.IsEmpty()) {
        ::ResetEvent(frameReady_.get());
        return nullptr;
    }
    BITMAPINFOHEADER* frame = frames_.RemoveHead();
    if (frames_.IsEmpty()) frames_.RemoveAll();
    return frame;
}

void ScrollFrameQueue::Empty() {
    if (!lock_) {
        while (!frames_.IsEmpty()) Release(frames_.RemoveHead());
        return;
    }
    qel::CriticalSectionLock guard(*lock_);
    while (!frames_.IsEmpty()) Release(frames_.RemoveHead());
}

void ScrollFrameQueue::WaitForFrame() { ::WaitForSingleObject(frameReady_.get(), INFINITE); }

ScrollMethod ScrollFrameQueue::Method() {
    qel::CriticalSectionLock guard(*lock_);
    return method_;
}

void ScrollFrameQueue::SetMethod(ScrollMethod method) {
    qel::CriticalSectionLock guard(*lock_);
    method_ = method;
}

bool ScrollFrameQueue::WorkerRunning() {
    qel::CriticalSectionLock guard(*lock_);
    return workerRunning_ != FALSE;
}

void ScrollFrameQueue::SetWorkerRunning(bool running) {
    qel::CriticalSectionLock guard(*lock_);
    workerRunning_ = running ? TRUE : FALSE;
}

bool ScrollFrameQueue::StopRequested() {
    qel::CriticalSectionLock guard(*lock_);
    return stopRequest_ != FALSE;
}

void ScrollFrameQueue::RequestStop() {
    if (!lock_) return;  // a key pressed while no capture runs
    qel::CriticalSectionLock guard(*lock_);
    stopRequest_ = TRUE;
}

DWORD ScrollFrameQueue::StopStatus() {
    qel::CriticalSectionLock guard(*lock_);
    return stopStatus_;
}

void ScrollFrameQueue::ClearStopStatus() {
    qel::CriticalSectionLock guard(*lock_);
    stopStatus_ = 0;
}

void ScrollFrameQueue::PostStopStatus(DWORD status) {
    qel::CriticalSectionLock guard(*lock_);
    stopStatus_ = status;
    ::SetEvent(frameReady_.get());
}

BITMAPINFOHEADER* ScrollFrameQueue::TakeResult() {
    BITMAPINFOHEADER* image = result;
    result = nullptr;
    return image;
}
