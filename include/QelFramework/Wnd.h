#pragma once
// The window class. A CWnd is bound to its window from the first message the window receives
// until WM_NCDESTROY; messages go through the class's message map (most derived class first) and
// fall back to default processing. The object belongs to whoever created it and is never deleted
// by the framework; PostNcDestroy is the hook for a class that wants to delete itself. Deleting an
// object whose window still exists destroys the window (with default processing only).
// No member may be called through a null pointer (GetSafeHwnd included): test the pointer instead.
#include <windows.h>

#include "Export.h"
#include "Gdi.h"
#include "Object.h"
#include "String.h"
#include "Types.h"

namespace afx_detail {
struct ThreadState;
struct ModalFrame;
struct WndDCs;
}  // namespace afx_detail

// RunModalLoop flags.
#define MLF_NOIDLEMSG 0x0001   // accepted for compatibility; no WM_ENTERIDLE is sent
#define MLF_NOKICKIDLE 0x0002  // do not call the idle hooks
#define MLF_SHOWONIDLE 0x0004  // show the window when the loop first goes idle

class QELFRAMEWORK_API CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
    DECLARE_MESSAGE_MAP()
public:
    CWnd() noexcept;
    // A wrapper that names a window without binding or owning it.
    explicit CWnd(HWND wnd) noexcept;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    // Insert-after values for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    operator HWND() const noexcept { return m_hWnd; }

    // The object bound to a window on this thread, else a temporary wrapper owned by the thread and
    // freed at idle time. Null for a null handle.
    static CWnd* PASCAL FromHandle(HWND wnd);
    // The object bound to a window on this thread, or null.
    static CWnd* PASCAL FromHandlePermanent(HWND wnd);
    // Binds an existing window without seeing its messages; the object then owns it.
    BOOL Attach(HWND wnd);
    HWND Detach();
    // Binds an existing window and routes its messages through this object.
    BOOL SubclassWindow(HWND wnd);
    HWND UnsubclassWindow();

    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                          CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);

    DWORD GetStyle() const noexcept;
    DWORD GetExStyle() const noexcept;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) noexcept;
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) noexcept;
    int GetDlgCtrlID() const noexcept;
    void SetWindowText(LPCWSTR text) noexcept;
    int GetWindowText(LPWSTR buffer, int maxCount) const noexcept;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const noexcept;

    void GetWindowRect(LPRECT rect) const noexcept;
    void GetClientRect(LPRECT rect) const noexcept;
    void ClientToScreen(LPPOINT point) const noexcept;
    void ClientToScreen(LPRECT rect) const noexcept;
    void ScreenToClient(LPPOINT point) const noexcept;
    void ScreenToClient(LPRECT rect) const noexcept;
    void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const noexcept;
    void MapWindowPoints(CWnd* to, LPRECT rect) const noexcept;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) noexcept;
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE) noexcept;
    // insertAfter is a window or &wndTop, &wndBottom, &wndTopMost, &wndNoTopMost; null means the top.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) noexcept;
    // The system owns the region once this succeeds. The CRgn form detaches it from the object then,
    // and leaves it with the object on failure.
    int SetWindowRgn(HRGN region, BOOL redraw) noexcept;
    int SetWindowRgn(CRgn& region, BOOL redraw) noexcept;
    int GetWindowRgn(HRGN region) const noexcept;

    BOOL ShowWindow(int cmdShow) noexcept;
    void UpdateWindow() noexcept;
    BOOL RedrawWindow(LPCRECT rect = nullptr, CRgn* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) noexcept;
    void Invalidate(BOOL erase = TRUE) noexcept;
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) noexcept;
    void InvalidateRgn(CRgn* region, BOOL erase = TRUE) noexcept;
    void ValidateRect(LPCRECT rect) noexcept;
    void ValidateRgn(CRgn* region) noexcept;
    BOOL IsWindowVisible() const noexcept;
    BOOL IsWindowEnabled() const noexcept;
    BOOL EnableWindow(BOOL enable = TRUE) noexcept;
    BOOL IsIconic() const noexcept;
    BOOL IsZoomed() const noexcept;

    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* parent);
    CWnd* GetTopWindow() const;
    CWnd* GetWindow(UINT cmd) const;
    static CWnd* PASCAL GetDesktopWindow();
    static CWnd* PASCAL GetForegroundWindow();
    static CWnd* PASCAL GetActiveWindow();
    static CWnd* PASCAL GetFocus();
    static CWnd* PASCAL GetCapture();
    static CWnd* PASCAL WindowFromPoint(POINT point);

    // Each returns the window that had the capture, focus or activation before (or null).
    CWnd* SetCapture();
    CWnd* SetFocus();
    CWnd* SetActiveWindow();
    BOOL SetForegroundWindow() noexcept;
    void BringWindowToTop() noexcept;

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback = nullptr) noexcept;
    BOOL KillTimer(UINT_PTR id) noexcept;

    // DCs handed out here belong to the window object: ReleaseDC frees one, and any left over are
    // released when the window is destroyed or the object deleted.
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc) noexcept;

    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) noexcept;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) noexcept;

    // Default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Runs this thread's messages until EndModalLoop is called for the window, the window is
    // destroyed, or WM_QUIT arrives (which is posted again for the outer loop). Returns the value
    // given to EndModalLoop; a loop ended any other way returns IDCANCEL (2).
    virtual int RunModalLoop(DWORD flags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);

protected:
    // Called after the window is gone and the object unbound; the object may delete itself here.
    virtual void PostNcDestroy();

    // Default message handlers: each does the default processing of the current message.
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg BOOL OnNcCreate(LPCREATESTRUCTW cs);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
    afx_msg void OnWindowPosChanged(WINDOWPOS* pos);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg int OnMouseActivate(CWnd* desktop, UINT hitTest, UINT message);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg void OnCancelMode();
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnMButtonDown(UINT flags, CPoint point);
    afx_msg void OnMButtonUp(UINT flags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysKeyUp(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);

private:
    friend struct afx_detail::ThreadState;
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    void Bind(afx_detail::ThreadState* state, HWND wnd, bool subclass);
    void Unbind();
    void EndModalFrames() noexcept;
    void ReleaseAllDCs() noexcept;
    CDC* TrackDC(HDC dc);

    WNDPROC m_pfnSuper;                   // the window procedure a subclassed window had
    afx_detail::ThreadState* m_pBound;    // the thread whose map binds this object, or null
    afx_detail::ModalFrame* m_pModal;     // innermost modal loop running for this window
    afx_detail::WndDCs* m_pDCs;           // DCs from GetDC/GetWindowDC not yet released
    int m_nModalResult;
};

// The one window procedure of every framework window.
QELFRAMEWORK_API LRESULT CALLBACK AfxWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
