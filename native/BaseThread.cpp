// The native CQelBaseThread (native/shadow/windows/BaseThread.h): windows/BaseThread.cpp's rules on
// std::thread.
#include "windows/BaseThread.h"

#include <functional>

CQelBaseThread::~CQelBaseThread() {
    if (thread_.joinable()) thread_.join();
}

bool CQelBaseThread::Start() {
    if (state_.load() == kRunning || thread_.joinable()) return true;
    try {
        if (!OnStart()) return false;
    } catch (...) {
        try {
            OnStopped();
        } catch (...) {
        }
        return false;
    }
    try {
        thread_ = std::thread(&CQelBaseThread::Entry, this);
    } catch (...) {
        return false;
    }
    threadId_ = static_cast<DWORD>(std::hash<std::thread::id>()(thread_.get_id()));
    return true;
}

void CQelBaseThread::Join() {
    try {
        if (thread_.joinable()) OnStopping();
    } catch (...) {
    }
    if (thread_.joinable()) thread_.join();
    try {
        OnStopped();
    } catch (...) {
    }
}

void CQelBaseThread::Entry() {
    state_.store(kRunning);
    try {
        Run();
    } catch (...) {
    }
    state_.store(kFinished);
}
