#pragma once
// Native stand-in for windows/ThreadStart.h, on std::thread: natively there are no windows whose sent
// messages a wait must serve. Its include folder comes before the source root on the native path only.
#include <windows.h>

#include <memory>
#include <thread>

namespace qel {

struct JoinThread {
    void operator()(std::thread* thread) const {
        if (thread->joinable()) thread->join();
        delete thread;
    }
};
using ThreadOwner = std::unique_ptr<std::thread, JoinThread>;

ThreadOwner StartThread(DWORD (*entry)(void*), void* arg, DWORD* threadId);
void WaitForThread(const ThreadOwner& thread);

}  // namespace qel
