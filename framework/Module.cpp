// The framework module: its entry point, the per-thread state and its registry.
#include "State.h"

#include <algorithm>

#include "Handles.h"

namespace afx_detail {
namespace {

HINSTANCE g_module = nullptr;
DWORD g_tls = TLS_OUT_OF_INDEXES;
SRWLOCK g_registryLock = SRWLOCK_INIT;
std::vector<ThreadState*>* g_states = nullptr;  // every thread state, for cleanup and lookups by id

using qel::ExclusiveLock;
using qel::SharedLock;

void FreeState(ThreadState* state) noexcept {
    if (!state) return;
    {
        ExclusiveLock lock(&g_registryLock);
        if (g_states) g_states->erase(std::remove(g_states->begin(), g_states->end(), state), g_states->end());
    }
    delete state;
}

void FreeAllStates() noexcept {
    std::vector<ThreadState*>* states = nullptr;
    {
        ExclusiveLock lock(&g_registryLock);
        states = std::exchange(g_states, nullptr);
    }
    if (!states) return;
    for (ThreadState* s : *states) delete s;
    delete states;
}

}  // namespace

ThreadState::~ThreadState() {
    DeleteTemps(true);
    // The thread is ending and its windows with it: objects still bound must not reach back here.
    ExclusiveLock l(&lock);
    for (auto& binding : permanent) {
        binding.second->m_pBound = nullptr;
        binding.second->m_hWnd = nullptr;
    }
    permanent.clear();
}

CWnd* ThreadState::FindPermanent(HWND wnd) const {
    SharedLock l(&lock);
    auto it = permanent.find(wnd);
    return it == permanent.end() ? nullptr : it->second;
}

void ThreadState::AddPermanent(HWND wnd, CWnd* object) {
    ExclusiveLock l(&lock);
    permanent[wnd] = object;
}

void ThreadState::RemovePermanent(HWND wnd, CWnd* object) {
    ExclusiveLock l(&lock);
    auto it = permanent.find(wnd);
    if (it != permanent.end() && it->second == object) permanent.erase(it);
}

void ThreadState::DeleteTemps(bool all) noexcept {
    // Temporaries never own their handles: detach before deleting.
    for (auto it = tempGdi.begin(); it != tempGdi.end();) {
        if (all || ::GetObjectType(it->first.first) == 0) {
            it->second->Detach();
            it = tempGdi.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = tempDCs.begin(); it != tempDCs.end();) {
        if (all || ::GetObjectType(it->first) == 0) {
            it->second->Detach();
            it = tempDCs.erase(it);
        } else {
            ++it;
        }
    }
    if (all) tempWnds.clear();
}

ThreadState* ExistingThreadState() noexcept {
    return g_tls == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadState*>(::TlsGetValue(g_tls));
}

ThreadState* CurrentThreadState() noexcept {
    if (ThreadState* s = ExistingThreadState()) return s;
    if (g_tls == TLS_OUT_OF_INDEXES) return nullptr;
    try {
        auto state = std::make_unique<ThreadState>(::GetCurrentThreadId());
        ExclusiveLock lock(&g_registryLock);
        if (!g_states) g_states = new std::vector<ThreadState*>();
        g_states->push_back(state.get());
        ::TlsSetValue(g_tls, state.get());
        return state.release();
    } catch (...) {
        return nullptr;
    }
}

bool WithThreadStateImpl(DWORD threadId, void (*f)(ThreadState*, void*), void* context) {
    SharedLock lock(&g_registryLock);
    if (!g_states) return false;
    for (ThreadState* s : *g_states) {
        if (s->threadId == threadId) {
            f(s, context);
            return true;
        }
    }
    return false;
}

HINSTANCE FrameworkModule() noexcept { return g_module; }

bool TempsFreeable(const ThreadState* state) noexcept {
    return state->dispatchDepth == 0 && state->modalDepth == 0;
}

}  // namespace afx_detail

// Thread states are freed when their thread ends. At unload by FreeLibrary the remaining states go
// and the window classes are unregistered; at process exit nothing is released (the system does it).
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    using namespace afx_detail;
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_module = instance;
        g_tls = ::TlsAlloc();
        return g_tls != TLS_OUT_OF_INDEXES;
    case DLL_THREAD_DETACH:
        if (ThreadState* s = ExistingThreadState()) {
            ::TlsSetValue(g_tls, nullptr);
            FreeState(s);
        }
        break;
    case DLL_PROCESS_DETACH:
        if (!reserved) {
            FreeAllStates();
            UnregisterFrameworkClasses();
            ::TlsFree(g_tls);
            g_tls = TLS_OUT_OF_INDEXES;
        }
        break;
    default:
        break;
    }
    return TRUE;
}
