#pragma once
// The capture session's window list as its workers and overlays see it: the list, which the
// session owns, and the lock that guards it. Records go in only at the end, one per lock.
#include <windows.h>

#include <memory>
#include <utility>

#include "Handles.h"

#include "windows/WindowDetails.h"

struct WindowListHolder {
    explicit WindowListHolder(WindowRecordList* windows) : list(windows) {}

    // Hands a record over to the list under the lock.
    void Append(std::unique_ptr<WindowDetails> record);

    WindowRecordList* list;
    qel::CriticalSection lock;
};

// Holds the list's lock for a scope; readers walk holder.list only inside one.
class WindowListLock : public qel::CriticalSectionLock {
public:
    explicit WindowListLock(WindowListHolder& holder) : CriticalSectionLock(holder.lock) {}
};

inline void WindowListHolder::Append(std::unique_ptr<WindowDetails> record) {
    WindowListLock guard(*this);
    list->push_back(std::move(record));
}
