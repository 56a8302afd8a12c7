#pragma once
// The capture session's window list as its workers and overlays see it: the list, which the
// session owns, and the lock that guards it. Records go in only at the end, one per lock.
#include <windows.h>

#include <memory>
#include <utility>

#include "windows/WindowDetails.h"

struct WindowListHolder {
    explicit WindowListHolder(WindowRecordList* windows) : list(windows) { ::InitializeCriticalSection(&lock); }
    ~WindowListHolder() { ::DeleteCriticalSection(&lock); }
    WindowListHolder(const WindowListHolder&) = delete;
    WindowListHolder& operator=(const WindowListHolder&) = delete;

    // Hands a record over to the list under the lock.
    void Append(std::unique_ptr<WindowDetails> record);

    WindowRecordList* list;
    CRITICAL_SECTION lock;
};

// Holds the list's lock for a scope; readers walk holder.list only inside one.
class WindowListLock {
public:
    explicit WindowListLock(WindowListHolder& holder) : lock_(&holder.lock) { ::EnterCriticalSection(lock_); }
    ~WindowListLock() { ::LeaveCriticalSection(lock_); }
    WindowListLock(const WindowListLock&) = delete;
    WindowListLock& operator=(const WindowListLock&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

inline void WindowListHolder::Append(std::unique_ptr<WindowDetails> record) {
    WindowListLock guard(*this);
    list->push_back(std::move(record));
}
