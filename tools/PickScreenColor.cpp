#include <QelPictavo/PictavoUtil.h>

#include <memory>

#include "module/CallThread.h"
#include "tools/PickColorWnd.h"

namespace {

constexpr unsigned long kRefused = 0xFFFFFFFF;
constexpr WORD kEyedropperCursor = 1000;
// How long the picker waits for the release of the click or key that ended it.
constexpr DWORD kReleaseWaitMs = 1000;

// This library's module, also when its objects are linked into another executable.
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// Resources are looked up in this library while the scope lasts.
class LibraryResourceScope {
public:
    LibraryResourceScope() : previous_(AfxGetResourceHandle()) { AfxSetResourceHandle(ThisModule()); }
    LibraryResourceScope(const LibraryResourceScope&) = delete;
    LibraryResourceScope& operator=(const LibraryResourceScope&) = delete;
    ~LibraryResourceScope() { AfxSetResourceHandle(previous_); }

private:
    HINSTANCE previous_;
};

// A cursor loaded from a resource is shared by the system and never destroyed.
HCURSOR LoadEyedropper() {
    LibraryResourceScope scope;
    return ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kEyedropperCursor));
}

// Takes the release of the input that ended picking off the queue, so that it reaches no window below.
void SwallowRelease(UINT first, UINT last) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    for (;;) {
        if (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) return;
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= kReleaseWaitMs) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kReleaseWaitMs - waited, QS_INPUT);
    }
}

enum class Outcome { Picked, Refused };

Outcome RunPickLoop(CWinThread* thread, HWND picker) {
    MSG msg;
    for (;;) {
        if (!::IsWindow(picker)) return Outcome::Refused;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::WaitMessage();
            continue;
        }
        switch (msg.message) {
        case WM_QUIT:
            // The outer loop must still see it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return Outcome::Refused;
        case WM_KEYDOWN:
            if (msg.wParam == VK_RETURN) {
                SwallowRelease(WM_KEYUP, WM_KEYUP);
                return Outcome::Refused;
            }
            if (msg.wParam == VK_ESCAPE) {
                SwallowRelease(WM_KEYUP, WM_KEYUP);
                return Outcome::Picked;
            }
            continue;  // other keys are dropped
        case WM_LBUTTONDOWN:
            SwallowRelease(WM_LBUTTONUP, WM_LBUTTONUP);
            return Outcome::Picked;
        case WM_RBUTTONDOWN:
            SwallowRelease(WM_RBUTTONUP, WM_RBUTTONUP);
            return Outcome::Picked;
        default:
            if (!thread->PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            thread->OnIdle(0);
        }
    }
}

unsigned long PickColor() {
    CWinThread* thread = AfxGetThread();
    if (!thread) return kRefused;
    auto picker = std::make_unique<CPickColorWnd>();
    if (!picker->CreatePicker()) return kRefused;
    if (HCURSOR eyedropper = LoadEyedropper()) ::SetCursor(eyedropper);
    picker->SetForegroundWindow();
    picker->BringWindowToTop();
    picker->SetCapture();
    const Outcome outcome = RunPickLoop(thread, picker->GetSafeHwnd());
    ::ReleaseCapture();
    const COLORREF color = picker->Color();
    picker->DestroyWindow();
    return outcome == Outcome::Picked ? color : kRefused;
}

}  // namespace

unsigned long CPictavoUtil::PickScreenColor() {
    // A host without a thread object of its own picks as well: the loop gets the library's for the call.
    qel::CallThread thread;
    try {
        return PickColor();
    } catch (...) {
        return kRefused;
    }
}
