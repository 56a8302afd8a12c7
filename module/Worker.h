#pragma once
// One piece of work on a thread of its own, for work the calling thread can do something else beside.
#include <windows.h>

#include <functional>

#include "Handles.h"

namespace qel {

// Joined by Join or at destruction, which wait without serving the calling thread's messages: only for
// work that never waits for a window of that thread. When no thread can be made, Start does the work on
// the calling thread before it returns. Whatever the work throws is dropped.
class Worker {
public:
    Worker() = default;
    ~Worker() { Join(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void Start(std::function<void()> work);
    // Waits for the work to end; at once when none was started or it ended.
    void Join();

private:
    static DWORD WINAPI Entry(void* self);
    void Run() noexcept;

    std::function<void()> work_;
    UniqueKernelHandle thread_;
};

}  // namespace qel
