#pragma once
// Carries the frames of one scrolling capture from the caller's thread (the producer) to the
// stitching worker, with the flags both sides and the Escape hotkey meet on.
#include <windows.h>

#include <QelFramework/Collections.h>

#include <memory>

#include "Handles.h"

enum ScrollMethod : LONG {
    LineScroll = 0,   // WM_VSCROLL / WM_HSCROLL line steps
    WheelScroll = 1,  // half a wheel notch toward the user (vertical captures only)
};

// Stop status posted by the producer: low word nonzero means stop, high word is the reason.
enum : DWORD {
    kScrollStopNormal = 0x00000001,
    kScrollStopWindowGone = 0xFFFE0001,
    kScrollStopGrabFailed = 0xFFFA0001,
};

// Frames are packed DIBs; this releases one (the transform library's release by default).
using FrameRelease = void (*)(BITMAPINFOHEADER*);

class ScrollFrameQueue {
public:
    ScrollFrameQueue();
    // Releases the frames still waiting and whatever the capture left open.
    ~ScrollFrameQueue();
    ScrollFrameQueue(const ScrollFrameQueue&) = delete;
    ScrollFrameQueue& operator=(const ScrollFrameQueue&) = delete;

    // Per capture: resets the state and makes the lock, the named frame-ready event and the slot
    // semaphore. False when an object cannot be made (nothing stays open then).
    bool Open(const wchar_t* eventName);
    // Resets the state and releases the lock, the event and the semaphore.
    void Close();
    // Error 0, first-frame size unknown, stop request and status cleared.
    void ResetState();

    // Producer: waits for a slot, appends the frame (the queue owns it) and signals the worker.
    // False, with the frame released, when the worker thread given ends first: a worker that has
    // stopped gives no slot back, and the producer must not wait for one for good.
    bool Add(BITMAPINFOHEADER* frame, HANDLE worker = nullptr);
    // Worker: gives a slot back, then the oldest frame (the caller owns it), or null with the event reset.
    BITMAPINFOHEADER* Take();
    // Producer: releases every waiting frame.
    void Empty();
    // Worker: waits until a frame was added or a status posted.
    void WaitForFrame();

    // Flags under the lock.
    ScrollMethod Method();
    void SetMethod(ScrollMethod method);
    bool WorkerRunning();
    void SetWorkerRunning(bool running);
    bool StopRequested();
    void RequestStop();
    DWORD StopStatus();
    void ClearStopStatus();
    // Writes the status and wakes the worker.
    void PostStopStatus(DWORD status);

    // Worker-only state (no lock: the producer reads it only after the worker has ended).
    int error = 0;
    int firstWidth = -1;
    int firstHeight = -1;
    BITMAPINFOHEADER* result = nullptr;
    // Takes the result over.
    BITMAPINFOHEADER* TakeResult();

    // How frames and the result are released; tests count releases through it.
    FrameRelease release;
    void Release(BITMAPINFOHEADER* frame) const {
        if (frame) release(frame);
    }

private:
    CList<BITMAPINFOHEADER*> frames_;
    BOOL workerRunning_ = FALSE;
    ScrollMethod method_ = LineScroll;
    BOOL stopRequest_ = FALSE;
    DWORD stopStatus_ = 0;
    std::unique_ptr<qel::CriticalSection> lock_;
    qel::UniqueKernelHandle slots_;
    qel::UniqueKernelHandle frameReady_;
};
