// Thread objects, the application object, the resource handle and extension modules.
#include "State.h"

#include <algorithm>
#include <vector>

#include "Handles.h"

using afx_detail::ThreadState;

namespace {

std::atomic<CWinApp*> g_app{nullptr};
std::atomic<HINSTANCE> g_resourceHandle{nullptr};

SRWLOCK g_extensionLock = SRWLOCK_INIT;
std::vector<HMODULE>* g_extensions = nullptr;  // newest last

}  // namespace

namespace afx_detail {
bool IsIdleMessageDefault(const MSG& msg) noexcept {
    // Mouse moves that do not move, paints and the caret's system timer arrive all the time;
    // letting them restart idle processing would run it continuously.
    ThreadState* state = ExistingThreadState();
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (!state) return true;
        if (state->lastMouseMessage == msg.message && state->lastMousePoint.x == msg.pt.x &&
            state->lastMousePoint.y == msg.pt.y)
            return false;
        state->lastMouseMessage = msg.message;
        state->lastMousePoint = msg.pt;
        return true;
    }
    return msg.message != WM_PAINT && msg.message != 0x0118;  // WM_SYSTIMER
}
}  // namespace afx_detail

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinThread::CWinThread() noexcept : m_pMainWnd(nullptr), m_nThreadID(0), m_msgCur{} {}

CWinThread::~CWinThread() { Unregister(); }

BOOL CWinThread::RegisterForCurrentThread() noexcept {
    ThreadState* state = afx_detail::CurrentThreadState();
    if (!state) return FALSE;
    CWinThread* expected = nullptr;
    if (!state->thread.compare_exchange_strong(expected, this)) return FALSE;
    m_nThreadID = state->threadId;
    return TRUE;
}

void CWinThread::Unregister() noexcept {
    if (!m_nThreadID) return;
    auto clear = [this](ThreadState* s) {
        CWinThread* expected = this;
        s->thread.compare_exchange_strong(expected, nullptr);
    };
    if (m_nThreadID == ::GetCurrentThreadId()) {
        if (ThreadState* s = afx_detail::ExistingThreadState()) clear(s);
    } else {
        afx_detail::WithThreadState(m_nThreadID, clear);
    }
    m_nThreadID = 0;
}

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }
BOOL CWinThread::InitInstance() { return TRUE; }
int CWinThread::ExitInstance() { return m_msgCur.message == WM_QUIT ? static_cast<int>(m_msgCur.wParam) : 0; }
BOOL CWinThread::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWinThread::OnIdle(LONG) {
    AfxDeleteTempMaps();
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* msg) { return msg ? afx_detail::IsIdleMessageDefault(*msg) : FALSE; }

BOOL CWinThread::PumpMessage() {
    const BOOL got = ::GetMessageW(&m_msgCur, nullptr, 0, 0);
    if (got == 0 || got == -1) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run() {
    bool idle = true;
    LONG idleCount = 0;
    for (;;) {
        MSG peek;
        while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

CWinApp::CWinApp(LPCWSTR appName) noexcept : m_pszAppName(appName), m_hInstance(::GetModuleHandleW(nullptr)) {
    RegisterForCurrentThread();
    CWinApp* expected = nullptr;
    g_app.compare_exchange_strong(expected, this);
}

CWinApp::CWinApp(LPCWSTR appName, HINSTANCE libraryInstance) noexcept
    : m_pszAppName(appName), m_hInstance(libraryInstance) {}

CWinApp::~CWinApp() {
    CWinApp* expected = this;
    g_app.compare_exchange_strong(expected, nullptr);
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

CWinThread* AfxGetThread() {
    ThreadState* state = afx_detail::ExistingThreadState();
    return state ? state->thread.load() : nullptr;
}

CWinApp* AfxGetApp() { return g_app.load(); }

void AfxDispatchPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : nullptr;
}

void AfxDeleteTempMaps() {
    ThreadState* state = afx_detail::ExistingThreadState();
    if (state) state->DeleteTemps(afx_detail::TempsFreeable(state));
}

HINSTANCE AfxGetInstanceHandle() {
    CWinApp* app = g_app.load();
    return app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE resources = g_resourceHandle.load();
    return resources ? resources : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE resources) { g_resourceHandle.store(resources); }

CResourceHandleScope::CResourceHandleScope(HINSTANCE resources) noexcept : m_hPrevious(g_resourceHandle.load()) {
    AfxSetResourceHandle(resources);
}
CResourceHandleScope::~CResourceHandleScope() { AfxSetResourceHandle(m_hPrevious); }

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (!module) return FALSE;
    try {
        qel::ExclusiveLock lock(&g_extensionLock);
        if (!g_extensions) g_extensions = new std::vector<HMODULE>();
        if (std::find(g_extensions->begin(), g_extensions->end(), module) == g_extensions->end())
            g_extensions->push_back(module);
    } catch (...) {
        return FALSE;
    }
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
    if (!state.bInitialized) return;
    {
        qel::ExclusiveLock lock(&g_extensionLock);
        if (g_extensions) {
            g_extensions->erase(std::remove(g_extensions->begin(), g_extensions->end(), state.hModule),
                                g_extensions->end());
            if (g_extensions->empty()) {
                delete g_extensions;
                g_extensions = nullptr;
            }
        }
    }
    state.bInitialized = FALSE;
}

HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type) {
    HINSTANCE current = AfxGetResourceHandle();
    if (::FindResourceW(current, name, type)) return current;
    qel::SharedLock lock(&g_extensionLock);
    if (g_extensions) {
        for (auto it = g_extensions->rbegin(); it != g_extensions->rend(); ++it)
            if (::FindResourceW(*it, name, type)) return *it;
    }
    return current;
}
