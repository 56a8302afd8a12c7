#pragma once
// The worker that gathers the visible windows into a capture session's list while the user
// already looks at the overlay.
#include "windows/BaseThread.h"

struct WindowListHolder;

// Appends a record for every window on screen to the holder's list, front to back, each frozen
// and with its children read in advance.
class RetrieveWindowDetails : public CQelBaseThread {
public:
    // holder is borrowed and must outlive the thread.
    explicit RetrieveWindowDetails(WindowListHolder* holder) : holder_(holder) {}

protected:
    bool OnStart() override { return true; }
    DWORD Run() override;
    void OnStopping() override {}
    void OnStopped() override {}

private:
    WindowListHolder* holder_;
};
