#include "module/ModuleState.h"

#include <algorithm>

#include "framework/Handles.h"

namespace qel {

void WindowIgnoreList::Add(HWND wnd) {
    ExclusiveLock lock(&lock_);
    handles_.push_back(wnd);
}

void WindowIgnoreList::Remove(HWND wnd) {
    ExclusiveLock lock(&lock_);
    auto it = std::find(handles_.begin(), handles_.end(), wnd);
    if (it != handles_.end()) handles_.erase(it);
}

bool WindowIgnoreList::Contains(HWND wnd) const {
    SharedLock lock(&lock_);
    return std::find(handles_.begin(), handles_.end(), wnd) != handles_.end();
}

WindowIgnoreList& IgnoredWindows() {
    static WindowIgnoreList list;
    return list;
}

}  // namespace qel
