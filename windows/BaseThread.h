#pragma once
// A small thread class: a derived class gives the body and the hooks around starting and joining.
#include <windows.h>

#include <atomic>

#include "windows/ThreadStart.h"

class CQelBaseThread {
public:
    enum : int { kNotStarted = 0, kRunning = 1, kFinished = 2 };

    CQelBaseThread() = default;
    // Waits for a thread that was started and not joined, serving messages sent to the caller's
    // windows meanwhile. The hooks are not called here: the derived part is already gone.
    virtual ~CQelBaseThread();
    CQelBaseThread(const CQelBaseThread&) = delete;
    CQelBaseThread& operator=(const CQelBaseThread&) = delete;

    // True at once when a thread is held; false when OnStart declines or the thread cannot be made.
    bool Start();
    // Waits for the thread and closes it (OnStopping first), then OnStopped in every case.
    void Join();

    int State() const { return state_.load(); }
    DWORD ThreadId() const { return threadId_; }

protected:
    // A thread was started and not joined yet.
    bool Joinable() const { return static_cast<bool>(thread_); }
    // On the caller's thread before the thread is made; false cancels the start.
    virtual bool OnStart() = 0;
    // The thread body; an exception ends it with 0.
    virtual DWORD Run() = 0;
    virtual void OnStopping() = 0;
    virtual void OnStopped() = 0;

private:
    static DWORD WINAPI Entry(void* self);

    qel::ThreadOwner thread_;
    DWORD threadId_ = 0;
    std::atomic<int> state_{kNotStarted};
};
