#pragma once
// Thread objects, the application object, window classes and the resource handle.
#include <windows.h>

#include "Export.h"
#include "Object.h"

class CWnd;

// A thread's message hooks. AfxGetThread returns the object registered for the calling thread.
class QELFRAMEWORK_API CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread() noexcept;
    ~CWinThread() override;

    CWnd* m_pMainWnd;
    DWORD m_nThreadID;  // the thread it is registered for, 0 when none
    MSG m_msgCur;       // the message Run/PumpMessage took last

    virtual CWnd* GetMainWnd();
    virtual BOOL InitInstance();
    // Returns the exit code of the WM_QUIT that ended Run.
    virtual int ExitInstance();
    // The thread's message loop, until WM_QUIT.
    virtual int Run();
    // Takes and dispatches one message; FALSE on WM_QUIT or when the queue cannot be read.
    virtual BOOL PumpMessage();
    // First look at every message the framework's loops take; TRUE means it was handled.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called while the queue is empty, count 0 first; returns TRUE to be called again. The base
    // calls AfxDeleteTempMaps.
    virtual BOOL OnIdle(LONG count);
    // Whether a message ends an idle period (repeated mouse moves and paints do not).
    virtual BOOL IsIdleMessage(MSG* msg);

protected:
    // Registers for the calling thread when it has no thread object yet; TRUE when it did.
    BOOL RegisterForCurrentThread() noexcept;
    void Unregister() noexcept;
};

// The application object. Its constructor registers it for the constructing thread when that
// thread has none, and as the process's application when there is none; destruction undoes both.
class QELFRAMEWORK_API CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR appName = nullptr) noexcept;
    ~CWinApp() override;

    LPCWSTR m_pszAppName;
    HINSTANCE m_hInstance;

    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    // The application object of a library loaded into a host: it claims neither the loading thread
    // nor the process, which belong to the host's own application object.
    CWinApp(LPCWSTR appName, HINSTANCE libraryInstance) noexcept;
};

QELFRAMEWORK_API CWinThread* AfxGetThread();
QELFRAMEWORK_API CWinApp* AfxGetApp();
// The calling thread's main window, or null.
QELFRAMEWORK_API CWnd* AfxGetMainWnd();
// Frees the calling thread's temporary wrappers when neither a window procedure nor a modal loop
// is running on it (callers up the stack may hold them); otherwise only wrappers of deleted GDI
// objects are freed.
QELFRAMEWORK_API void AfxDeleteTempMaps();

// Dispatches every message waiting for the calling thread and returns when the queue is empty. A
// WM_QUIT met on the way belongs to an outer loop: it is posted again and the pump stops.
QELFRAMEWORK_API void AfxDispatchPendingMessages();

// Window class names for CreateEx: one class per distinct set of arguments, registered once and
// unregistered when the framework is unloaded. The name stays valid until then; null on failure.
QELFRAMEWORK_API LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                             HICON icon = nullptr);

// The application's module, and the module resources are loaded from (the application's unless
// set). Both are process-wide.
QELFRAMEWORK_API HINSTANCE AfxGetInstanceHandle();
QELFRAMEWORK_API HINSTANCE AfxGetResourceHandle();
QELFRAMEWORK_API void AfxSetResourceHandle(HINSTANCE resources);

// Makes a module the resource handle for a scope and puts the previous one back.
class QELFRAMEWORK_API CResourceHandleScope {
public:
    explicit CResourceHandleScope(HINSTANCE resources) noexcept;
    ~CResourceHandleScope();
    CResourceHandleScope(const CResourceHandleScope&) = delete;
    CResourceHandleScope& operator=(const CResourceHandleScope&) = delete;

private:
    HINSTANCE m_hPrevious;
};

// A library that joins the resource search: AfxFindResourceHandle looks in the current resource
// handle first, then in every initialised extension module, newest first.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};
QELFRAMEWORK_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
QELFRAMEWORK_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);
QELFRAMEWORK_API HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);
