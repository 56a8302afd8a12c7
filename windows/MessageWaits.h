#pragma once
// Messages to windows of other threads, which may have stopped answering, and waits on the caller's thread
// that keep its own windows painted.
#include <windows.h>

namespace qel {

// How long a window of another thread is given to answer one message. A window whose thread has not looked
// at its queue for a while is given up at once.
constexpr DWORD kWindowAnswerMs = 2000;

// What is left of a wait of totalMs begun at tick start, at tick now; 0 once it is over. Ticks wrap.
DWORD RemainingMs(DWORD start, DWORD now, DWORD totalMs);

// Sends a message with a bound on the wait. False when the window did not answer in time or is gone;
// result, when given, receives the answer. Messages sent to the caller's windows are served meanwhile.
bool SendToWindow(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr,
                  DWORD timeoutMs = kWindowAnswerMs);

// Whether the window's thread answers within the bound; true at once for the caller's own windows.
bool WindowAnswers(HWND wnd);

// Waits ms while the caller's windows repaint and answer what other threads send them. Input, timers and
// posted messages stay queued for the caller's own loop.
void WaitServingPaint(DWORD ms);

}  // namespace qel
