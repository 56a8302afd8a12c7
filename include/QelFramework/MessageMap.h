#pragma once
// Message-map entries. Each macro adds one entry between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP
// whose adapter unpacks the message into the typed handler of the classic framework, e.g.
//   void OnMouseMove(UINT flags, CPoint point);   // point in client coordinates, signed
//   void OnKeyDown(UINT ch, UINT repeat, UINT flags);
//   BOOL OnEraseBkgnd(CDC* dc);  void OnTimer(UINT_PTR id);  int OnCreate(LPCREATESTRUCT cs);
//   HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
// A handler is found by name from the class being mapped, so it may live in a base class.
// ON_MESSAGE and ON_REGISTERED_MESSAGE take a qualified member, LRESULT (Class::*)(WPARAM, LPARAM):
//   ON_MESSAGE(WM_APP + 1, &CMyWnd::OnMyMessage)
// Handlers do no default processing unless they call Default() or the CWnd handler they replace.
#include "Gdi.h"
#include "Object.h"
#include "Types.h"
#include "Wnd.h"

namespace afx_detail {

// The DC of a message, lent to a handler; what the handler left selected is put back afterwards.
class QELFRAMEWORK_API BorrowedDC : public CDC {
public:
    explicit BorrowedDC(HDC dc) noexcept;
    ~BorrowedDC() override;
};

inline CPoint PointFrom(LPARAM l) noexcept {
    return CPoint(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
}

}  // namespace afx_detail

#define AFX_MSG_ADAPTER_FN(body)                                                                    \
    [](CCmdTarget* afxTarget, UINT afxMessage, WPARAM wParam, LPARAM lParam, LRESULT* afxResult) -> bool { \
        ThisClass* self = static_cast<ThisClass*>(afxTarget);                                        \
        (void)self; (void)afxMessage; (void)wParam; (void)lParam;                                    \
        *afxResult = 0;                                                                              \
        body;                                                                                        \
        return true;                                                                                 \
    }
#define AFX_MSG_RANGE_ENTRY(first, last, body) {first, last, nullptr, AFX_MSG_ADAPTER_FN(body)},
#define AFX_MSG_ENTRY(message, body) AFX_MSG_RANGE_ENTRY(message, message, body)

#define ON_MESSAGE(message, memberFxn) \
    AFX_MSG_ENTRY(message, *afxResult = (self->*static_cast<LRESULT (ThisClass::*)(WPARAM, LPARAM)>(memberFxn))(wParam, lParam))
#define ON_MESSAGE_VOID(message, memberFxn) \
    AFX_MSG_ENTRY(message, (self->*static_cast<void (ThisClass::*)()>(memberFxn))())
// messageVariable holds a number from RegisterWindowMessage; it is read at dispatch time.
#define ON_REGISTERED_MESSAGE(messageVariable, memberFxn)                                     \
    {0, 0, &(messageVariable),                                                                 \
     AFX_MSG_ADAPTER_FN(*afxResult = (self->*static_cast<LRESULT (ThisClass::*)(WPARAM, LPARAM)>(memberFxn))(wParam, lParam))},

#define ON_WM_CREATE() AFX_MSG_ENTRY(WM_CREATE, *afxResult = self->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam)))
#define ON_WM_NCCREATE() AFX_MSG_ENTRY(WM_NCCREATE, *afxResult = self->OnNcCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam)))
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, self->OnDestroy())
#define ON_WM_NCDESTROY() AFX_MSG_ENTRY(WM_NCDESTROY, self->OnNcDestroy())
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, self->OnClose())
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, self->OnPaint())
#define ON_WM_ERASEBKGND() \
    AFX_MSG_ENTRY(WM_ERASEBKGND, afx_detail::BorrowedDC dc(reinterpret_cast<HDC>(wParam)); *afxResult = self->OnEraseBkgnd(&dc))
// The WM_CTLCOLOR* messages; ctlColor is CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC.
#define ON_WM_CTLCOLOR()                                                                         \
    AFX_MSG_RANGE_ENTRY(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC,                                    \
                        afx_detail::BorrowedDC dc(reinterpret_cast<HDC>(wParam));                \
                        *afxResult = reinterpret_cast<LRESULT>(self->OnCtlColor(                 \
                            &dc, CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), afxMessage - WM_CTLCOLORMSGBOX)))
#define ON_WM_TIMER() AFX_MSG_ENTRY(WM_TIMER, self->OnTimer(static_cast<UINT_PTR>(wParam)))
#define ON_WM_SIZE() AFX_MSG_ENTRY(WM_SIZE, self->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_MOVE() \
    AFX_MSG_ENTRY(WM_MOVE, self->OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))
#define ON_WM_SHOWWINDOW() \
    AFX_MSG_ENTRY(WM_SHOWWINDOW, self->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))
#define ON_WM_WINDOWPOSCHANGING() \
    AFX_MSG_ENTRY(WM_WINDOWPOSCHANGING, self->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_WINDOWPOSCHANGED() \
    AFX_MSG_ENTRY(WM_WINDOWPOSCHANGED, self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_GETMINMAXINFO() \
    AFX_MSG_ENTRY(WM_GETMINMAXINFO, self->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))
#define ON_WM_ACTIVATE()                                                                          \
    AFX_MSG_ENTRY(WM_ACTIVATE, self->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                                                HIWORD(wParam)))
#define ON_WM_MOUSEACTIVATE()                                                                     \
    AFX_MSG_ENTRY(WM_MOUSEACTIVATE, *afxResult = self->OnMouseActivate(                           \
                                        CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KILLFOCUS() AFX_MSG_ENTRY(WM_KILLFOCUS, self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_CAPTURECHANGED() \
    AFX_MSG_ENTRY(WM_CAPTURECHANGED, self->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_CANCELMODE() AFX_MSG_ENTRY(WM_CANCELMODE, self->OnCancelMode())
#define ON_WM_SETCURSOR()                                                                         \
    AFX_MSG_ENTRY(WM_SETCURSOR, *afxResult = self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), \
                                                               LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_NCHITTEST() AFX_MSG_ENTRY(WM_NCHITTEST, *afxResult = self->OnNcHitTest(afx_detail::PointFrom(lParam)))
#define ON_WM_GETDLGCODE() AFX_MSG_ENTRY(WM_GETDLGCODE, *afxResult = self->OnGetDlgCode())

#define AFX_MOUSE_ENTRY(message, fn) \
    AFX_MSG_ENTRY(message, self->fn(static_cast<UINT>(wParam), afx_detail::PointFrom(lParam)))
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() AFX_MOUSE_ENTRY(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_MOUSE_ENTRY(WM_MBUTTONUP, OnMButtonUp)
// The point of a wheel message is in screen coordinates.
#define ON_WM_MOUSEWHEEL()                                                                      \
    AFX_MSG_ENTRY(WM_MOUSEWHEEL, *afxResult = self->OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                                                 afx_detail::PointFrom(lParam)))
#define ON_WM_CONTEXTMENU()                                                                      \
    AFX_MSG_ENTRY(WM_CONTEXTMENU, self->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), \
                                                      afx_detail::PointFrom(lParam)))

#define AFX_KEY_ENTRY(message, fn) \
    AFX_MSG_ENTRY(message, self->fn(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYDOWN() AFX_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() AFX_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSKEYUP() AFX_KEY_ENTRY(WM_SYSKEYUP, OnSysKeyUp)
#define ON_WM_CHAR() AFX_KEY_ENTRY(WM_CHAR, OnChar)
