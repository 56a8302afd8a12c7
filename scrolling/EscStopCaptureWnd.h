#pragma once
// The yellow strip beside a window being scrolled, telling the user that Escape ends the capture. While
// the window exists, Escape is a system-wide hotkey that asks the capture's frame queue to stop, whatever
// window has the focus. The strip itself takes no input.
#include <QelFramework/Framework.h>
#include <QelAVFrame/hotkey.h>

#include <memory>

class ScrollFrameQueue;

class CEscStopCaptureWnd : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    // queue is borrowed and must outlive the window.
    explicit CEscStopCaptureWnd(ScrollFrameQueue* queue);
    ~CEscStopCaptureWnd() override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);

private:
    // On the hotkey library's thread.
    static void QELAVFRAME_CALL OnEscape(void* data, obs_hotkey_id id, obs_hotkey_t* hotkey, bool pressed);
    void UnregisterHotkey();

    ScrollFrameQueue* const m_pQueue;
    obs_hotkey_id m_hotkeyId;
};

struct StopWindowDeleter {
    // Destroys the window if it is still one, then deletes the object.
    void operator()(CEscStopCaptureWnd* wnd) const;
};
using UniqueStopWindow = std::unique_ptr<CEscStopCaptureWnd, StopWindowDeleter>;

// Shows the strip for target, topmost, with the Escape hotkey set for queue. Null when the window cannot be
// made or no strip fits above or below target on the primary monitor.
UniqueStopWindow ShowStopWindow(HWND target, ScrollFrameQueue* queue);
