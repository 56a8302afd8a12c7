// CWnd: binding objects to windows, the window procedure and message dispatch.
//
// Lifetime of a binding: CreateEx marks the object as the thread's window being created; the first
// message the new window receives (WM_GETMINMAXINFO or WM_NCCREATE) binds it in the thread's map.
// Teardown happens after WM_NCDESTROY has been dispatched, in this order: stop dispatching to the
// object (unmap it), put back a subclassed window's own procedure while the handle is still valid,
// release the DCs the object handed out, end modal loops running for it, and only then call
// PostNcDestroy, which may delete the object.
#include "State.h"

#include <algorithm>

using afx_detail::ThreadState;

namespace {

// Keeps the thread's current message for Default() and counts nested window procedure calls.
class DispatchScope {
public:
    DispatchScope(ThreadState* state, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
        : state_(state), saved_(state->current) {
        state_->current = MSG{wnd, message, wParam, lParam, 0, {0, 0}};
        ++state_->dispatchDepth;
    }
    ~DispatchScope() {
        state_->current = saved_;
        --state_->dispatchDepth;
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    ThreadState* state_;
    MSG saved_;
};

// A DC from GetDC/GetWindowDC, given back with ReleaseDC.
class TrackedDC : public CDC {
public:
    TrackedDC(HWND wnd, HDC dc) noexcept : wnd_(wnd) { m_hDC = m_hAttribDC = dc; }
    ~TrackedDC() override {
        if (!m_hDC) return;
        RestoreOriginalObjects();
        ::ReleaseDC(wnd_, Detach());
    }

private:
    HWND wnd_;
};

// Class names we registered live in this module; any other class is looked up the usual way.
HINSTANCE InstanceForClass(LPCWSTR className) {
    if (afx_detail::IsFrameworkClass(className)) return afx_detail::FrameworkModule();
    return AfxGetInstanceHandle();
}

}  // namespace

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::CWnd() noexcept : CWnd(static_cast<HWND>(nullptr)) {}

CWnd::CWnd(HWND wnd) noexcept
    : m_hWnd(wnd), m_pfnSuper(nullptr), m_pBound(nullptr), m_pModal(nullptr), m_pDCs(nullptr), m_nModalResult(0) {}

CWnd::~CWnd() {
    // A window that outlives its object would call into freed memory: destroy it now. The derived
    // parts are gone already, so only default processing runs.
    if (m_pBound && m_hWnd && ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId())
        ::DestroyWindow(m_hWnd);
    if (m_pBound) Unbind();
    EndModalFrames();
    ReleaseAllDCs();
    delete m_pDCs;
}

void CWnd::Bind(ThreadState* state, HWND wnd, bool subclass) {
    state->AddPermanent(wnd, this);
    m_hWnd = wnd;
    m_pBound = state;
    if (subclass) {
        m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    }
}

void CWnd::Unbind() {
    if (m_pfnSuper) {
        if (m_hWnd && ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc))
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    ThreadState* state = std::exchange(m_pBound, nullptr);
    if (!state) return;
    if (state->threadId == ::GetCurrentThreadId()) {
        state->RemovePermanent(m_hWnd, this);
    } else {
        HWND wnd = m_hWnd;
        afx_detail::WithThreadState(state->threadId, [wnd, this](ThreadState* s) { s->RemovePermanent(wnd, this); });
    }
}

void CWnd::EndModalFrames() noexcept {
    if (!m_pModal) return;
    for (afx_detail::ModalFrame* f = m_pModal; f; f = f->previous) f->destroyed = true;
    m_pModal = nullptr;
    // The loop may be waiting in GetMessage: give it something to wake up for.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void CWnd::ReleaseAllDCs() noexcept {
    if (m_pDCs) m_pDCs->dcs.clear();
}

CDC* CWnd::TrackDC(HDC dc) {
    if (!dc) return nullptr;
    try {
        if (!m_pDCs) m_pDCs = new afx_detail::WndDCs();
        m_pDCs->dcs.push_back(std::make_unique<TrackedDC>(m_hWnd, dc));
        return m_pDCs->dcs.back().get();
    } catch (...) {
        ::ReleaseDC(m_hWnd, dc);
        return nullptr;
    }
}

LRESULT CALLBACK AfxWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ThreadState* state = afx_detail::CurrentThreadState();
    if (!state) return ::DefWindowProcW(wnd, message, wParam, lParam);
    CWnd* object = state->FindPermanent(wnd);
    if (!object) {
        object = state->creating;
        if (!object || object->m_hWnd) return ::DefWindowProcW(wnd, message, wParam, lParam);
        state->creating = nullptr;
        try {
            object->Bind(state, wnd, false);
        } catch (...) {
            return ::DefWindowProcW(wnd, message, wParam, lParam);
        }
    }

