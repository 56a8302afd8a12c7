#pragma once
// What the thread class needs of the system: a thread started, owned and waited for. Apart from the
// class so that the class builds natively too, where a header of this name on std::thread stands in.
#include <windows.h>

#include "Handles.h"

namespace qel {

using ThreadOwner = UniqueKernelHandle;

// Runs entry(arg) on a new thread; empty when the thread cannot be made.
ThreadOwner StartThread(DWORD(WINAPI* entry)(void*), void* arg, DWORD* threadId);
// Waits for the thread to end, serving the messages other threads send to the caller's windows, so that
// a thread that sends to them while it is waited for cannot deadlock.
void WaitForThread(const ThreadOwner& thread);

}  // namespace qel
