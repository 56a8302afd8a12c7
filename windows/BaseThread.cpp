#include "windows/BaseThread.h"

CQelBaseThread::~CQelBaseThread() {
    qel::WaitForThread(thread_);
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
    thread_ = qel::StartThread(Entry, this, &threadId_);
    return static_cast<bool>(thread_);
}

void CQelBaseThread::Join() {
    try {
        if (thread_) OnStopping();
    } catch (...) {
    }
    // Even after a hook threw: the thread must not run on behind the caller's back.
    qel::WaitForThread(thread_);
    thread_.reset();
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
