#include "windows/MessageWaits.h"

namespace qel {

DWORD RemainingMs(DWORD start, DWORD now, DWORD totalMs) {
    const DWORD elapsed = now - start;
    return elapsed >= totalMs ? 0 : totalMs - elapsed;
}

bool SendToWindow(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, DWORD timeoutMs) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(wnd, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &answer))
        return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

bool WindowAnswers(HWND wnd) {
    if (::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId()) return true;
    return SendToWindow(wnd, WM_NULL, 0, 0);
}

void WaitServingPaint(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        // The peek answers sent messages itself; of the queue it takes paint only. A window that never
        // validates would keep it busy, so the deadline is checked on every message too.
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
            ::DispatchMessageW(&msg);
            if (RemainingMs(start, ::GetTickCount(), ms) == 0) return;
        }
        const DWORD left = RemainingMs(start, ::GetTickCount(), ms);
        if (left == 0) return;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_PAINT | QS_SENDMESSAGE, 0);
    }
}

}  // namespace qel
