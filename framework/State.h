#pragma once
// Framework state shared by the implementation files: the per-thread state (window bindings,
// temporary wrappers, the message being dispatched) and the module handle.
#include <QelFramework/Framework.h>

#include <atomic>
#include <map>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace afx_detail {

enum class GdiKind { Object, Pen, Brush, Font, Bitmap, Region };

struct ThreadState {
    explicit ThreadState(DWORD id) : threadId(id) {}
    ~ThreadState();

    CWnd* FindPermanent(HWND wnd) const;
    void AddPermanent(HWND wnd, CWnd* object);
    void RemovePermanent(HWND wnd, CWnd* object);
    // Frees every temporary wrapper, or (all false) only those of deleted GDI objects.
    void DeleteTemps(bool all) noexcept;

    const DWORD threadId;
    std::atomic<CWinThread*> thread{nullptr};

    // Written by the owning thread; other threads only remove bindings, under the lock.
    mutable SRWLOCK lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> permanent;

    std::unordered_map<HWND, std::unique_ptr<CWnd>> tempWnds;
    std::map<std::pair<HGDIOBJ, GdiKind>, std::unique_ptr<CGdiObject>> tempGdi;
    std::unordered_map<HDC, std::unique_ptr<CDC>> tempDCs;

    CWnd* creating = nullptr;  // the object whose CreateEx is running
    MSG current{};             // the message being dispatched
    int dispatchDepth = 0;     // window procedure calls running on this thread
    int modalDepth = 0;        // RunModalLoop calls running on this thread
    POINT lastMousePoint{-1, -1};
    UINT lastMouseMessage = 0;
};

// The calling thread's state, created on first use; null only when memory is exhausted.
ThreadState* CurrentThreadState() noexcept;
// The calling thread's state if it has one.
ThreadState* ExistingThreadState() noexcept;
// Runs f on the state of another thread (by id) under the registry lock; false when it has none.
bool WithThreadStateImpl(DWORD threadId, void (*f)(ThreadState*, void*), void* context);
template <class F> bool WithThreadState(DWORD threadId, F&& f) {
    using Fn = std::remove_reference_t<F>;
    return WithThreadStateImpl(
        threadId, [](ThreadState* s, void* c) { (*static_cast<Fn*>(c))(s); }, const_cast<Fn*>(&f));
}

HINSTANCE FrameworkModule() noexcept;
// Whether a class name came from AfxRegisterWndClass.
bool IsFrameworkClass(LPCWSTR className) noexcept;
void UnregisterFrameworkClasses() noexcept;

// A running RunModalLoop, on its caller's stack.
struct ModalFrame {
    ModalFrame* previous = nullptr;
    int result = IDCANCEL;
    bool ended = false;      // EndModalLoop was called
    bool destroyed = false;  // the window or its object is gone: the loop must not touch it
};

// DCs a window object handed out with GetDC/GetWindowDC.
struct WndDCs {
    std::vector<std::unique_ptr<CDC>> dcs;
};

// Creates a temporary (never owning) wrapper of a GDI handle for the calling thread.
CGdiObject* TempGdiObject(HGDIOBJ handle, GdiKind kind);
// Whether an idle period may free every temporary wrapper of the thread.
bool TempsFreeable(const ThreadState* state) noexcept;
// The default rule for messages that end an idle period.
bool IsIdleMessageDefault(const MSG& msg) noexcept;

}  // namespace afx_detail
