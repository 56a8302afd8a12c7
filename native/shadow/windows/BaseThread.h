#pragma once
// Native stand-in for windows/BaseThread.h: the same class on std::thread, so that the shift search's
// threads (scrolling/ShiftSearchThreads.cpp) build and run under the sanitizers unchanged. Its include
// folder comes before the source root on the native include path only. Natively there are no windows,
// so joining waits plainly instead of serving sent messages. Keep the interface in step with the real one.
#include <windows.h>

#include <atomic>
#include <thread>

class CQelBaseThread {
public:
    enum : int { kNotStarted = 0, kRunning = 1, kFinished = 2 };

    CQelBaseThread() = default;
    virtual ~CQelBaseThread();
    CQelBaseThread(const CQelBaseThread&) = delete;
    CQelBaseThread& operator=(const CQelBaseThread&) = delete;

    bool Start();
    void Join();

    int State() const { return state_.load(); }
    DWORD ThreadId() const { return threadId_; }

protected:
    bool Joinable() const { return thread_.joinable(); }
    virtual bool OnStart() = 0;
    virtual DWORD Run() = 0;
    virtual void OnStopping() = 0;
    virtual void OnStopped() = 0;

private:
    void Entry();

    std::thread thread_;
    DWORD threadId_ = 0;
    std::atomic<int> state_{kNotStarted};
};
