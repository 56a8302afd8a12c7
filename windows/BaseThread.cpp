#include "windows/BaseThread.h"

namespace {

// Waits for a kernel object without a time-out while serving the messages other threads send to
// the caller's windows, so that a thread that sends to them while being waited for cannot deadlock.
void WaitServingSentMessages(HANDLE object) {
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_SENDMESSAGE, 0);
        if (woken != WAIT_OBJECT_0 + 1) {
            if (woken != WAIT_OBJECT_0) ::WaitForSingleObject(object, INFINITE);
            return;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

CQelBaseThread::~CQelBaseThread() {
    if (thread_) WaitServingSentMessages(thread_.get());
}

bool CQelBaseThread::Start() {
    if (state_.load() == kRunning || thread_) return true;
    try {
        if (!OnStart()) return false;
    } catch (...) {
        try {
            OnStopped();
        } catch (...) {
        }
        return false;
    }
    thread_.reset(::CreateThread(nullptr, 0, Entry, this, 0, &threadId_));
    return static_cast<bool>(thread_);
}

void CQelBaseThread::Join() {
    try {
        if (thread_) {
            OnStopping();
            WaitServingSentMessages(thread_.get());
            thread_.reset();
        }
    } catch (...) {
    }
    // A hook that throws must not leave the thread running behind the caller's back.
    if (thread_) {
        ::WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    try {
        OnStopped();
    } catch (...) {
    }
}

DWORD WINAPI CQelBaseThread::Entry(void* self) {
    auto* thread = static_cast<CQelBaseThread*>(self);
    thread->state_.store(kRunning);
    DWORD result = 0;
    try {
        result = thread->Run();
    } catch (...) {
        result = 0;
    }
    thread->state_.store(kFinished);
    return result;
}
