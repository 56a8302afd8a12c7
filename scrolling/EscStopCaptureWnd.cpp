#include "scrolling/EscStopCaptureWnd.h"

#include "scrolling/HotkeyLibrary.h"
#include "scrolling/ScrollFrameQueue.h"
#include "scrolling/StopStripPlacement.h"

namespace {

constexpr COLORREF kFill = 0x00FFFF;  // yellow
constexpr COLORREF kEdgeLight = 0xFFFFFF;
constexpr COLORREF kEdgeShadow = 0x99A8AC;
constexpr wchar_t kText[] = L"Scrolling...Press ESC key to stop manually.";

}  // namespace

BEGIN_MESSAGE_MAP(CEscStopCaptureWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CEscStopCaptureWnd::CEscStopCaptureWnd(ScrollFrameQueue* queue) : m_pQueue(queue), m_hotkeyId(QEL_HOTKEY_INVALID_ID) {}

CEscStopCaptureWnd::~CEscStopCaptureWnd() {
    // The base would destroy a remaining window without our WM_DESTROY handler: the callback must not
    // outlive this object.
    if (m_hWnd) DestroyWindow();
    UnregisterHotkey();
}

int CEscStopCaptureWnd::OnCreate(LPCREATESTRUCTW cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    const qel::HotkeyLibrary& hotkeys = qel::Hotkeys();
    if (!hotkeys.Usable()) return 0;
    m_hotkeyId = hotkeys.registerFrontend("OBSBasic.ExitScrolling", "Basic.Main.ExitScrolling", &OnEscape, this);
    obs_key_combination_t escape{0, hotkeys.keyFromVirtualKey(VK_ESCAPE)};
    hotkeys.loadBindings(m_hotkeyId, &escape, 1);
    return 0;
}

void CEscStopCaptureWnd::OnDestroy() {
    CWnd::OnDestroy();
    UnregisterHotkey();
}

void CEscStopCaptureWnd::UnregisterHotkey() {
    if (m_hotkeyId == QEL_HOTKEY_INVALID_ID) return;
    qel::Hotkeys().unregister(m_hotkeyId);
    m_hotkeyId = QEL_HOTKEY_INVALID_ID;
}

void QELAVFRAME_CALL CEscStopCaptureWnd::OnEscape(void* data, obs_hotkey_id, obs_hotkey_t*, bool pressed) {
    auto* self = static_cast<CEscStopCaptureWnd*>(data);
    if (pressed && self && self->m_pQueue) self->m_pQueue->RequestStop();
}

BOOL CEscStopCaptureWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CEscStopCaptureWnd::OnPaint() {
    CPaintDC dc(this);
    CRect clip;
    dc.GetClipBox(&clip);
    if (clip.IsRectEmpty()) return;
    CRect client;
    GetClientRect(&client);

    // Declared before the memory DC, which puts its original objects back when it goes.
    CBitmap buffer;
    CFont font;
    CDC mem;
    if (!mem.CreateCompatibleDC(&dc) || !buffer.CreateCompatibleBitmap(&dc, clip.Width(), clip.Height())) return;
    CBitmap* oldBitmap = mem.SelectObject(&buffer);
    const CPoint oldOrigin = mem.SetViewportOrg(-clip.left, -clip.top);

    mem.FillSolidRect(&client, kFill);
    if (font.CreatePointFont(80, L"Arial")) {
        CFont* oldFont = mem.SelectObject(&font);
        mem.SetTextColor(RGB(0, 0, 0));
        // The text lies on the yellow, not in boxes of the DC's background colour.
        mem.SetBkMode(TRANSPARENT);
        mem.DrawText(kText, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        mem.SelectObject(oldFont);
    }
    mem.Draw3dRect(&client, kEdgeLight, kEdgeShadow);

    mem.SetViewportOrg(oldOrigin);
    dc.BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), &mem, 0, 0, SRCCOPY);
    mem.SelectObject(oldBitmap);
}

void StopWindowDeleter::operator()(CEscStopCaptureWnd* wnd) const {
    if (!wnd) return;
    if (::IsWindow(wnd->GetSafeHwnd())) wnd->DestroyWindow();
    delete wnd;
}

UniqueStopWindow ShowStopWindow(HWND target, ScrollFrameQueue* queue) {
    try {
        RECT targetRect;
        if (!::GetWindowRect(target, &targetRect)) return nullptr;
        const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        // Placed before it is made, so that it never shows anywhere else first.
        const std::optional<POINT> at = qel::StopStripPosition(targetRect, screen);
        if (!at) return nullptr;
        UniqueStopWindow wnd(new CEscStopCaptureWnd(queue));
        const LPCWSTR cls = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr);
        // It takes no input, so it never takes the activation either: the window being scrolled keeps the
        // focus its wheel steps go to, and does not repaint as inactive while its first frame is taken. A
        // window made visible is activated, so it is shown only by the placing, which does not activate.
        if (!cls || !wnd->CreateEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE, cls, nullptr, WS_POPUP, at->x, at->y,
                                   qel::kStopStripWidth, qel::kStopStripHeight, nullptr, nullptr))
            return nullptr;
        wnd->SetWindowPos(&CWnd::wndTopMost, at->x, at->y, qel::kStopStripWidth, qel::kStopStripHeight,
                          SWP_SHOWWINDOW | SWP_NOACTIVATE);
        return wnd;
    } catch (...) {
        return nullptr;
    }
}
