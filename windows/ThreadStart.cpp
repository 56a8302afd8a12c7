#include "windows/ThreadStart.h"

namespace qel {

ThreadOwner StartThread(DWORD(WINAPI* entry)(void*), void* arg, DWORD* threadId) {
    return ThreadOwner(::CreateThread(nullptr, 0, entry, arg, 0, threadId));
}

void WaitForThread(const ThreadOwner& thread) {
    HANDLE object = thread.get();
    if (!object) return;
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_SENDMESSAGE, 0);
        if (woken != WAIT_OBJECT_0 + 1) {
            if (woken != WAIT_OBJECT_0) ::WaitForSingleObject(object, INFINITE);
            return;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace qel
