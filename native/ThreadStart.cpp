// The native thread calls of shadow/windows/ThreadStart.h.
#include "windows/ThreadStart.h"

#include <functional>

namespace qel {

ThreadOwner StartThread(DWORD (*entry)(void*), void* arg, DWORD* threadId) {
    try {
        ThreadOwner thread(new std::thread(entry, arg));
        *threadId = static_cast<DWORD>(std::hash<std::thread::id>()(thread->get_id()));
        return thread;
    } catch (...) {
        return ThreadOwner();
    }
}

void WaitForThread(const ThreadOwner& thread) {
    if (thread && thread->joinable()) thread->join();
}

}  // namespace qel
