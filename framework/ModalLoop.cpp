// The modal loop. Its state lives in a frame on the loop's own stack, so that the loop notices the
// window or the object going away without touching the object again.
#include "State.h"

namespace {

BOOL ThreadPreTranslate(MSG* msg) {
    CWinThread* thread = AfxGetThread();
    if (!thread) return FALSE;
    try {
        return thread->PreTranslateMessage(msg);
    } catch (...) {
        return FALSE;
    }
}

BOOL Idle(LONG count) {
    BOOL more = FALSE;
    if (CWinThread* thread = AfxGetThread()) {
        try {
            more = thread->OnIdle(count);
        } catch (...) {
            more = FALSE;
        }
    }
    if (count == 0) AfxDeleteTempMaps();
    return more;
}

bool EndsIdle(MSG& msg) {
    CWinThread* thread = AfxGetThread();
    if (!thread) return afx_detail::IsIdleMessageDefault(msg);
    try {
        return thread->IsIdleMessage(&msg) != FALSE;
    } catch (...) {
        return true;
    }
}

class ModalDepth {
public:
    explicit ModalDepth(afx_detail::ThreadState* state) : state_(state) {
        if (state_) ++state_->modalDepth;
    }
    ~ModalDepth() {
        if (state_) --state_->modalDepth;
    }
    ModalDepth(const ModalDepth&) = delete;
    ModalDepth& operator=(const ModalDepth&) = delete;

private:
    afx_detail::ThreadState* state_;
};

}  // namespace

int CWnd::RunModalLoop(DWORD flags) {
    afx_detail::ModalFrame frame;
    frame.previous = m_pModal;
    m_pModal = &frame;
    ModalDepth depth(afx_detail::CurrentThreadState());
    const HWND wnd = m_hWnd;
    bool showOnIdle = (flags & MLF_SHOWONIDLE) && wnd && !::IsWindowVisible(wnd);
    bool idle = true;
    LONG idleCount = 0;

    // The object is touched only while the frame says it is alive.
    auto running = [&]() -> bool {
        if (frame.destroyed || frame.ended) return false;
        try {
            return ContinueModal() != FALSE;
        } catch (...) {
            return false;
        }
    };

    while (running()) {
        MSG msg;
        while (idle && running() && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle) {
                showOnIdle = false;
                ::ShowWindow(wnd, SW_SHOWNORMAL);
                ::UpdateWindow(wnd);
            }
            if ((flags & MLF_NOKICKIDLE) || !Idle(idleCount++)) idle = false;
        }
        if (!running()) break;

        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The application is closing: end here and let the outer loop see WM_QUIT too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;  // the queue cannot be read; waiting again would spin
        if (!ThreadPreTranslate(&msg)) {
            BOOL taken = FALSE;
            if (!frame.destroyed) {
                try {
                    taken = PreTranslateMessage(&msg);
                } catch (...) {
                    taken = FALSE;
                }
            }
            if (!taken) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (EndsIdle(msg)) {
            idle = true;
            idleCount = 0;
        }
    }

    if (!frame.destroyed) m_pModal = frame.previous;
    return frame.ended ? frame.result : IDCANCEL;
}

BOOL CWnd::ContinueModal() { return m_pModal && !m_pModal->ended; }

void CWnd::EndModalLoop(int result) {
    m_nModalResult = result;
    if (!m_pModal) return;
    m_pModal->result = result;
    m_pModal->ended = true;
    // Wake the loop if it waits in GetMessage (EndModalLoop may come from a sent message).
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}
