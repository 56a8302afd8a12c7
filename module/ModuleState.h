#pragma once
// Process-wide containers of the library, built on first use and kept until unload.
#include <windows.h>
#include <list>

namespace qel {

// Handles of the library's own overlay windows; window enumeration never offers them.
// Changed on the user-interface thread and read by the enumeration worker, so it is locked.
class WindowIgnoreList {
public:
    void Add(HWND wnd);
    // Takes off the first entry equal to wnd.
    void Remove(HWND wnd);
    bool Contains(HWND wnd) const;

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::list<HWND> handles_;
};

WindowIgnoreList& IgnoredWindows();

}  // namespace qel