    LRESULT result = 0;
    {
        DispatchScope scope(state, wnd, message, wParam, lParam);
        try {
            result = object->WindowProc(message, wParam, lParam);
        } catch (...) {
            // Nothing may unwind into the system's code; a failed creation message fails creation.
            result = message == WM_CREATE ? -1 : 0;
        }
    }
    // The object may have been deleted while handling the message; the map says whether it is alive.
    if (message == WM_NCDESTROY && state->FindPermanent(wnd) == object) {
        object->Unbind();
        object->ReleaseAllDCs();
        object->m_hWnd = nullptr;
        object->EndModalFrames();
        try {
            object->PostNcDestroy();
        } catch (...) {
        }
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(GetMessageMap(), message);
    if (!entry) return FALSE;
    LRESULT r = 0;
    if (!entry->pfnAdapter(this, message, wParam, lParam, &r)) return FALSE;
    if (result) *result = r;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return 0;
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    ThreadState* state = afx_detail::ExistingThreadState();
    if (!state || !state->dispatchDepth) return 0;
    const MSG& m = state->current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND wnd) {
    ThreadState* state = wnd ? afx_detail::ExistingThreadState() : nullptr;
    return state ? state->FindPermanent(wnd) : nullptr;
}

CWnd* PASCAL CWnd::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    ThreadState* state = afx_detail::CurrentThreadState();
    if (!state) return nullptr;
    if (CWnd* permanent = state->FindPermanent(wnd)) return permanent;
    try {
        std::unique_ptr<CWnd>& slot = state->tempWnds[wnd];
        if (!slot) slot = std::make_unique<CWnd>(wnd);
        return slot.get();
    } catch (...) {
        return nullptr;
    }
}

BOOL CWnd::Attach(HWND wnd) {
    if (m_hWnd || !wnd || !::IsWindow(wnd)) return FALSE;
    ThreadState* state = afx_detail::CurrentThreadState();
    if (!state || state->FindPermanent(wnd)) return FALSE;
    try {
        Bind(state, wnd, false);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

HWND CWnd::Detach() {
    if (m_pBound) Unbind();
    return std::exchange(m_hWnd, nullptr);
}

BOOL CWnd::SubclassWindow(HWND wnd) {
    if (m_hWnd || !wnd || !::IsWindow(wnd)) return FALSE;
    if (::GetWindowThreadProcessId(wnd, nullptr) != ::GetCurrentThreadId()) return FALSE;
    ThreadState* state = afx_detail::CurrentThreadState();
    if (!state || state->FindPermanent(wnd)) return FALSE;
    try {
        Bind(state, wnd, true);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
        if (!cs.lpszClass) return FALSE;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd) return FALSE;  // one window per object
    ThreadState* state = afx_detail::CurrentThreadState();
    if (!state) return FALSE;

    CREATESTRUCTW cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.lpCreateParams = param;
    try {
        if (!PreCreateWindow(cs)) return FALSE;
    } catch (...) {
        return FALSE;
    }
    if (!cs.hInstance) cs.hInstance = InstanceForClass(cs.lpszClass);

    CWnd* outer = std::exchange(state->creating, this);
    HWND wnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                 cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    const bool neverBound = state->creating == this;
    state->creating = outer;
    if (!wnd) return FALSE;
    if (neverBound) {
        // A class with its own window procedure: route its messages through this object from now on.
        try {
            Bind(state, wnd, true);
        } catch (...) {
            ::DestroyWindow(wnd);
            return FALSE;
        }
    }
    return m_hWnd == wnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

DWORD CWnd::GetStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }

namespace {
BOOL ModifyLong(HWND wnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(wnd, index));
    const DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongW(wnd, index, static_cast<LONG>(changed));
    if (swpFlags)
        ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}
}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) noexcept {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) noexcept {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}
int CWnd::GetDlgCtrlID() const noexcept { return ::GetDlgCtrlID(m_hWnd); }
void CWnd::SetWindowText(LPCWSTR text) noexcept { ::SetWindowTextW(m_hWnd, text); }
int CWnd::GetWindowText(LPWSTR buffer, int maxCount) const noexcept { return ::GetWindowTextW(m_hWnd, buffer, maxCount); }
void CWnd::GetWindowText(CString& text) const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR buffer = text.GetBuffer(length);
    if (!buffer) return;
    ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
}
int CWnd::GetWindowTextLength() const noexcept { return ::GetWindowTextLengthW(m_hWnd); }

