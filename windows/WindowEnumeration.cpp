#include "windows/WindowEnumeration.h"

#include "capture/CaptureSettings.h"
#include "windows/WindowDetails.h"
#include "windows/WindowListHolder.h"

namespace {
constexpr int kDeepChildLevels = 20;
constexpr int kShallowChildLevels = 3;

// A worker reading the joining thread's own windows sends them messages (reading a window's text
// does): serve those while waiting, or each thread waits for the other for good.
void WaitServingSentMessages(HANDLE thread) {
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, 0);
        if (woken != WAIT_OBJECT_0 + 1) {
            if (woken != WAIT_OBJECT_0) ::WaitForSingleObject(thread, INFINITE);
            return;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
}  // namespace

CQelBaseThread::~CQelBaseThread() {
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
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

RetrieveWindowDetails::~RetrieveWindowDetails() {
    if (Joinable()) Join();
}

DWORD RetrieveWindowDetails::Run() {
    const int levels = CaptureSettings::Get().DeepChildEnumeration ? kDeepChildLevels : kShallowChildLevels;
    for (auto& record : WindowDetails::ListOnScreenWindows()) {
        // The overlay works with the rectangle just read for the rest of the capture.
        record->Freeze();
        record->GetChildren(levels);
        holder_->Append(std::move(record));
    }
    return 0;
}