void CWnd::GetWindowRect(LPRECT rect) const noexcept { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const noexcept { ::GetClientRect(m_hWnd, rect); }
void CWnd::ClientToScreen(LPPOINT point) const noexcept { ::ClientToScreen(m_hWnd, point); }
void CWnd::ClientToScreen(LPRECT rect) const noexcept {
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&rect->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&rect->right));
}
void CWnd::ScreenToClient(LPPOINT point) const noexcept { ::ScreenToClient(m_hWnd, point); }
void CWnd::ScreenToClient(LPRECT rect) const noexcept {
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&rect->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&rect->right));
}
void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const noexcept {
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, points, count);
}
void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const noexcept {
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) noexcept {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
void CWnd::MoveWindow(LPCRECT r, BOOL repaint) noexcept {
    MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) noexcept {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}
int CWnd::SetWindowRgn(HRGN region, BOOL redraw) noexcept { return ::SetWindowRgn(m_hWnd, region, redraw); }
int CWnd::SetWindowRgn(CRgn& region, BOOL redraw) noexcept {
    const int result = ::SetWindowRgn(m_hWnd, region, redraw);
    if (result) region.Detach();  // the system owns it now
    return result;
}
int CWnd::GetWindowRgn(HRGN region) const noexcept { return ::GetWindowRgn(m_hWnd, region); }

BOOL CWnd::ShowWindow(int cmdShow) noexcept { return ::ShowWindow(m_hWnd, cmdShow); }
void CWnd::UpdateWindow() noexcept { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT rect, CRgn* region, UINT flags) noexcept {
    return ::RedrawWindow(m_hWnd, rect, region ? static_cast<HRGN>(region->m_hObject) : nullptr, flags);
}
void CWnd::Invalidate(BOOL erase) noexcept { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) noexcept { ::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::InvalidateRgn(CRgn* region, BOOL erase) noexcept {
    ::InvalidateRgn(m_hWnd, region ? static_cast<HRGN>(region->m_hObject) : nullptr, erase);
}
void CWnd::ValidateRect(LPCRECT rect) noexcept { ::ValidateRect(m_hWnd, rect); }
void CWnd::ValidateRgn(CRgn* region) noexcept {
    ::ValidateRgn(m_hWnd, region ? static_cast<HRGN>(region->m_hObject) : nullptr);
}
BOOL CWnd::IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const noexcept { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) noexcept { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsIconic() const noexcept { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const noexcept { return ::IsZoomed(m_hWnd); }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
CWnd* PASCAL CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
CWnd* PASCAL CWnd::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
CWnd* PASCAL CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* PASCAL CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* PASCAL CWnd::GetCapture() { return FromHandle(::GetCapture()); }
CWnd* PASCAL CWnd::WindowFromPoint(POINT point) { return FromHandle(::WindowFromPoint(point)); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
BOOL CWnd::SetForegroundWindow() noexcept { return ::SetForegroundWindow(m_hWnd); }
void CWnd::BringWindowToTop() noexcept { ::BringWindowToTop(m_hWnd); }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback) noexcept {
    return ::SetTimer(m_hWnd, id, elapse, callback);
}
BOOL CWnd::KillTimer(UINT_PTR id) noexcept { return ::KillTimer(m_hWnd, id); }

CDC* CWnd::GetDC() { return TrackDC(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return TrackDC(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* dc) noexcept {
    if (!dc) return 0;
    if (m_pDCs) {
        auto& dcs = m_pDCs->dcs;
        auto it = std::find_if(dcs.begin(), dcs.end(), [dc](const std::unique_ptr<CDC>& d) { return d.get() == dc; });
        if (it != dcs.end()) {
            dcs.erase(it);  // the tracked DC releases itself
            return 1;
        }
    }
    // A DC this object did not hand out: release its handle as the caller asks.
    return dc->m_hDC ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

int CWnd::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCTW) { return static_cast<BOOL>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnCancelMode() { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
